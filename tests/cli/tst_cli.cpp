#include "profiles/ProfilesStore.h"
#include "profiles/ProxyURLFormatter.h"
#include "support/Checks.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

#include <QStandardPaths>

// tavrin-cli run as a real process over a temporary home.

namespace {

const QString cli = qEnvironmentVariable("TAVRIN_CLI");

// With a file size limit, a write past it fails as on a full disk: no root and no small
// file system needed.
ProcessRun run(const QStringList& arguments, const QByteArray& input = {},
               qint64 fileSizeLimit = 0) {
    return runProcess(cli, arguments, input, {}, [fileSizeLimit] {
        if (fileSizeLimit)
            limitFileSize(static_cast<unsigned long>(fileSizeLimit));
    });
}

QJsonDocument jsonOf(const QStringList& arguments) {
    return QJsonDocument::fromJson(run(arguments).out);
}

QJsonObject claudeStatus() {
    return jsonOf({"status", "--json"})["claude"].toObject();
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY2(QFileInfo::exists(cli), "TAVRIN_CLI must name the built tavrin-cli");
        m_home = std::make_unique<TestHome>();
    }

    void cleanup() { m_home.reset(); }

    // Also: a key file that is a named pipe still lets the profiles be listed, and never
    // hangs the command.
    void usage_data() {
        QTest::addColumn<QString>("arguments"); // "_" stands for a space inside one
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");  // on standard output when it succeeds, else on error
        QTest::addColumn<QString>("setup"); // "<path below the home> <what makeEntry() puts>"
        const auto row = [](const char* arguments, int status, const QString& said,
                            const QString& setup = {}) {
            QTest::newRow(*arguments ? qPrintable((arguments + QString(" ") + setup).trimmed())
                                     : "nothing")
                << QString(arguments) << status << said << setup;
        };
        const QString keys = ".codex/tavrin/keys.json ";
        row("list claude", 0, "Velqor 1  (no API key)", keys + "fifo");
        row("--version", 0, "tavrin-cli 1.");
        row("--help", 0, "Usage: tavrin-cli");
        row("switch --help", 0, "--no-restart");
        row("", 2, "Usage: tavrin-cli");
        row("frobnicate", 2, "Unknown command");
        row("list --colour", 2, "Unknown option --colour");
        row("list --json=yes", 2, "Unknown option --json=yes");
        row("env claude --shell", 2, "--shell needs a value");
        row("list claude extra", 2, "Too many arguments: claude extra");
        row("switch codex", 2, "tavrin-cli switch --help");
        row("switch vim x", 2, "use codex or claude");
        row("switch codex nope", 1,
            "There is no profile 'nope'. Profiles for Codex: chatgpt (ChatGPT Account), velqor-1 "
            "(Velqor 1), velqor-2 (Velqor 2).");
        row("switch claude ChatGPT_Account", 1, "ChatGPT Account cannot be used for Claude Code.");
        row("key set velqor-1", 1, "No key was given");
        row("env claude --shell csh", 2, "use sh, bash, zsh or fish");
        row("key delete velqor-1", 1,
            "Nothing was deleted. Run `tavrin-cli key delete velqor-1 --yes`",
            keys + R"({"velqor-1": "sk-a"})");
        row("key store", 0, "API keys are kept in ~/.codex/tavrin/keys.json.");
        row("key store vault", 2, "use keyring or file");
        row("backups list", 0, "No backups.");
        row("backups show nope", 1, "There is no backup nope.");
        row("backups prune --keep x", 2, "--keep needs a number");
        row("backups prune --max-size lots", 2, "--max-size needs a size");
    }

    void usage() {
        QFETCH(QString, arguments);
        QFETCH(QString, said);
        QFETCH(QString, setup);
        if (!setup.isEmpty())
            makeEntry(m_home->file(setup.section(' ', 0, 0)), setup.section(' ', 1).toUtf8());
        QStringList words = arguments.split(' ', Qt::SkipEmptyParts);
        words.replaceInStrings("_", " ");
        const ProcessRun result = run(words);
        QTEST(result.status, "status");
        QVERIFY2((result.status == 0 ? result.out : result.err).contains(said.toUtf8()),
                 (result.out + result.err).constData());
    }

    // A switch, followed by the window's store without a change of its own, and by list and
    // status. A key and a profile are deleted, the active one refused without asking; the
    // copies are listed, shown, restored and pruned.
    void switchStatusKeysAndBackups() {
        ProfilesStore store;
        store.load();
        store.startWatchingFiles();
        QCOMPARE(run({"key", "set", "Velqor 1"}, "sk-one\n").out, "Key saved for Velqor 1.\n");
        run({"key", "set", "velqor-2"}, "sk-two");
        // What an interrupted write left is cleared away, and the line says so.
        m_home->write(".claude/settings.json.tavrin-tmp-Ab12Cd", "{\"env\": {\"ANTHROPIC");
        const ProcessRun switched = run({"-v", "switch", "claude", "velqor-1", "--no-restart"});
        QCOMPARE(switched.status, 0);
        // No session was opened, and the line does not say one was.
        QCOMPARE(switched.out, "Claude Code switched to Velqor 1. Removed 1 temporary file left "
                               "by an interrupted write.\n");
        // Each step once, also with --verbose.
        QVERIFY2(switched.err.count("Updated settings.json.") == 1, switched.err.constData());
        QTRY_COMPARE_WITH_TIMEOUT(store.activeClaudeProfileID(), "velqor-1", 5000);
        for (const char* profile : {"claude-code", "velqor-2", "claude-code", "velqor-2"})
            QCOMPARE(run({"switch", "claude", profile, "--no-restart"}).status, 0);

        const QJsonObject list = jsonOf({"list", "claude", "--json"}).object();
        QCOMPARE(list.keys(), QStringList{"claude"});
        for (const QJsonValue& entry : list["claude"].toArray())
            QCOMPARE(entry["active"].toBool(), entry["id"].toString() == "velqor-2");
        QCOMPARE(claudeStatus()["active"].toString(), "velqor-2");
        QVERIFY(claudeStatus()["matches"].toBool());

        const ProcessRun deleted = run({"key", "delete", "velqor-1", "--yes"});
        QVERIFY2(deleted.out.startsWith("Key deleted for Velqor 1. Also "),
                 deleted.out.constData());
        QCOMPARE(run({"profile", "delete", "velqor-1", "--yes"}).out,
                 "Profile deleted: Velqor 1.\n");
        const ProcessRun active = run({"profile", "delete", "velqor-2"});
        QVERIFY(active.status == 1 && !active.err.contains("Nothing was deleted")); // not asked

        const QJsonArray copies = jsonOf({"backups", "list", "claude", "--json"}).array();
        QVERIFY2(copies.size() >= 3, run({"backups", "list"}).out.constData());
        const QString oldest = copies.last()["id"].toString();
        QVERIFY(run({"backups", "show", oldest}).out.startsWith("--- ~/.claude/settings.json"));
        QCOMPARE(run({"backups", "restore", oldest}).status, 1); // no terminal, no --yes
        const ProcessRun restored = run({"backups", "restore", oldest, "--yes"});
        QVERIFY2(restored.out.startsWith("Restored settings.json"), restored.out.constData());
        // The file no longer holds what the active profile wants: status says so, without
        // the key.
        QVERIFY(!claudeStatus()["matches"].toBool());
        QVERIFY(!claudeStatus()["differences"].toArray().isEmpty());
        QVERIFY(!run({"status"}).out.contains("sk-two"));
        QVERIFY(
            run({"backups", "prune", "--keep", "1", "--dry-run"}).out.startsWith("Would remove"));
        const ProcessRun pruned = run({"backups", "prune", "--keep", "1"});
        QVERIFY2(pruned.out.startsWith("Removed "), pruned.out.constData());
        QCOMPARE(run({"backups", "prune"}).out, "No old backups to remove.\n"); // the limit stays
    }

    // What `env` prints, evaluated by each real shell, gives back the values as typed. Each
    // shell's completion script loads, and completes what the word may be: an option's
    // values after it, a target's profiles, every profile id once. A line ends with the
    // word being completed ("" after a final space).
    void shells_data() {
        QTest::addColumn<QString>("shell");
        for (const char* shell : {"bash", "zsh", "sh", "fish"})
            QTest::newRow(shell) << QString(shell);
    }

    void shells() {
        QFETCH(QString, shell);
        const QString program = QStandardPaths::findExecutable(shell);
        if (program.isEmpty())
            QSKIP("this shell is not installed");
        const QString key = "k'e\"y $HOME `x` \\n ü;\\";
        const QString proxyTyped = "gw.example:3128:dom\\us'r:p@ss w\"$rd";
        ProfilesStore store;
        store.load();
        Profile profile = *store.profile("velqor-1");
        profile.proxyURL = ProxyURLFormatter::normalized(proxyTyped);
        store.saveProfile(profile, key);
        // The scripts run tavrin-cli from PATH, as a user's would.
        makeEntry(m_home->file("bin/tavrin-cli"), "link:" + cli.toUtf8());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", m_home->file("bin") + ':' + environment.value("PATH"));
        const QString print =
            R"(printf '%s|%s|%s' "$HTTPS_PROXY" "$ANTHROPIC_API_KEY" "$CLAUDE_CODE_SIMPLE")";
        const QString script =
            shell == "fish"
                ? "tavrin-cli env claude velqor-1 --shell fish | source; " + print
                : "eval \"$(tavrin-cli env claude velqor-1 --shell " + shell + ")\" && " + print;
        // Whatever the shell says on its standard error comes first, and fails the compare.
        const ProcessRun evaluated = runProcess(program, {"-c", script}, {}, environment);
        QCOMPARE(QString::fromUtf8(evaluated.err + evaluated.out),
                 *ProxyURLFormatter::normalized(proxyTyped) + '|' + key + "|1");
        if (shell == "sh")
            return; // no completions for it
        const QString load = "source <(tavrin-cli completions " + shell + "); ";
        for (const auto& [line, expected] : {std::pair{"env claude --shell ", "bash fish sh zsh"},
                                             {"key set ", "chatgpt claude-code velqor-1 velqor-2"},
                                             {"switch claude ", "claude-code velqor-1 velqor-2"},
                                             {"list --", "--ids --json"},
                                             {"completions ", "bash fish zsh"}}) {
            const QStringList words = ("tavrin-cli " + QString(line)).split(' ');
            const QMap<QString, QString> scripts{
                {"bash", load + "COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _tavrin_cli; "
                                "printf '%s\\n' \"${COMPREPLY[@]}\""},
                {"zsh",
                 "compadd() { [[ $1 == -- ]] && shift; print -l -- \"$@\"; }; compdef() { :; }; " +
                     load + "words=(\"$@\"); CURRENT=$#; _tavrin_cli"},
                {"fish", "tavrin-cli completions fish | source; complete -C '" + words.join(' ') +
                             "' | string replace -r '\\t.*' ''"}};
            const ProcessRun result = runProcess(
                program, QStringList{"-c", scripts[shell], "_"} + words, {}, environment);
            QStringList completed = QString::fromUtf8(result.out).split('\n', Qt::SkipEmptyParts);
            completed.sort();
            QCOMPARE(result.err + line + completed.join(' '), line + QString(expected));
        }
    }

    // Switches, key changes and profile edits at once, from several programs: every key and
    // every edit is kept, and the active profile always agrees with the files. (That a
    // restore never undoes a switch that still runs: tst_switchflow.)
    void changesAtOnceAreAllKept() {
        ProfilesStore store;
        store.load();
        for (int n : {3, 4})
            store.saveProfile(Profile::velqorAccount(n));
        m_home->write(".codex/tavrin/keys.json", R"({"velqor-1": "one", "velqor-2": "two"})");
        for (int round = 0; round < 12; ++round) {
            const QString tag = QString::number(round);
            QProcess switches[2], keys[2];
            for (int i = 0; i < 2; ++i)
                keys[i].start(cli, {"key", "set", QString("velqor-%1").arg(i + 3)});
            // Both wait for their key; given at once, they change the file at once.
            QTest::qWait(150);
            for (int i = 0; i < 2; ++i) {
                switches[i].start(
                    cli, {"switch", "claude", QString("velqor-%1").arg(i + 1), "--no-restart"});
                keys[i].write(QString("key%1-%2").arg(i + 3).arg(tag).toUtf8());
                QVERIFY(keys[i].waitForBytesWritten());
            }
            for (QProcess& key : keys)
                key.closeWriteChannel();
            // The window edits a profile all the while.
            Profile renamed = *store.profile("velqor-3");
            for (int edit = 0; switches[0].state() != QProcess::NotRunning ||
                               switches[1].state() != QProcess::NotRunning;
                 ++edit) {
                renamed.name = QString("Renamed %1.%2").arg(tag).arg(edit);
                store.saveProfile(renamed);
                switches[0].waitForFinished(1);
                switches[1].waitForFinished(1);
            }
            for (QProcess* process : {&switches[0], &switches[1], &keys[0], &keys[1]}) {
                QVERIFY(process->state() == QProcess::NotRunning ||
                        process->waitForFinished(30000));
                QVERIFY2(process->exitCode() == 0, process->readAllStandardError().constData());
            }
            QVERIFY(claudeStatus()["matches"].toBool());
            QCOMPARE(QJsonDocument::fromJson(m_home->read(".codex/tavrin/keys.json")).object(),
                     (QJsonObject{{"velqor-1", "one"},
                                  {"velqor-2", "two"},
                                  {"velqor-3", "key3-" + tag},
                                  {"velqor-4", "key4-" + tag}}));
            QVERIFY(m_home->read(".codex/tavrin/profiles.json")
                        .contains(QByteArray('"' + renamed.name.toUtf8() + '"')));
        }
        QVERIFY(!m_home->exists(".codex/tavrin/switch-journal.json"));
    }

    // A write that finds the disk full fails in plain words naming the file, and the
    // switch is undone: every file is as it was, never empty or short, and no backup is
    // replaced by a short copy. settings.json, readable by others here, is copied for its
    // backup; config.toml is kept under its dated name and needs no room. (The undo after
    // each step is tst_switchflow's; each write on a full disk, tst_fileutil's.)
    void diskFull() {
        run({"key", "set", "velqor-1"}, "sk-1");
        // Both larger than the switch journal, so that the limit is met where it is meant to.
        m_home->write(".codex/config.toml", "# " + QByteArray(2400, 'c') + "\nmodel = \"old\"\n");
        m_home->write(".claude/settings.json",
                      "{\"env\": {\"KEEP\": \"1\"}, \"notes\": \"" + QByteArray(1500, 'n') + "\"}");
        const QString latest[] = {".codex/config.toml.backup-before-profile-switch",
                                  ".claude/settings.json.backup-before-profile-switch"};
        for (const QString& file : latest)
            m_home->write(file, "older");
        QMap<QString, QByteArray> before;
        for (const char* file : {".codex/config.toml", ".codex/auth.json", ".claude/settings.json",
                                 ".codex/tavrin/profiles.json", ".codex/tavrin/keys.json"})
            before[file] = m_home->read(file);
        // The file size limit is the file's size as the switch starts, plus the bytes given.
        for (const auto& [target, sized, bytes, named] :
             {std::tuple{"claude", ".claude/settings.json", -1, "~/.claude/backups/settings-"},
              {"codex", ".codex/config.toml", 10, "~/.codex/config.toml."}}) {
            const ProcessRun result = run({"switch", target, "velqor-1", "--no-restart"}, {},
                                          bytes + QFileInfo(m_home->file(sized)).size());
            QCOMPARE(result.status, 1);
            QVERIFY2(result.err.contains(QByteArray("Not enough disk space to write ") + named),
                     result.err.constData());
            for (auto it = before.cbegin(); it != before.cend(); ++it)
                QVERIFY2(m_home->read(it.key()) == it.value(), qPrintable(it.key()));
            // The latest copy is the old one, or the file as it was once the dated copy of a
            // backup is made: never a short one, and never replaced by a backup that failed.
            for (const QString& file : latest) {
                const QByteArray copy = m_home->read(file);
                QVERIFY2(copy == "older" || (copy == before[file.section(".backup", 0, 0)] &&
                                             !QString(named).contains("/backups/")),
                         qPrintable(file));
            }
            for (const char* folder :
                 {".codex", ".codex/tavrin", ".codex/backups", ".claude", ".claude/backups"})
                QCOMPARE(m_home->entries(folder).filter(".tavrin-tmp-"), QStringList());
        }
    }

    // The remote policy lock of the window holds here too: the request runs in a module
    // loaded only when a policy location is configured. One that cannot be read locks nothing.
    void switchHonoursThePolicy() {
        TestHttpServer server;
        m_home->write(".config/Tavrin/Tavrin.conf",
                      "[General]\nCloudPolicyURL=" + server.url().toString().toUtf8() + "\n");
        m_home->write(".codex/tavrin/keys.json", R"({"velqor-1": "sk"})");
        for (const auto& [policy, status, err] :
             {std::tuple{R"({"minimum_supported_version": "99"})", 1, "Update required"},
              {R"({"minimum_supported_version": "0.1"})", 0, ""},
              {"not json", 0, "Cloud check failed: The cloud policy is not valid JSON"}}) {
            server.setResponse(TestHttpServer::Response::json(policy));
            QProcess process;
            process.start(cli, {"switch", "claude", "velqor-1", "--no-restart"});
            // The loopback server answers from this event loop while the command runs.
            QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 20000);
            QCOMPARE(process.exitCode(), status);
            QVERIFY2(process.readAllStandardError().contains(err), err);
        }
        QCOMPARE(server.requestCount(), 3);
    }

    // An interrupted switch is noted by every command and restored by recover once asked
    // (which entries of its journal are trusted: tst_switchflow); one whose journal cannot
    // be read stops every switch until it is set aside.
    void interruptedSwitchIsRecovered() {
        writeInterruptedCodexSwitch(*m_home);
        QVERIFY(run({"list"}).err.contains("the last switch of Codex to Velqor 1 did not finish"));
        const ProcessRun asked = run({"recover"});
        QVERIFY2(asked.status == 1 && asked.out.contains("\nconfig.toml: changed by the switch\n"),
                 asked.out.constData());
        // What an interrupted write left is cleared away first, and the line says so.
        m_home->write(".codex/auth.json.tavrin-tmp-Ab12Cd", "{");
        const ProcessRun recovered = run({"recover", "--yes"});
        QVERIFY2(recovered.status == 0 &&
                     recovered.out.startsWith(
                         "Removed 1 temporary file left by an interrupted write.\n") &&
                     recovered.out.contains("\nRestored config.toml from before"),
                 recovered.out.constData());
        QVERIFY(!m_home->exists(".codex/auth.json.tavrin-tmp-Ab12Cd"));
        QCOMPARE(m_home->read(".codex/config.toml"), "model = \"old\"\n");
        QCOMPARE(run({"recover"}).out, "No switch was interrupted.\n");

        m_home->write(".codex/tavrin/switch-journal.json", "{");
        for (const QStringList& command :
             {QStringList{"list"}, {"switch", "claude", "claude-code"}})
            QVERIFY(run(command).err.contains("cannot be read"));
        const ProcessRun unreadable = run({"recover", "--yes"});
        QVERIFY2(unreadable.status == 1 && unreadable.out.contains("recover --discard"),
                 unreadable.out.constData());
        QCOMPARE(run({"recover", "--discard"}).status, 0);
        QCOMPARE(m_home->entries(".codex/tavrin").filter("switch-journal-").size(), 1);
        QCOMPARE(run({"recover"}).out, "No switch was interrupted.\n");
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
