// Times ConfigPatcher::patchedContent followed by validate on generated config.toml
// texts of growing size, to show that the work grows linearly with the file.

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
    const Profile profile = Profile::velqorAccount(1);
    const struct {
        const char* label;
        qsizetype bytes;
        int runs;
    } sizes[] = {
        {"10 KB", 10 * 1024, 201}, {"1 MB", 1024 * 1024, 31}, {"10 MB", 10 * 1024 * 1024, 11}};

    std::printf("%-7s %12s %6s %14s %14s\n", "size", "chars", "runs", "median ms", "ms per MB");
    for (const auto& size : sizes) {
        const QString config = generatedConfig(size.bytes);
        std::vector<double> times;
        qsizetype sink = 0;
        for (int run = 0; run < size.runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            const QString patched = ConfigPatcher::patchedContent(config, profile);
            ConfigPatcher::validate(patched, profile);
            times.push_back(timer.nsecsElapsed() / 1e6);
            sink += patched.size();
        }
        const double median = medianOf(times);
        const double megabytes = double(config.size()) / (1024.0 * 1024.0);
        std::printf("%-7s %12lld %6d %14.3f %14.3f\n", size.label,
                    static_cast<long long>(config.size()), size.runs, median, median / megabytes);
        if (sink == 0)
            return 1;
    }
    return 0;
}
