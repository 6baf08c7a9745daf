#include "codex/ConfigPatcher.h"
#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

Q_DECLARE_METATYPE(Profile)

namespace {

Profile profile(const QString& model = QStringLiteral("gpt-5.5"),
                std::optional<QString> provider = QStringLiteral("velqor"),
                const QString& method = QStringLiteral("apikey"), bool disableStorage = true) {
    return Profile(QStringLiteral("p"), QStringLiteral("P"), method, std::move(provider), model,
                   QStringLiteral("xhigh"), disableStorage, true);
}

Profile account() {
    return profile(QStringLiteral("gpt-5.5"), std::nullopt, QStringLiteral("chatgpt"));
}

QString lines(const QStringList& list, const QString& nl = QStringLiteral("\n")) {
    return list.join(nl) + nl;
}

const QString authLine = QStringLiteral("preferred_auth_method = \"apikey\"");
const QString providerLine = QStringLiteral("model_provider = \"velqor\"");
const QString storageLine = QStringLiteral("disable_response_storage = true");
const QString modelLine = QStringLiteral("model = \"gpt-5.5\"");
const QString effortLine = QStringLiteral("model_reasoning_effort = \"xhigh\"");

// The written lines of profile(), each followed by `nl`.
QString keys(const QString& nl = QStringLiteral("\n")) {
    return lines({authLine, providerLine, storageLine, modelLine, effortLine}, nl);
}
// The same without the model line.
QString keysButModel() {
    return lines({authLine, providerLine, storageLine, effortLine});
}

const QFileDevice::Permissions mode0640(0x6040);
QFileDevice::Permissions modeOf(const QString& path) {
    return QFile::permissions(path) & QFileDevice::Permissions(0x7077);
}

QString patchError(const Profile& p) {
    try {
        ConfigPatcher().apply(p, AppPaths::configURL());
    } catch (const ConfigPatchError& e) {
        return e.localizedDescription();
    }
    return QString();
}

const QString config = QStringLiteral(".codex/config.toml");
const QString latest = QStringLiteral(".codex/config.toml.backup-before-profile-switch");

} // namespace

class TestConfigPatcher : public QObject {
    Q_OBJECT

private slots:
    void patchedContent_data();
    void patchedContent();
    void topLevelKey_data();
    void topLevelKey();
    void normalizeAndQuote_data();
    void normalizeAndQuote();
    void validate_data();
    void validate();

    void applyNewAndExistingFile();
    void failedVerificationRollsBack_data();
    void failedVerificationRollsBack();
    void withoutBackupRestoresExactBytes();
    void invalidUtf8ChangesNothing();
    void byteOrderMarkAndSymlinkKept();
};

void TestConfigPatcher::patchedContent_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<Profile>("profile");
    QTest::addColumn<QString>("expected");
    const Profile p = profile();
    const QString n = QStringLiteral("\n");

    QTest::newRow("empty file") << QString() << p << keys();
    QTest::newRow("keys replaced in place")
        << lines({QStringLiteral("# mine"), QStringLiteral("model = \"old\""),
                  QStringLiteral("x = 1"), QStringLiteral("preferred_auth_method = \"c\""),
                  QStringLiteral("model_provider = \"o\""),
                  QStringLiteral("disable_response_storage = false"),
                  QStringLiteral("model_reasoning_effort = \"low\""), QStringLiteral("[t]"),
                  QStringLiteral("model = \"keep\"")})
        << p
        << lines({QStringLiteral("# mine"), modelLine, QStringLiteral("x = 1"), authLine,
                  providerLine, storageLine, effortLine, QStringLiteral("[t]"),
                  QStringLiteral("model = \"keep\"")});
    QTest::newRow("no final newline")
        << QStringLiteral("model = 1") << p << keysButModel() + n + modelLine;
    QTest::newRow("final blank line kept")
        << QStringLiteral("a = 1\n\n") << p << keys() + QStringLiteral("\na = 1\n\n");
    QTest::newRow("crlf everywhere")
        << QStringLiteral("a = 1\r\n[t]\r\nb = 2\r\n") << p
        << keys(QStringLiteral("\r\n")) + QStringLiteral("\r\na = 1\r\n[t]\r\nb = 2\r\n");
    QTest::newRow("table first") << QStringLiteral("[t]\nx = 1") << p
                                 << keys() + QStringLiteral("\n[t]\nx = 1");
    QTest::newRow("leading empty line reused")
        << QStringLiteral("\n# c\n") << p << keys() + QStringLiteral("\n# c\n");
    QTest::newRow("leading blank line is not empty")
        << QStringLiteral(" \n# c\n") << p << keys() + QStringLiteral("\n \n# c\n");
    QTest::newRow("comment lost, duplicate dropped")
        << QStringLiteral("model = \"a\" # old\nx = 1\n  model = \"b\"\n") << p
        << keysButModel() + n + modelLine + QStringLiteral("\nx = 1\n");
    QTest::newRow("no provider: top-level lines removed")
        << QStringLiteral(
               "model_provider = \"a\"\n\tmodel_provider=\"b\"\n[t]\nmodel_provider = 1\n")
        << account()
        << QStringLiteral("preferred_auth_method = \"chatgpt\"\n") + storageLine + n + modelLine +
               n + effortLine + QStringLiteral("\n\n[t]\nmodel_provider = 1\n");
    QTest::newRow("blank provider counts as none")
        << QStringLiteral("model_provider = \"a\"\n")
        << profile(QStringLiteral("gpt-5.5"), QStringLiteral(" \n"))
        << lines({authLine, storageLine, modelLine, effortLine}) + n;
    const QString foreign =
        QStringLiteral("# model = \"c\"\nmodel.sub = 1\n\"model\" = 2\nmodel-provider = 3\n");
    QTest::newRow("unrecognised key forms untouched") << foreign << p << keys() + n + foreign;
    QTest::newRow("indented array of tables ends region")
        << QStringLiteral("a = 1\n  [[arr]]\nmodel = 2\n") << p
        << keys() + QStringLiteral("\na = 1\n  [[arr]]\nmodel = 2\n");
    QTest::newRow("unicode spaces around key")
        << QStringLiteral("\u3000model\u00A0= 1\n") << p << keysButModel() + n + modelLine + n;
    QTest::newRow("escaped value, bare false")
        << QStringLiteral("model = 1\n")
        << profile(QStringLiteral("a\"b\\c#d"), QStringLiteral("velqor"), QStringLiteral("apikey"),
                   false)
        << lines({authLine, providerLine, QStringLiteral("disable_response_storage = false"),
                  effortLine, QString(), QStringLiteral("model = \"a\\\"b\\\\c#d\"")});
}

void TestConfigPatcher::patchedContent() {
    QFETCH(QString, input);
    QFETCH(Profile, profile);
    QFETCH(QString, expected);
    const QString output = ConfigPatcher::patchedContent(input, profile);
    QCOMPARE(output, expected);
    QCOMPARE(ConfigPatcher::patchedContent(output, profile), output);
}

void TestConfigPatcher::topLevelKey_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("key"); // null: no key
    QTest::newRow("plain") << QStringLiteral("model = 1") << QStringLiteral("model");
    QTest::newRow("indented") << QStringLiteral("\t model_x9=1") << QStringLiteral("model_x9");
    QTest::newRow("unicode spaces") << QStringLiteral("\u2003k\u2003= 1") << QStringLiteral("k");
    QTest::newRow("first equals") << QStringLiteral("k = a = b") << QStringLiteral("k");
    QTest::newRow("blank") << QStringLiteral(" \t") << QString();
    QTest::newRow("comment") << QStringLiteral("  # model = 1") << QString();
    QTest::newRow("no equals") << QStringLiteral("model") << QString();
    QTest::newRow("empty key") << QStringLiteral(" = 1") << QString();
    QTest::newRow("dotted") << QStringLiteral("model.sub = 1") << QString();
    QTest::newRow("quoted") << QStringLiteral("\"model\" = 1") << QString();
    QTest::newRow("hyphen") << QStringLiteral("model-x = 1") << QString();
    QTest::newRow("non-ascii") << QStringLiteral("m\u00F6del = 1") << QString();
    QTest::newRow("line separator") << QStringLiteral("model\u2028 = 1") << QString();
}

void TestConfigPatcher::topLevelKey() {
    QFETCH(QString, line);
    QFETCH(QString, key);
    const std::optional<QString> found = ConfigPatcher::topLevelKey(line);
    QCOMPARE(found.value_or(QString()), key);
    QCOMPARE(found.has_value(), !key.isNull());
}

void TestConfigPatcher::normalizeAndQuote_data() {
    QTest::addColumn<bool>("quote"); // false: normalise
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::newRow("quoted, spaced") << false << QStringLiteral(" \"x\" \n") << QStringLiteral("x");
    QTest::newRow("comment cut") << false << QStringLiteral("\"x\" # y") << QStringLiteral("x");
    QTest::newRow("hash in quotes cuts")
        << false << QStringLiteral("\"a#b\"") << QStringLiteral("\"a");
    QTest::newRow("single quotes kept") << false << QStringLiteral("'x'") << QStringLiteral("'x'");
    QTest::newRow("empty string") << false << QStringLiteral("\"\"") << QString();
    QTest::newRow("lone quote") << false << QStringLiteral("\"") << QStringLiteral("\"");
    QTest::newRow("no unescaping")
        << false << QStringLiteral("\"a\\\"\"") << QStringLiteral("a\\\"");
    QTest::newRow("inner spaces kept")
        << false << QStringLiteral("\" x \"") << QStringLiteral(" x ");
    QTest::newRow("quote plain") << true << QStringLiteral("gpt") << QStringLiteral("\"gpt\"");
    QTest::newRow("quote backslash then quote")
        << true << QStringLiteral("\\\"") << QStringLiteral("\"\\\\\\\"\"");
    QTest::newRow("quote nothing else")
        << true << QStringLiteral(" #'\t") << QStringLiteral("\" #'\t\"");
}

void TestConfigPatcher::normalizeAndQuote() {
    QFETCH(bool, quote);
    QFETCH(QString, input);
    QFETCH(QString, output);
    QCOMPARE(quote ? ConfigPatcher::quoted(input) : ConfigPatcher::normalizeTomlValue(input),
             output);
}

void TestConfigPatcher::validate_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<Profile>("profile");
    QTest::addColumn<QString>("message"); // empty: passes
    const Profile p = profile();
    const auto changed = [](const QString& from, const QString& to) {
        return QString(keys()).replace(from, to);
    };

    QTest::newRow("written keys") << keys(QStringLiteral("\r\n")) << p << QString();
    QTest::newRow("empty region") << QStringLiteral("[t]\n") + keys() << p
                                  << QStringLiteral("preferred_auth_method was not updated.");
    QTest::newRow("model missing")
        << keysButModel() << p << QStringLiteral("model was not updated.");
    QTest::newRow("effort") << changed(QStringLiteral("xhigh"), QStringLiteral("low")) << p
                            << QStringLiteral("model_reasoning_effort was not updated.");
    QTest::newRow("storage") << changed(QStringLiteral("true"), QStringLiteral("false")) << p
                             << QStringLiteral("disable_response_storage was not updated.");
    QTest::newRow("provider") << changed(QStringLiteral("velqor"), QStringLiteral("o")) << p
                              << QStringLiteral("model_provider was not updated.");
    QTest::newRow("provider trimmed")
        << keys() << profile(QStringLiteral("gpt-5.5"), QStringLiteral(" velqor\n")) << QString();
    QTest::newRow("provider still active")
        << changed(QStringLiteral("apikey"), QStringLiteral("chatgpt")) << account()
        << QStringLiteral("model_provider is still active.");
    QTest::newRow("provider only in a table")
        << ConfigPatcher::patchedContent(QStringLiteral("[t]\nmodel_provider = 1\n"), account())
        << account() << QString();
    QTest::newRow("later duplicate wins, comment ignored")
        << QStringLiteral("model = \"x\"\n") +
               changed(QStringLiteral("\"gpt-5.5\""), QStringLiteral("\"gpt-5.5\" # pinned"))
        << p << QString();
    QTest::newRow("escaped value reads back differently")
        << ConfigPatcher::patchedContent(QString(), profile(QStringLiteral("a\"b")))
        << profile(QStringLiteral("a\"b")) << QStringLiteral("model was not updated.");
    QTest::newRow("spaces inside quotes")
        << ConfigPatcher::patchedContent(QString(), profile(QStringLiteral(" m ")))
        << profile(QStringLiteral(" m ")) << QString();
}

void TestConfigPatcher::validate() {
    QFETCH(QString, content);
    QFETCH(Profile, profile);
    QFETCH(QString, message);
    try {
        ConfigPatcher::validate(content, profile);
        QVERIFY2(message.isEmpty(), "validation passed unexpectedly");
    } catch (const ConfigPatchError& e) {
        QCOMPARE(e.kind(), ConfigPatchError::Kind::validationFailed);
        QCOMPARE(e.localizedDescription(), message);
    }
}

void TestConfigPatcher::applyNewAndExistingFile() {
    TestHome home;
    QVERIFY(!ConfigPatcher().apply(profile(), AppPaths::configURL()).backup);
    QCOMPARE(home.read(config), keys().toUtf8());
    QCOMPARE(home.entries(QStringLiteral(".codex")), QStringList{QStringLiteral("config.toml")});

    const QByteArray original = "# mine\nmodel = \"old\"\n[t]\nmodel = \"y\"\n";
    home.write(config, original);
    QVERIFY(QFile::setPermissions(home.file(config), mode0640));
    const auto result = ConfigPatcher().apply(profile(), AppPaths::configURL());
    QCOMPARE(home.read(config),
             ConfigPatcher::patchedContent(QString::fromUtf8(original), profile()).toUtf8());
    QCOMPARE(modeOf(home.file(config)), mode0640);
    QVERIFY(result.backup);
    QCOMPARE(result.backup->latestBackupURL, home.file(latest));
    QCOMPARE(home.read(latest), original);
    QCOMPARE(QFileInfo(result.backup->timestampedBackupURL).absolutePath(),
             AppPaths::backupsDirectory());
    QCOMPARE(home.read(result.backup->timestampedBackupURL.mid(home.path().size() + 1)), original);
}

void TestConfigPatcher::failedVerificationRollsBack_data() {
    QTest::addColumn<bool>("existed");
    QTest::addColumn<Profile>("profile");
    QTest::addColumn<QString>("message");
    const QString model = QStringLiteral("model was not updated.");
    for (bool existed : {true, false}) {
        const char* state = existed ? "existing" : "absent";
        QTest::addRow("%s, quote", state) << existed << profile(QStringLiteral("a\"b")) << model;
        QTest::addRow("%s, backslash", state)
            << existed << profile(QStringLiteral("a\\b")) << model;
        QTest::addRow("%s, hash", state) << existed << profile(QStringLiteral("a#b")) << model;
        QTest::addRow("%s, provider", state)
            << existed << profile(QStringLiteral("m"), QStringLiteral("v\"q"))
            << QStringLiteral("model_provider was not updated.");
    }
}

void TestConfigPatcher::failedVerificationRollsBack() {
    QFETCH(bool, existed);
    QFETCH(Profile, profile);
    QFETCH(QString, message);
    TestHome home;
    const QByteArray original = "model = \"old\" # keep\r\n[t]\r\nx = 1";
    if (existed) {
        home.write(config, original);
        QVERIFY(QFile::setPermissions(home.file(config), mode0640));
    }
    QCOMPARE(patchError(profile), QStringLiteral("Patch failed, restored backup. ") + message);
    QCOMPARE(home.exists(config), existed);
    if (existed) {
        QCOMPARE(home.read(config), original);
        QCOMPARE(modeOf(home.file(config)), mode0640);
    }
}

void TestConfigPatcher::withoutBackupRestoresExactBytes() {
    TestHome home;
    const QByteArray original = "\n\nmodel = 'x'\t\r\n# caf\xC3\xA9\n";
    home.write(config, original);
    home.write(latest, "stale");
    home.write(QStringLiteral(".codex/backups"), "a file where the folder belongs");

    QCOMPARE(patchError(profile(QStringLiteral("a\"b"))),
             QStringLiteral("Patch failed, restored backup. model was not updated."));
    QCOMPARE(home.read(config), original);
    QCOMPARE(home.read(latest), QByteArray("stale"));

    QVERIFY(!ConfigPatcher().apply(profile(), AppPaths::configURL()).backup);
    QCOMPARE(home.read(config),
             ConfigPatcher::patchedContent(QString::fromUtf8(original), profile()).toUtf8());
}

void TestConfigPatcher::invalidUtf8ChangesNothing() {
    TestHome home;
    const QByteArray original = "model = \"\xFF\xFE\"\n";
    home.write(config, original);
    try {
        ConfigPatcher().apply(profile(), AppPaths::configURL());
        QFAIL("a file that is not UTF-8 was patched");
    } catch (const FileError& e) {
        QVERIFY(e.localizedDescription().contains(AppPaths::configURL()));
        QVERIFY(e.localizedDescription().contains(QStringLiteral("UTF-8")));
    }
    QCOMPARE(home.read(config), original);
    QCOMPARE(home.entries(QStringLiteral(".codex")), QStringList{QStringLiteral("config.toml")});
}

void TestConfigPatcher::byteOrderMarkAndSymlinkKept() {
    TestHome home;
    const QString target = home.file(QStringLiteral("dotfiles/config.toml"));
    home.write(QStringLiteral("dotfiles/config.toml"), "\xEF\xBB\xBFmodel = 1\n");
    QVERIFY(QDir().mkpath(home.file(QStringLiteral(".codex"))));
    QVERIFY(QFile::link(target, home.file(config)));
    const QByteArray patched =
        "\xEF\xBB\xBF" +
        (keysButModel() + QStringLiteral("\n") + modelLine + QStringLiteral("\n")).toUtf8();

    ConfigPatcher().apply(profile(), AppPaths::configURL());
    QVERIFY(QFileInfo(home.file(config)).isSymLink());
    QCOMPARE(home.read(QStringLiteral("dotfiles/config.toml")), patched);

    QVERIFY(!patchError(profile(QStringLiteral("a#b"))).isEmpty());
    QVERIFY(QFileInfo(home.file(config)).isSymLink());
    QCOMPARE(home.read(QStringLiteral("dotfiles/config.toml")), patched);
}

QTEST_GUILESS_MAIN(TestConfigPatcher)
#include "tst_configpatcher.moc"
