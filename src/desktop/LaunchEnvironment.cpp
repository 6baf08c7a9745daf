#include "desktop/LaunchEnvironment.h"

#include "profiles/ProxyURLFormatter.h"

namespace LaunchEnvironments {

namespace {

LaunchEnvironment proxyVariables(const std::optional<Profile>& profile) {
    const std::optional<QString> proxy =
        ProxyURLFormatter::normalized(profile ? profile->proxyURL : std::nullopt);
    LaunchEnvironment variables;
    for (const auto& [name, value] : ProxyURLFormatter::variables(proxy))
        variables.append({name, value});
    return variables;
}

} // namespace

LaunchEnvironment codex(const std::optional<Profile>& profile) {
    return proxyVariables(profile);
}

LaunchEnvironment claude(const std::optional<Profile>& profile,
                         const std::optional<QString>& apiKey) {
    LaunchEnvironment variables = proxyVariables(profile);
    if (profile && profile->isVelqorAccount()) {
        const QString key = apiKey.value_or(QString()).trimmed();
        const std::optional<QString> token = key.isEmpty() ? std::nullopt : std::optional(key);
        const QString one = QStringLiteral("1");
        variables << EnvironmentVariable{QStringLiteral("ANTHROPIC_BASE_URL"),
                                         Profile::velqorBaseURL}
                  << EnvironmentVariable{QStringLiteral("CLAUDE_CODE_SIMPLE"), one}
                  << EnvironmentVariable{QStringLiteral("CLAUDE_CODE_DISABLE_KEYCHAIN"), one}
                  << EnvironmentVariable{QStringLiteral("CLAUDE_CODE_DISABLE_NONESSENTIAL_TRAFFIC"),
                                         one}
                  << EnvironmentVariable{QStringLiteral("ANTHROPIC_AUTH_TOKEN"), token}
                  << EnvironmentVariable{QStringLiteral("ANTHROPIC_API_KEY"), token};
    } else {
        for (const char* name : {"ANTHROPIC_BASE_URL", "ANTHROPIC_AUTH_TOKEN", "ANTHROPIC_API_KEY",
                                 "CLAUDE_CODE_SIMPLE", "CLAUDE_CODE_DISABLE_KEYCHAIN",
                                 "CLAUDE_CODE_DISABLE_NONESSENTIAL_TRAFFIC"})
            variables.append({QLatin1String(name), std::nullopt});
    }
    return variables;
}

std::optional<Shell> shellNamed(const QString& name) {
    static const QList<QPair<QString, Shell>> shells{{QStringLiteral("sh"), Shell::sh},
                                                     {QStringLiteral("bash"), Shell::bash},
                                                     {QStringLiteral("zsh"), Shell::zsh},
                                                     {QStringLiteral("fish"), Shell::fish}};
    for (const auto& [shellName, shell] : shells)
        if (shellName == name)
            return shell;
    return std::nullopt;
}

QString shellScript(const LaunchEnvironment& variables, Shell shell) {
    QString script;
    for (const EnvironmentVariable& variable : variables) {
        if (shell == Shell::fish) {
            // In fish's single quotes only \\ and \' are escapes.
            QString value = variable.value.value_or(QString());
            value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
            value.replace(QLatin1Char('\''), QStringLiteral("\\'"));
            script += variable.value
                          ? QStringLiteral("set -gx %1 '%2';\n").arg(variable.name, value)
                          : QStringLiteral("set -e %1;\n").arg(variable.name);
        } else {
            // In POSIX single quotes nothing is special; a quote closes, escapes, reopens.
            QString value = variable.value.value_or(QString());
            value.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
            script += variable.value ? QStringLiteral("export %1='%2';\n").arg(variable.name, value)
                                     : QStringLiteral("unset %1;\n").arg(variable.name);
        }
    }
    return script;
}

} // namespace LaunchEnvironments
