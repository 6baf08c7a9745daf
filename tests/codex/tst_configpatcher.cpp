#include "codex/ConfigPatcher.h"
#include "profiles/AppPaths.h"
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

// The lines written for profile(), in their order of insertion.
QString keys(const QString& newline = QStringLiteral("\n")) {
    return QStringLiteral("preferred_auth_method = \"apikey\"\nmodel_provider = \"velqor\"\n"
                          "disable_response_storage = true\nmodel = \"gpt-5.5\"\n"
                          "model_reasoning_effort = \"xhigh\"\n")
        .replace(QLatin1Char('\n'), newline);
}
const QString noModel = keys().remove(QStringLiteral("model = \"gpt-5.5\"\n"));

const QString config = QStringLiteral(".codex/config.toml");
const QString latest = QStringLiteral(".codex/config.toml.backup-before-profile-switch");
const QString viaLink = QStringLiteral("link");
const QString noBackups = QStringLiteral("no backups");

template <typename F> QString errorText(F&& run) {
    try {
        run();
    } catch (const TavrinError& e) {
        return e.localizedDescription();
    }
    return QString();
}

} // namespace

class TestConfigPatcher : public QObject {
    Q_OBJECT

private slots:
    void patchedContent_data();
    void patchedContent();
    void lineRules_data();
    void lineRules();
    void validate_data();
    void validate();
    void apply_data();
    void apply();
};

void TestConfigPatcher::patchedContent_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<Profile>("profile");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("verification"); // empty: the output verifies
    // With profile() and a provider to trim. %K: the lines written for profile(), with the input's
    // line break; %M: the same without the model line.
    const char* const rows[][3] = {
        {"empty file", "", "%K"},
        {"no final newline", "model = 1", "%M\nmodel = \"gpt-5.5\""},
        {"crlf", "a = 1\r\n[t]\r\nb = 2\r\n", "%K\r\na = 1\r\n[t]\r\nb = 2\r\n"},
        {"indented array of tables first", "  [[arr]]\nmodel = 2", "%K\n  [[arr]]\nmodel = 2"},
        {"leading empty line reused, last kept", "\n# c\n\n", "%K\n# c\n\n"},
        {"line of spaces is not empty", " \n# c\n", "%K\n \n# c\n"},
        {"keys replaced in place, tables untouched",
         "# mine\nmodel = \"old\"\nx = 1\npreferred_auth_method = \"c\"\nmodel_provider = \"o\"\n"
         "disable_response_storage = false\nmodel_reasoning_effort = \"low\"\n[t]\nmodel = 2\n",
         "# mine\nmodel = \"gpt-5.5\"\nx = 1\n%M[t]\nmodel = 2\n"},
        {"comment lost, duplicate dropped", "model = \"a\" # old\nx = 1\n  model = \"b\"\n",
         "%M\nmodel = \"gpt-5.5\"\nx = 1\n"},
        {"unrecognised key forms untouched", "# model = 1\nm.model = 1\n\"model\" = 2\nmodel-x = 3",
         "%K\n# model = 1\nm.model = 1\n\"model\" = 2\nmodel-x = 3"},
    };
    for (const auto& row : rows) {
        const QString input = QString::fromUtf8(row[1]);
        const QString newline =
            input.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
        QTest::newRow(row[0]) << input
                              << profile(QStringLiteral("gpt-5.5"), QStringLiteral(" velqor\n"))
                              << QString::fromUtf8(row[2])
                                     .replace(QStringLiteral("%K"), keys(newline))
                                     .replace(QStringLiteral("%M"), noModel)
                              << QString();
    }
    QTest::newRow("blank provider: top-level lines removed")
        << QStringLiteral("model_provider = \"a\"\n\tmodel_provider=\"b\"\n[t]\nmodel_provider = 1")
        << profile(QStringLiteral("gpt-5.5"), QStringLiteral(" \n"))
        << keys().remove(QStringLiteral("model_provider = \"velqor\"\n")) +
               QStringLiteral("\n[t]\nmodel_provider = 1")
        << QString();
    QTest::newRow("escaped value, bare false")
        << QStringLiteral("model = 1\n")
        << profile(QStringLiteral("a\"b\\c#d"), QStringLiteral("velqor"), QStringLiteral("apikey"),
                   false)
        << QString(noModel).replace(QStringLiteral("true"), QStringLiteral("false")) +
               QStringLiteral("\nmodel = \"a\\\"b\\\\c#d\"\n")
        << QStringLiteral("model was not updated.");
}

void TestConfigPatcher::patchedContent() {
    QFETCH(QString, input);
    QFETCH(Profile, profile);
    QFETCH(QString, expected);
    const QString output = ConfigPatcher::patchedContent(input, profile);
    QCOMPARE(output, expected);
    QCOMPARE(ConfigPatcher::patchedContent(output, profile), output);
    QTEST(errorText([&] { ConfigPatcher::validate(output, profile); }), "verification");
}

// Key recognition and value normalisation, read back from one top-level line.
void TestConfigPatcher::lineRules_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("value"); // "key=value"; null: the line has no key
    // clang-format off
    const char* const rows[][2] = {
        {"model = 1", "model=1"},        {"\t model_x9=\"x\" # c", "model_x9=x"},
        {"\u2003k\u2003= 1", "k=1"},     {"k = a = b", "k=a = b"},
        {"k = \"a#b\"", "k=\"a"},        {"k = 'x'", "k='x'"},
        {"k = \"\"", "k="},              {"k = \"", "k=\""},
        {"k = \"a\\\"\"", "k=a\\\""},    {"model", nullptr},
        {" = 1", nullptr},               {"m\u00F6del = 1", nullptr},
        {"model\u2028 = 1", nullptr},   {"model-x = 1", nullptr},
        {"m.model = 1", nullptr},        {"\"model\" = 1", nullptr},
    };
    // clang-format on
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromUtf8(row[0])
                              << (row[1] ? QString::fromUtf8(row[1]) : QString());
}

void TestConfigPatcher::lineRules() {
    QFETCH(QString, line);
    QFETCH(QString, value);
    const QHash<QString, QString> values = ConfigPatcher::activeTopLevelValues({line});
    QCOMPARE(values.size(), value.isNull() ? 0 : 1);
    if (!values.isEmpty())
        QCOMPARE(values.begin().key() + QLatin1Char('=') + values.begin().value(), value);
}

void TestConfigPatcher::validate_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<Profile>("profile");
    QTest::addColumn<QString>("message"); // empty: passes
    // The lines written for profile(), with one text replaced.
    // clang-format off
    const char* const rows[][4] = {
        {"only in a table", "preferred", "[t]\npreferred", "preferred_auth_method was not updated."},
        {"model missing", "model = \"gpt-5.5\"\n", "", "model was not updated."},
        {"effort", "xhigh", "low", "model_reasoning_effort was not updated."},
        {"storage", "true", "false", "disable_response_storage was not updated."},
        {"provider", "velqor", "o", "model_provider was not updated."},
        {"later duplicate wins, comment ignored", "model = \"gpt-5.5\"",
         "model = 1\nmodel = \"gpt-5.5\" # pinned", ""},
    };
    // clang-format on
    for (const auto& row : rows)
        QTest::newRow(row[0]) << keys().replace(QString::fromUtf8(row[1]),
                                                QString::fromUtf8(row[2]))
                              << profile() << QString::fromUtf8(row[3]);
    QTest::newRow("provider still active")
        << keys().replace(QStringLiteral("apikey"), QStringLiteral("chatgpt"))
        << profile(QStringLiteral("gpt-5.5"), std::nullopt, QStringLiteral("chatgpt"))
        << QStringLiteral("model_provider is still active.");
    QTest::newRow("spaces inside quotes")
        << ConfigPatcher::patchedContent(QString(), profile(QStringLiteral(" m ")))
        << profile(QStringLiteral(" m ")) << QString();
}

void TestConfigPatcher::validate() {
    QFETCH(QString, content);
    QFETCH(Profile, profile);
    QTEST(errorText([&] { ConfigPatcher::validate(content, profile); }), "message");
}

void TestConfigPatcher::apply_data() {
    QTest::addColumn<QByteArray>("original"); // null: no file before
    QTest::addColumn<QString>("setup");       // "link": config.toml links to it; or "no backups"
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("message"); // empty: succeeds
    QTest::addColumn<int>("entries");     // in ~/.codex afterwards
    const QByteArray bom("\xEF\xBB\xBFmodel = \"old\" # keep\r\n[t]\r\nx = 1");
    const QByteArray odd("\n\nmodel = 'x'\t\r\n# caf\xC3\xA9\n");
    const QString failed = QStringLiteral("Patch failed, restored backup. model was not updated.");
    const QString none;

    QTest::newRow("new file") << QByteArray() << none << QStringLiteral("m") << none << 1;
    QTest::newRow("byte order mark, link") << bom << viaLink << QStringLiteral("m") << none << 3;
    QTest::newRow("no backup possible") << odd << noBackups << QStringLiteral("m") << none << 3;
    QTest::newRow("quote: backup restored, link")
        << bom << viaLink << QStringLiteral("a\"b") << failed << 3;
    // Nothing to restore from: the exact bytes read before the patch go back.
    QTest::newRow("backslash: no backup possible")
        << odd << noBackups << QStringLiteral("a\\b") << failed << 3;
    QTest::newRow("hash: no file before")
        << QByteArray() << none << QStringLiteral("a#b") << failed << 0;
    QTest::newRow("not UTF-8") << QByteArray("model = \"\xFF\"\n") << none << QStringLiteral("m")
                               << QStringLiteral("Could not read $CONFIG: the file is not valid "
                                                 "UTF-8 text.")
                               << 1;
}

void TestConfigPatcher::apply() {
    QFETCH(QByteArray, original);
    QFETCH(QString, setup);
    QFETCH(QString, model);
    QFETCH(QString, message);
    TestHome home;
    const QString file = setup == viaLink ? QStringLiteral("dotfiles/config.toml") : config;
    if (!original.isNull()) {
        home.write(file, original);
        QVERIFY(QFile::setPermissions(home.file(file), QFileDevice::Permissions(0x6040)));
    }
    if (setup == viaLink)
        QVERIFY(QDir().mkpath(home.file(QStringLiteral(".codex"))) &&
                QFile::link(home.file(file), home.file(config)));
    if (setup == noBackups) {
        home.write(latest, "stale");
        home.write(QStringLiteral(".codex/backups"), "a file where the folder belongs");
    }
    std::optional<BackupResult> backup;
    QCOMPARE(errorText([&] {
                 backup = ConfigPatcher().apply(profile(model), AppPaths::configURL()).backup;
             }),
             message.replace(QStringLiteral("$CONFIG"), AppPaths::configURL()));

    QByteArray expected = original;
    if (message.isEmpty()) { // a byte order mark stays in front
        const QByteArray mark = original.startsWith("\xEF\xBB\xBF") ? "\xEF\xBB\xBF" : "";
        expected = mark + ConfigPatcher::patchedContent(
                              QString::fromUtf8(original.mid(mark.size())), profile(model))
                              .toUtf8();
    }
    QCOMPARE(home.exists(config), !expected.isNull());
    QCOMPARE(home.read(config), expected);
    QCOMPARE(QFileInfo(home.file(config)).isSymLink(), setup == viaLink);
    if (!original.isNull())
        QCOMPARE(QFile::permissions(home.file(file)) & QFileDevice::Permissions(0x7077),
                 QFileDevice::Permissions(0x6040));
    QTEST(int(home.entries(QStringLiteral(".codex")).size()), "entries");
    QCOMPARE(backup.has_value(), message.isEmpty() && !original.isNull() && setup != noBackups);
    if (home.exists(latest))
        QCOMPARE(home.read(latest), setup == noBackups ? QByteArray("stale") : original);
}

QTEST_GUILESS_MAIN(TestConfigPatcher)
#include "tst_configpatcher.moc"
