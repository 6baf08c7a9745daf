// Times ConfigPatcher::patchedContent (the new text and its check) and validate (the
// verification after writing) on generated config.toml texts of growing size.

#include "codex/ConfigPatcher.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A config.toml as people keep them: a commented top-level region holding the managed
// keys among others, then many tables (profiles, MCP servers, their environments).
QString generatedConfig(qsizetype targetBytes) {
    QString text = QStringLiteral("# Codex configuration\n"
                                  "# Managed keys are rewritten on every profile switch.\n"
                                  "\n"
                                  "model = \"gpt-4.1\" # previous choice\n"
                                  "approval_policy = \"on-request\"\n"
                                  "sandbox_mode = \"workspace-write\"\n"
                                  "preferred_auth_method = \"chatgpt\"\n"
                                  "model_provider = \"openai\"\n"
                                  "file_opener = \"vscode\"\n"
                                  "disable_response_storage = false\n"
                                  "  model_reasoning_effort = \"medium\"\n"
                                  "hide_agent_reasoning = true\n"
                                  "\n");
    text.reserve(targetBytes + 1024);
    for (int n = 0; text.size() < targetBytes; ++n) {
        const QString i = QString::number(n);
        text += QStringLiteral("[profiles.team") + i + QStringLiteral("]\n") +
                QStringLiteral("model = \"o3\"\nmodel_provider = \"azure\"\n"
                               "approval_policy = \"never\"\n\n") +
                QStringLiteral("[mcp_servers.tool") + i + QStringLiteral("]\n") +
                QStringLiteral("command = \"npx\"\n"
                               "args = [\"-y\", \"@example/server\", \"--port\", \"") +
                i + QStringLiteral("\"]\n\n[mcp_servers.tool") + i +
                QStringLiteral(".env]\nAPI_TOKEN = \"token-") + i +
                QStringLiteral("\" # rotated monthly\nLOG_LEVEL = \"info\"\n\n");
    }
    return text;
}

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    // An API-key profile: the patch also adds the Velqor provider table.
    const Profile profile = Profile::velqorAccount(1);
    const struct {
        const char* label;
        qsizetype bytes;
        int runs;
    } sizes[] = {
        {"10 KB", 10 * 1024, 201}, {"1 MB", 1024 * 1024, 11}, {"10 MB", 10 * 1024 * 1024, 3}};

    // "toml": the file parses, so the new text is checked with the TOML parser before it
    // would be written. "lines": a stray line at the end makes it invalid TOML (found only
    // after parsing everything), so the line rules alone apply.
    std::printf("%-7s %-6s %12s %5s %12s %12s %12s\n", "size", "kind", "chars", "runs", "patch ms",
                "verify ms", "ms per MB");
    for (const auto& size : sizes) {
        for (const bool toml : {true, false}) {
            QString config = generatedConfig(size.bytes);
            if (!toml)
                config += QStringLiteral("stray line\n");
            std::vector<double> patchTimes;
            std::vector<double> verifyTimes;
            qsizetype sink = 0;
            for (int run = 0; run < size.runs; ++run) {
                QElapsedTimer timer;
                timer.start();
                const QString patched = ConfigPatcher::patchedContent(config, profile);
                patchTimes.push_back(timer.nsecsElapsed() / 1e6);
                timer.restart();
                ConfigPatcher::validate(patched, profile);
                verifyTimes.push_back(timer.nsecsElapsed() / 1e6);
                sink += patched.size();
            }
            const double patch = medianOf(patchTimes);
            const double verify = medianOf(verifyTimes);
            const double megabytes = double(config.size()) / (1024.0 * 1024.0);
            std::printf("%-7s %-6s %12lld %5d %12.3f %12.3f %12.3f\n", size.label,
                        toml ? "toml" : "lines", static_cast<long long>(config.size()), size.runs,
                        patch, verify, (patch + verify) / megabytes);
            if (sink == 0)
                return 1;
        }
    }
    return 0;
}
