#include "support/Checks.h"
#include "support/TestHome.h"

#include <QImage>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

// The installed side of the application, run as real processes: the information
// options, one instance per user, and the files the packages install.
class TestDesktopIntegration : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_binary = qEnvironmentVariable("TAVRIN_APP");
        m_buildDir = qEnvironmentVariable("TAVRIN_BINARY_DIR");
        if (m_binary.isEmpty() || m_buildDir.isEmpty())
            QSKIP("TAVRIN_APP and TAVRIN_BINARY_DIR are not set (run through ctest)");
    }

    // --help and --version answer without a display and touch nothing; without them
    // the app refuses to start there.
    void withoutDisplay_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("pattern"); // of standard output, or of the error
        for (const char* option : {"--version", "-v"})
            QTest::newRow(option) << option << 0 << "^Tavrin \\d+\\.\\d+\\.\\d+\\n$";
        for (const char* option : {"--help", "-h"})
            QTest::newRow(option) << option << 0 << "^Usage: tavrin .*-h, --help.*-v, --version";
#ifndef Q_OS_MACOS // a Mac always has a display
        QTest::newRow("nothing")
            << "" << 1
            << "^Tavrin needs a graphical display, but none was found \\(DISPLAY is not "
               "set\\)\\.\\n$";
#endif
    }

    void withoutDisplay() {
        QFETCH(QString, option);
        QFETCH(QString, pattern);
        TestHome home;
        const ProcessRun result =
            runProcess(m_binary, option.isEmpty() ? QStringList() : QStringList{option}, {},
                       environmentWithoutDisplay());
        QTEST(result.status, "status");
        QCOMPARE(result.status ? QByteArray() : result.err, QByteArray());
        const QString said = QString::fromUtf8(result.status ? result.err : result.out);
        QVERIFY2(QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)
                     .match(said)
                     .hasMatch(),
                 qPrintable(said));
        QVERIFY(!home.exists(".codex"));
    }

    // A second start hands over to the running instance and ends. (That a socket left by a
    // crash is taken over is the single-instance test's.)
    void secondStartHandsOver() {
        TestHome home;
        QTemporaryDir runtime;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_LOGGING_RULES", "tavrin.desktop.debug=true");
        QProcess first;
        first.setProcessEnvironment(env);
        first.setProcessChannelMode(QProcess::MergedChannels);
        first.start(m_binary, {});
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += first.readAll()).contains("Listening on"), 20000);
        const ProcessRun second = runProcess(m_binary, {}, {}, env);
        QCOMPARE(second.status, 0);
        QVERIFY2(second.err.contains("Handed over"), second.err.constData());
        QTRY_VERIFY_WITH_TIMEOUT((said += first.readAll()).contains("asked for the window"), 10000);
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        QVERIFY(first.waitForFinished());
    }

    // The desktop entry and the AppStream metadata pass their validators.
    void desktopFilesValidate_data() {
        QTest::addColumn<QStringList>("command"); // the validator, its options and the file
        QTest::newRow("desktop entry")
            << QStringList{"desktop-file-validate", "dev.tavrin.Tavrin.desktop"};
        QTest::newRow("AppStream") << QStringList{"appstreamcli", "validate", "--no-net",
                                                  "dev.tavrin.Tavrin.metainfo.xml"};
    }
    void desktopFilesValidate() {
        QFETCH(QStringList, command);
        const QString validator = command.takeFirst();
        const QString program = QStandardPaths::findExecutable(validator);
        if (program.isEmpty())
            QSKIP(qPrintable(validator + " is not installed"));
        command.last().prepend(m_buildDir + "/desktop/");
        QVERIFY2(QFile::exists(command.last()), qPrintable(command.last()));
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, command);
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAll().constData());
    }

    // Every rendered theme icon has the size its folder names and is drawn, not blank.
    void renderedIcons() {
#ifdef Q_OS_MACOS
        QSKIP("the bundle has an .icns file instead of theme icons");
#endif
        const QDir hicolor(m_buildDir + "/icons/hicolor");
        const QStringList folders = hicolor.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QVERIFY(folders.contains("16x16") && folders.contains("256x256"));
        for (const QString& folder : folders) {
            const QImage image(hicolor.filePath(folder + "/apps/dev.tavrin.Tavrin.png"));
            const int size = folder.section('x', 0, 0).toInt();
            QCOMPARE(image.size(), QSize(size, size));
            QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0); // rounded corner
        }
    }

private:
    QString m_binary;
    QString m_buildDir;
};

QTEST_GUILESS_MAIN(TestDesktopIntegration)
#include "tst_desktopintegration.moc"
