#include "codex/ConfigPatch.h"
#include "codex/ConfigPatcher.h"
#include "codex/ConfigReading.h"
#include "profiles/AppPaths.h"
#include "support/Checks.h"
#include "support/TestHome.h"
#include "system/FileBackupService.h"

#include <QRegularExpression>

namespace {

Profile profile(const QString& provider = "openai", const QString& method = "chatgpt",
                const QString& model = "gpt-5.5") {
    return Profile("p", "P", method, optionalText(provider), model, "xhigh", true, true);
}
const Profile velqor = Profile::velqorAccount(1);

// %K: the managed lines for the row's profile; %M: the same without the model line;
// %T: the Velqor provider table. Each line ends with `newline`.
QString expand(QString text, const Profile& p, const QString& newline = "\n") {
    const QString provider = p.modelProvider ? p.modelProvider->trimmed() : QString();
    const QString providerLine =
        provider.isEmpty() ? QString() : QStringLiteral("model_provider = \"%1\"\n").arg(provider);
    const QString effort = "model_reasoning_effort = \"xhigh\"\n";
    text.replace("%K", providerLine + QStringLiteral("model = \"%1\"\n").arg(p.model) + effort);
    text.replace("%M", providerLine + effort);
    text.replace("%T", QStringLiteral("[model_providers.velqor]\nname = \"Velqor\"\n"
                                      "base_url = \"https://api.velqor.com/v1\"\n"
                                      "wire_api = \"responses\"\n"
                                      "requires_openai_auth = true\n"));
    return text.replace('\n', newline);
}

const QString config = ".codex/config.toml";
const QString latest = ".codex/config.toml.backup-before-profile-switch";

const QString chatRefusal = QStringLiteral(
    "config.toml: [model_providers.velqor] has wire_api = \"chat\", which Codex no longer "
    "supports. Change it to wire_api = \"responses\".");
QString authRefusal(const QString& provider) {
    return QStringLiteral("config.toml: [model_providers.%1] does not set requires_openai_auth "
                          "= true, so Codex would not send the API key. Set "
                          "requires_openai_auth = true in that table.")
        .arg(provider);
}

struct Patch {
    const char* name;
    QByteArray original; // null: no file
    Profile profile;
    QString expected; // %K, %M, %T: see expand(); null: refused with `message`
    QString message = {};
    // "link" (config.toml links to it), "no backups", "recorder fails" or "changed"
    // (something else writes the file between prepare and apply)
    QString setup = {};
};

} // namespace

Q_DECLARE_METATYPE(Patch)

class TestConfigPatcher : public QObject {
    Q_OBJECT

private slots:
    // The checks on a new text: against the original when that is TOML (nothing else may
    // change), and that the managed keys came out as the profile wants (null original).
    void checks_data() {
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("patched"); // %K, %M, %T: see expand()
        QTest::addColumn<Profile>("profile");
        QTest::addColumn<QString>("message"); // empty: passes
        const QString prefix = "Could not update config.toml: ";
        const auto alter = [&](const char* what) {
            return prefix + "the change would also alter " + what +
                   ", which Tavrin does not manage. Nothing was written.";
        };
        const auto row = [](const char* name, const char* original, const char* patched,
                            const Profile& p, const QString& message = {}) {
            QTest::newRow(name) << QString(original) << expand(patched, p) << p << message;
        };
        const Profile p = profile(), odd = profile("openai", "chatgpt", "a\"b\\c#d"),
                      none = profile(QString());
        // clang-format off
        row("unchanged, nan kept", "x = nan\n[t]\ny = [1, { z = 2 }]\n", "%K\nx = nan\n[t]\ny = [1, { z = 2 }]\n", p);
        row("value changed", "approval_policy = \"never\"\n", "%K\napproval_policy = \"on-request\"\n", p, alter("approval_policy"));
        row("key in a table lost", "[t]\nx = 1\ny = 2\n", "%K\n[t]\nx = 1\n", p, alter("t.y"));
        row("array element changed", "[\"a b\"]\nx = [1, 2]\n", "%K\n[\"a b\"]\nx = [1, 3]\n", p, alter("\"a b\".x"));
        row("type changed", "x = 1\n", "%K\nx = 1.0\n", p, alter("x"));
        row("key added", "", "%K\n[t]\n", p, alter("t"));
        row("managed key wrong", "", "model = \"o3\"\n", p, prefix + "model_provider was not updated. Nothing was written.");
        row("escapes decoded", nullptr, "model = \"a\\\"b\\\\c#d\"\n%M", odd);
        row("not TOML: escapes decoded too", nullptr, "model = \"a\\\"b\\\\c#d\"\n%M\nx =\n", odd);
        row("not TOML: later duplicate wins, comment ignored", nullptr, "model = 1\n%K\nmodel = \"gpt-5.5\" # pinned\nx =\n", velqor,
            "[model_providers.velqor] was not added.");
        row("only in a table", nullptr, "[t]\n%K", none, "model was not updated.");
        row("provider still active", nullptr, "%K\nmodel_provider = \"openai\"", none, "model_provider is still active.");
        row("removed key still active", nullptr, "%K\npreferred_auth_method = \"apikey\"", none, "preferred_auth_method is still active.");
        row("not TOML: removed key still active", nullptr, "%K\n\u2003disable_response_storage\u2003= true\n", none, "disable_response_storage is still active.");
        row("velqor table usable", nullptr, "%K\n%T", velqor);
        // clang-format on
    }

    void checks() {
        QFETCH(QString, original);
        QFETCH(QString, patched);
        QFETCH(Profile, profile);
        std::optional<toml::table> tree = ConfigReading::parsed(original.toUtf8());
        const QString provider = ConfigReading::providerNeedingTable(profile);
        QTEST(original.isNull()
                  ? ConfigReading::mismatch(ConfigReading::readingOf(patched.toUtf8(), provider),
                                            profile, provider)
                        .value_or(QString())
                  : errorOf([&] {
                        if (tree)
                            ConfigPatch::checkAgainst(*tree, patched.toUtf8(), profile);
                    }),
              "message");
    }

    void differences_data() {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<Profile>("profile");
        QTest::addColumn<QString>("expected"); // lines joined by "|"
        // clang-format off
        QTest::newRow("no file") << QByteArray() << velqor
            << QStringLiteral("model_provider: missing, expected \"velqor\"|model: missing, expected \"gpt-5.5\"|"
                              "model_reasoning_effort: missing, expected \"xhigh\"|[model_providers.velqor]: missing");
        QTest::newRow("everything off")
            << QByteArray("model_provider = \"openai\"\nmodel = \"o3\"\nmodel_reasoning_effort = 5\npreferred_auth_method = \"apikey\"\n"
                          "disable_response_storage = true\n[model_providers.velqor]\nwire_api = \"chat\"\nrequires_openai_auth = false\n")
            << velqor
            << QStringLiteral("model_provider: \"openai\", expected \"velqor\"|model: \"o3\", expected \"gpt-5.5\"|"
                              "model_reasoning_effort: 5, expected \"xhigh\"|preferred_auth_method: \"apikey\", should be absent|"
                              "disable_response_storage: true, should be absent|model_providers.velqor.wire_api: \"chat\", expected \"responses\"|"
                              "model_providers.velqor.requires_openai_auth: false, expected true");
        QTest::newRow("not TOML, provider should be absent") << QByteArray("model_provider = velqor\nx =\n") << profile(QString())
            << QStringLiteral("model_provider: velqor, should be absent|model: missing, expected \"gpt-5.5\"|model_reasoning_effort: missing, expected \"xhigh\"");
        QTest::newRow("not UTF-8") << QByteArray("\xFF") << velqor << QStringLiteral("Could not read $CONFIG: the file is not valid UTF-8 text.");
        // clang-format on
    }

    void differences() {
        QFETCH(QByteArray, content);
        QFETCH(Profile, profile);
        QFETCH(QString, expected);
        TestHome home;
        if (!content.isNull())
            home.write(config, content);
        QCOMPARE(ConfigPatcher().differences(profile, AppPaths::configURL()).join('|'),
                 expected.replace("$CONFIG", AppPaths::configURL()));
    }

    // What a patch makes of a file's text: the managed keys rewritten in place or added at
    // the top, everything else as it was.
    void text_data() {
        const Profile openai = profile(), azure = profile("azure");
        // clang-format off
        addRows<Patch>({
            {"empty file", "", openai, "%K"},
            {"no final newline", "model = 1", openai, "%M\nmodel = \"gpt-5.5\""},
            {"mostly crlf: new lines crlf, lf lines kept",
                "model = \"gpt-4.1\"\napproval_policy = \"never\"\nsandbox_mode = \"workspace-write\"\r\n[t]\r\nx = 1\r\n",
                openai, "model_provider = \"openai\"\r\nmodel_reasoning_effort = \"xhigh\"\r\n\r\nmodel = \"gpt-5.5\"\napproval_policy = \"never\"\nsandbox_mode = \"workspace-write\"\r\n[t]\r\nx = 1\r\n"},
            {"mostly lf: a crlf key line keeps its ending", "a = 1\nb = 2\nmodel = \"x\"\r\n", openai,
                "%M\na = 1\nb = 2\nmodel = \"gpt-5.5\"\r\n"},
            {"multi-line basic string",
                "instructions = \"\"\"\nmodel = \"keep me\"\n[not.a.table]\n\\\"\"\"\"\"\nmodel = \"old\"\n", openai,
                "%M\ninstructions = \"\"\"\nmodel = \"keep me\"\n[not.a.table]\n\\\"\"\"\"\"\nmodel = \"gpt-5.5\"\n"},
            {"multi-line literal string", "notes = '''\npreferred_auth_method = \"x\"\n'''\n", openai,
                "%K\nnotes = '''\npreferred_auth_method = \"x\"\n'''\n"},
            {"multi-line array", "sandbox_allow = [\n  [\"git\", \"status\"], # [\n]\nmodel = \"old\"\n[t]\nmodel = 2\n",
                openai, "%M\nsandbox_allow = [\n  [\"git\", \"status\"], # [\n]\nmodel = \"gpt-5.5\"\n[t]\nmodel = 2\n"},
            {"managed key with a multi-line value", "model = \"\"\"\nold\n\"\"\"\nx = 1\n", openai,
                "%M\nmodel = \"gpt-5.5\"\nx = 1\n"},
            {"removed keys go at the top, stay in tables",
                "preferred_auth_method = \"chatgpt\"\ndisable_response_storage = true\nmodel = \"old\"\n"
                "[profiles.x]\npreferred_auth_method = \"apikey\"\ndisable_response_storage = false\n", openai,
                "%M\nmodel = \"gpt-5.5\"\n[profiles.x]\npreferred_auth_method = \"apikey\"\ndisable_response_storage = false\n"},
            {"indented array of tables first", "  [[arr]]\nmodel = 2", openai, "%K\n  [[arr]]\nmodel = 2"},
            {"leading empty line reused", "\n# c\n\n", openai, "%K\n# c\n\n"},
            {"not TOML: comment lost, duplicate dropped", "'model' = \"a\" # old\nx = 1\n  model = \"b\"\n",
                openai, "%M\nmodel = \"gpt-5.5\"\nx = 1\n"},
            {"unmanaged key forms untouched", "# model = 1\nm.model = 1\nmodel-x = 3", openai,
                "%K\n# model = 1\nm.model = 1\nmodel-x = 3"},
            {"velqor table added", "model = \"old\"\n[t]\nx = 1", velqor,
                "%M\nmodel = \"gpt-5.5\"\n[t]\nx = 1\n\n%T"},
            {"velqor table added once after a blank line", "a = 1\n\n", velqor, "%K\na = 1\n\n%T"},
            {"velqor table as a header", "[model_providers.velqor]\nrequires_openai_auth = true\n", velqor,
                "%K\n[model_providers.velqor]\nrequires_openai_auth = true\n"},
            {"velqor table as dotted keys", "model_providers.velqor.requires_openai_auth = true\n", velqor,
                "%K\nmodel_providers.velqor.requires_openai_auth = true\n"},
            {"velqor table in a file that is not TOML", "x =\n[ model_providers . velqor ]\nrequires_openai_auth = true",
                velqor, "%K\nx =\n[ model_providers . velqor ]\nrequires_openai_auth = true"},
            {"another provider's table, account profile", "[model_providers.azure]\nbase_url = \"https://x\"\n",
                azure, "%K\n[model_providers.azure]\nbase_url = \"https://x\"\n"},
            {"crlf file, velqor table added", "a = 1\r\n", velqor, expand("%K\na = 1\n\n%T", velqor, "\r\n")},
            {"blank provider: top-level lines removed", "model_provider = \"a\"\n\tmodel_provider=\"b\"\n[t]\nmodel_provider = 1", profile(" \n"),
                "%K\n[t]\nmodel_provider = 1"},
        });
        // clang-format on
    }

    void text() { apply(); }

    // What a patch does to the file, and what it refuses: before anything is changed (no
    // copy, no write, no recorded change), or when the copy or the record cannot be made.
    void apply_data() {
        const QByteArray bom("\xEF\xBB\xBFmodel = \"old\" # keep\r\n[t]\r\nx = 1");
        const QByteArray notToml("\n\nmodel = 'x'\t\r\n# caf\xC3\xA9\nx =\n");
        const QString unknown = QStringLiteral(
            "config.toml has no [model_providers.acme] table, so Codex would stop with \"Model "
            "provider `acme` not found\". Add that table to config.toml or choose another model "
            "provider for this profile.");
        const QString guard = "Could not update config.toml: ";
        const Profile openai = profile(), m = profile("openai", "chatgpt", "m"),
                      acme = profile("acme");
        const QString refused;
        // clang-format off
        addRows<Patch>({
            {"new file", QByteArray(), m, "%K"},
            {"byte order mark, link", bom, m, QChar(0xFEFF) + expand("%M\nmodel = \"m\"\n[t]\nx = 1", m, "\r\n"), {}, "link"},
            {"not TOML, quote in the value", notToml, profile("openai", "chatgpt", "a\"b"), "%M\n\nmodel = \"a\\\"b\"\r\n# caf\u00e9\nx =\n", {}, "link"},
            {"changed after prepare: prepared again", "model = \"old\"\n", m, "%M\nmodel = \"m\"\nkept = 1\n", {}, "changed"},
            {"journal cannot be written: unchanged", notToml, m, refused, "stop", "recorder fails"},
            {"no backup possible: refused", notToml, m, refused, "Could not back up config.toml, so it was not changed: Could not create the folder $HOME/.codex/backups.",
                "no backups"},
            {"wire_api chat", "[model_providers.velqor]\nwire_api = \"chat\"\nrequires_openai_auth = true\n", velqor, refused, chatRefusal},
            {"wire_api chat, not TOML", "x =\n[model_providers.velqor]\nwire_api = \"chat\"\n", velqor, refused, chatRefusal},
            {"API key, no requires_openai_auth", "[model_providers.velqor]\nbase_url = \"https://x\"\n", velqor, refused, authRefusal("velqor")},
            {"API key, requires_openai_auth false inline", "model_providers = { azure = { requires_openai_auth = false } }\n", profile("azure", "apikey"),
                refused, authRefusal("azure")},
            {"API key, requires_openai_auth a string", "[model_providers.velqor]\nrequires_openai_auth = \"true\"\n", velqor, refused, authRefusal("velqor")},
            {"unknown provider", "model = \"x\"\n", acme, refused, unknown},
            {"unknown provider, no file", QByteArray(), acme, refused, unknown},
            {"guard: result not TOML", "model.x = 1\n", openai, refused, guard + "with the change, the line \"model.x = 1\" would not be valid TOML (Error "
                "while parsing key-value pair: cannot redefine existing string as dotted key-value pair). Nothing was written."},
            {"guard: removed key in another form", "preferred_auth_method.x = 1\n", openai, refused, guard + "preferred_auth_method is still active. Nothing was written."},
            {"not UTF-8", "model = \"\xFF\"\n", openai, refused, "Could not read $CONFIG: the file is not valid UTF-8 text."},
        });
        // clang-format on
    }

    void apply() {
        QFETCH(Patch, row);
        auto [name, original, profile, expected, message, setup] = row;
        const bool written = !expected.isNull();
        TestHome home;
        const bool viaLink = setup == "link";
        const QString file = viaLink ? "dotfiles/config.toml" : config;
        if (!original.isNull()) {
            home.write(file, original);
            QVERIFY(QFile::setPermissions(home.file(file), QFileDevice::Permissions(0x6040)));
        }
        if (viaLink)
            makeEntry(home.file(config), "link:" + home.file(file).toUtf8());
        if (setup == "no backups")
            home.write(".codex/backups", "a file where the folder belongs");

        ConfigPatcher patcher;
        int heard = 0;
        // The recorder hears of the change once both copies hold the old file, before it changes.
        const auto recorder = [&, &setup = setup, &original = original](const FileChange& change) {
            if (setup == "recorder fails")
                throw FileError("stop");
            ++heard;
            QCOMPARE(change.path, AppPaths::configURL());
            QCOMPARE(change.existed, !original.isNull());
            QCOMPARE(change.copy.contains(
                         QRegularExpression("/\\.codex/backups/config-[-\\d]{19}\\.toml$")),
                     !original.isNull());
            QCOMPARE((QByteArrayList{home.read(config), home.read(latest), readFile(change.copy)}),
                     QByteArrayList(3, original));
        };
        QCOMPARE(errorOf([&, &profile = profile, &setup = setup, &original = original] {
                     const ConfigChange prepared = patcher.prepare(profile, AppPaths::configURL());
                     if (setup == "changed")
                         home.write(file, original += "kept = 1\n");
                     patcher.apply(prepared, recorder);
                 }),
                 message.replace("$HOME", home.path()).replace("$CONFIG", AppPaths::configURL()));
        QCOMPARE(heard, written ? 1 : 0);
        QCOMPARE(home.read(config), written ? expand(expected, profile).toUtf8() : original);
        // Patched again, it stays as it is.
        if (written)
            QCOMPARE(patcher.prepare(profile, AppPaths::configURL()).content, home.read(config));
        QCOMPARE(QFileInfo(home.file(config)).isSymLink(), viaLink);
        if (!original.isNull())
            QCOMPARE(modeOf(home.file(file)), 0640);
        // A refusal before the change makes no copy either.
        if (!written && setup.isEmpty())
            QCOMPARE(home.entries(".codex"),
                     original.isNull() ? QStringList() : QStringList{"config.toml"});
    }

    // A copy is never made of a file that is not there (one gone since the switch looked).
    void noCopyOfAMissingFile() {
        TestHome home;
        QCOMPARE(errorOf([] { FileBackupService().createConfigBackups(AppPaths::configURL()); }),
                 QStringLiteral("Could not read config.toml at %1.").arg(AppPaths::configURL()));
        QVERIFY(!home.exists(".codex"));
    }
};

QTEST_GUILESS_MAIN(TestConfigPatcher)
#include "tst_configpatcher.moc"
