#include "support/ChatHome.h"

#include "profiles/AppPaths.h"
#include "support/TestHome.h"

QByteArray sessionMeta(const QByteArray& provider, const QByteArray& extra) {
    return "{\"timestamp\":\"2025-05-01T10:00:00.000Z\",\"type\":\"session_meta\",\"payload\":"
           "{\"id\":\"0196\",\"cwd\":\"/work\",\"originator\":\"codex_cli_rs\"," +
           extra + "\"model_provider\":\"" + provider + "\",\"cli_version\":\"0.1.0\"}}";
}

const QByteArray sessionRest =
    "\n" +
    QByteArray("{\"type\":\"response_item\",\"payload\":{\"type\":\"message\","
               "\"model_provider\":\"openai\",\"text\":\"é \\\"x\\\"\"}}")
        .repeated(3) +
    "\n";

QString createChatHome(const TestHome& home, const QStringList& threads, bool pendingLog) {
    const QString path = home.file("it's a \"home\" $HOME `x`");
    QDir().mkpath(path + "/.codex/sessions");
    AppPaths::setHomeDirectoryOverride(path);
    QByteArray script = pendingLog ? ".dbconfig no_ckpt_on_close on\n" : "";
    script += "PRAGMA journal_mode=WAL;\n"
              "CREATE TABLE threads(id TEXT PRIMARY KEY, rollout_path TEXT, model_provider TEXT,"
              " title TEXT, archived INTEGER DEFAULT 0);\n";
    for (const QString& thread : threads) {
        const QStringList f = thread.split(' ');
        script += QString("INSERT INTO threads(id, model_provider, rollout_path, title) "
                          "VALUES ('%1', '%2', %3, 'Chat %1');\n")
                      .arg(f[0], f[1], f.size() > 2 ? "'" + f[2] + "'" : "NULL")
                      .toUtf8();
    }
    sqlite(AppPaths::stateDatabaseURL(), script);
    return AppPaths::stateDatabaseURL();
}

QString chatProviders() {
    return sqlite(AppPaths::stateDatabaseURL(), "SELECT model_provider FROM threads ORDER BY id;")
        .split('\n', Qt::SkipEmptyParts)
        .join(' ');
}

QString chatDump(const QString& database) {
    return sqlite(database, "SELECT quote(id), model_provider FROM threads ORDER BY rowid;");
}

Profile providerProfile(const QString& provider) {
    Profile profile = Profile::chatGPTAccount();
    profile.modelProvider = provider.isNull() ? std::nullopt : std::optional(provider);
    return profile;
}

ChatSyncResult syncChats(const QString& provider, const QString& sqlitePath) {
    return ChatSyncService(nullptr, sqlitePath).syncChats(providerProfile(provider));
}

QString undone(const ChatUndoResult& result) {
    return QString("%1 rows, %2 files").arg(result.rows).arg(result.files);
}
