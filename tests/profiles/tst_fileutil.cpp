#include "profiles/AtomicFile.h"
#include "profiles/FileChange.h"
#include "profiles/FileUtil.h"
#include "support/Checks.h"
#include "support/TestHome.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <utime.h>

static void write(const QString& path, const QByteArray& data, int mode) {
    writeFile(path, data);
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
}

class TestFileUtil : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ::umask(022); }

    // What is at a path decides whether it may be read, replaced or created; nothing that
    // exists is taken for a missing file.
    void whatIsThere_data() {
        // The path (in a folder that holds a file "real" and a folder "dir"), then what is
        // made first: "<name>=<what makeEntry() puts>".
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("entry");    // entryExists(): "yes", "no" or "error"
        QTest::addColumn<QString>("expected"); // fileExists(): "true", "false" or the error
        const auto row = [](const char* name, QString setup, QString entry, QString expected) {
            QTest::newRow(name) << setup << entry << expected;
        };
        row("nothing", "x", "no", "false");
        row("below a file", "real/x", "no", "false");
        row("file", "x x=old", "yes", "true");
        row("link to a file", "x x=link:real", "yes", "true");
        row("folder", "x x=folder", "yes", "%1 is a folder, not a file.");
        row("link to a folder", "x x=link:dir", "yes",
            "%1 is a symbolic link to a folder, not to a file.");
        row("two links in a loop", "x x=link:y y=link:x", "yes", "%1 is a symbolic link loop.");
        row("dangling link", "x x=link:gone", "yes",
            "%1 is a symbolic link to %2/gone, which does not exist.");
        row("named pipe", "x x=fifo", "yes", "%1 is a named pipe, not a file.");
        row("below a link loop", "x/settings.json x=link:x", "error",
            "%1 cannot be reached: its folders run into a symbolic link loop.");
    }

    void whatIsThere() {
        QFETCH(QString, setup);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString base = dir.path();
        const QStringList parts = setup.split(' ');
        const QString path = base + '/' + parts.first();
        writeFile(base + "/real", "old");
        QVERIFY(QDir(base).mkdir("dir"));
        for (const QString& made : parts.mid(1))
            makeEntry(base + '/' + made.section('=', 0, 0), made.section('=', 1).toUtf8());
        bool entryFound = false, fileFound = false;
        const QString entryError = errorOf([&] { entryFound = FileUtil::entryExists(path); });
        QString found = errorOf([&] { fileFound = FileUtil::fileExists(path); });
        if (found.isEmpty())
            found = fileFound ? "true" : "false";
        QTEST(QString(!entryError.isEmpty() ? "error" : entryFound ? "yes" : "no"), "entry");
        expected.replace("%1", path).replace("%2", base);
        QCOMPARE(found, expected);
        // Reading takes only a file, and never waits on a pipe.
        QCOMPARE(errorOf([&] { FileUtil::readAll(path); }).isEmpty(), expected == "true");

        // Writing refuses the same paths, before it touches anything.
        const QStringList before = QDir(base).entryList(QDir::AllEntries | QDir::System);
        try {
            FileUtil::writeAtomically(path, "new");
            QVERIFY(expected == "true" || expected == "false");
            if (expected == "true")
                QCOMPARE(readFile(base + "/real"), setup == "x x=link:real" ? "new" : "old");
        } catch (const FileError&) {
            QVERIFY(expected != "true");
            QCOMPARE(QDir(base).entryList(QDir::AllEntries | QDir::System), before);
        }
        // A copy never replaces what is there, nor writes where a link leads.
        if (entryFound || !entryError.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(FileError, FileUtil::copy(base + "/real", path));
            QCOMPARE(QDir(base).entryList(QDir::AllEntries | QDir::System), before);
        }
    }

    // Who may read what is written: a key never becomes readable by others, not even
    // for a moment; files without one keep their modes.
    void modes_data() {
        QTest::addColumn<int>("existing"); // -1: no file yet
        QTest::addColumn<FileUtil::NewFileMode>("mode");
        QTest::addColumn<int>("written");
        using enum FileUtil::NewFileMode;
        QTest::newRow("new, default") << -1 << Default << 0644;
        QTest::newRow("new, owner only") << -1 << OwnerOnly << 0600;
        QTest::newRow("0640, default") << 0640 << Default << 0640;
        QTest::newRow("0644, owner only when new") << 0644 << OwnerOnly << 0644;
        QTest::newRow("0644, secret") << 0644 << Secret << 0600;
    }

    void modes() {
        QFETCH(int, existing);
        QFETCH(FileUtil::NewFileMode, mode);
        QTemporaryDir dir;
        const QString path = dir.filePath("file");
        if (existing >= 0)
            write(path, "old", existing);
        FileUtil::writeAtomically(path, "new", mode);
        QCOMPARE(readFile(path), "new");
        QTEST(modeOf(path), "written");
    }

    // Dated copies made within one second get numbered names.
    void datedCopies() {
        QTemporaryDir dir;
        writeFile(dir.filePath("source"), "source");
        QStringList copies;
        for (int i = 0; i < 3; ++i)
            copies << FileUtil::copyToDatedFile(dir.filePath("source"), dir.filePath("backups"),
                                                "auth-", ".json", FileUtil::NewFileMode::OwnerOnly);
        const QRegularExpression name("/backups/auth-\\d{4}(-\\d\\d){5}(-[23])?\\.json$");
        QCOMPARE(QSet<QString>(copies.begin(), copies.end()).size(), 3);
        for (const QString& copy : copies) {
            QVERIFY2(name.match(copy).hasMatch(), qPrintable(copy));
            QCOMPARE(readFile(copy), "source");
            QCOMPARE(modeOf(copy), 0600);
        }
    }

    // The copy kept of a file about to be replaced is the file itself under a second name
    // only where nothing can change it afterwards: never a file with other names or a
    // symbolic link, nor one readable by others where the copy is for the owner only. A
    // change that is not made after all takes such a second name back. A copy made instead
    // has the file's mode, or is for the owner only where that is asked for.
    void keptCopies_data() {
        QTest::addColumn<QString>("setup"); // the file's mode, then what else leads to it
        QTest::addColumn<FileUtil::NewFileMode>("mode");
        QTest::addColumn<bool>("linked");
        QTest::addColumn<int>("keptMode");
        using enum FileUtil::NewFileMode;
        QTest::newRow("alone") << "0644" << Default << true << 0644;
        QTest::newRow("alone, owner only") << "0600" << OwnerOnly << true << 0600;
        QTest::newRow("readable by others, owner only") << "0644" << OwnerOnly << false << 0600;
        QTest::newRow("readable by others, secret") << "0644" << Secret << false << 0600;
        QTest::newRow("with another name") << "0640 hard link" << Default << false << 0640;
        QTest::newRow("symbolic link") << "0600 symbolic link" << Default << false << 0600;
    }

    void keptCopies() {
        QFETCH(QString, setup);
        QFETCH(FileUtil::NewFileMode, mode);
        QFETCH(bool, linked);
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.json"), other = dir.filePath("other");
        const bool symbolic = setup.endsWith("symbolic link");
        write(symbolic ? other : path, "old", setup.left(4).toInt(nullptr, 8));
        if (setup.endsWith("hard link"))
            QCOMPARE(::link(QFile::encodeName(path), QFile::encodeName(other)), 0);
        if (symbolic)
            QVERIFY(QFile::link(other, path));
        const auto keep = [&] {
            return FileUtil::keepToDatedFile(path, dir.filePath("backups"), "settings-", ".json",
                                             mode);
        };

        const QString taken = keep();
        QCOMPARE(FileUtil::stampOf(taken)->inode == FileUtil::stampOf(path)->inode, linked);
        const auto refuse = [](const FileChange&) { throw FileError("no journal"); };
        QVERIFY_THROWS_EXCEPTION(FileError, recordChange(refuse, {path, true, taken}, {taken}));
        QCOMPARE(QFileInfo::exists(taken), !linked);

        const QString kept = keep();
        FileUtil::writeAtomically(path, "new");
        for (const QString& name : {path, other})
            if (QFileInfo::exists(name))
                QVERIFY(QFile(name).open(QIODevice::WriteOnly)); // emptied in place
        QCOMPARE(readFile(kept), "old");
        QTEST(modeOf(kept), "keptMode");
    }

    // A file rewritten with its spare: never written through a spare that is a link or has
    // another name, nothing of the old content left in a scrubbed spare, which is as
    // private as the file (the old file may not have been), and retired into it.
    void spares_data() {
        QTest::addColumn<QString>("spare"); // "hard link" to "other", or what makeEntry() puts
        QTest::addColumn<QString>("old");   // the file's mode, or "hard link" from "earlier"
        QTest::newRow("none yet") << ""
                                  << "0600";
        QTest::newRow("left by the last write") << "a longer stale content"
                                                << "0600"; // 0644
        QTest::newRow("symbolic link") << "link:other"
                                       << "0600";
        QTest::newRow("with another name") << "hard link"
                                           << "0600";
        QTest::newRow("folder") << "folder"
                                << "0600";
        QTest::newRow("old file readable by others") << ""
                                                     << "0644";
        QTest::newRow("old file with another name") << ""
                                                    << "hard link";
    }

    void spares() {
        QFETCH(QString, spare);
        QFETCH(QString, old);
        const bool folderStays = spare == "folder";
        QTemporaryDir dir;
        const QString path = dir.filePath("profiles.json"), other = dir.filePath("other");
        const QString sparePath = path + ".tavrin-spare";
        write(path, "old content", old == "0644" ? 0644 : 0600);
        write(other, "other", 0644);
        if (spare == "hard link")
            QCOMPARE(::link(QFile::encodeName(other), QFile::encodeName(sparePath)), 0);
        else if (!spare.isEmpty())
            makeEntry(sparePath, spare.toUtf8());
        if (old == "hard link")
            QCOMPARE(::link(QFile::encodeName(path), QFile::encodeName(dir.filePath("earlier"))),
                     0);

        for (const QByteArray content : {"new", "newer"}) {
            FileUtil::writeAtomically(path, content, FileUtil::NewFileMode::Secret, true,
                                      AtomicFile::Spare::scrub);
            QCOMPARE(readFile(path), content);
            QCOMPARE(modeOf(path), 0600);
            QCOMPARE(readFile(other), "other");
            QCOMPARE(QFileInfo(sparePath).isDir(), folderStays);
            // The old file with another name is not written through: its spare name goes.
            const bool gone = old == "hard link" && content == "new";
            QCOMPARE(readFile(sparePath), folderStays || gone ? "" : content);
            if (!folderStays)
                QCOMPARE(modeOf(sparePath), gone ? -1 : 0600);
        }
        QCOMPARE(readFile(dir.filePath("earlier")), old == "hard link" ? "old content" : "");
        // Kept as it was, for a file read without a lock: never written while read.
        FileUtil::writeAtomically(path, "newest", FileUtil::NewFileMode::Secret, true,
                                  AtomicFile::Spare::keep);
        QCOMPARE(readFile(path), "newest");
        QCOMPARE(readFile(sparePath), folderStays ? "" : "newer");
        AtomicFile::retire(path);
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(readFile(other), "other");
    }

    // A write or copy that runs out of space (here: a file size limit, as with a full
    // disk) fails in plain words and leaves the target as it was, with no short file and
    // no temporary file behind.
    void fullDisk_data() {
        QTest::addColumn<QString>("operation"); // "... over": the target is there already
        for (const char* operation :
             {"write", "write over", "write into spare over", "copy", "copy over"})
            QTest::newRow(operation) << QString(operation);
    }

    void fullDisk() {
        QFETCH(QString, operation);
        const bool existed = operation.endsWith(" over");
        QTemporaryDir dir;
        const QString target = dir.filePath("settings.json");
        const QByteArray big(64 * 1024, 'x');
        writeFile(dir.filePath("source"), big);
        if (existed)
            writeFile(target, "old");
        if (operation.contains("spare"))
            write(target + ".tavrin-spare", "spare", 0600);
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        const unsigned long unlimited = limitFileSize(4096);
        const QString error = errorOf([&] {
            if (operation.contains("spare"))
                FileUtil::writeAtomically(target, big, FileUtil::NewFileMode::Secret, true,
                                          AtomicFile::Spare::scrub);
            else if (operation.startsWith("write"))
                FileUtil::writeAtomically(target, big);
            else if (existed)
                FileUtil::copyOver(dir.filePath("source"), target);
            else
                FileUtil::copy(dir.filePath("source"), target);
        });
        limitFileSize(unlimited);
        QCOMPARE(error, "Not enough disk space to write " + target + ".");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
        QCOMPARE(readFile(target), existed ? "old" : "");
    }

    // Temporary files that interrupted writes left are removed from the folders Tavrin
    // writes, and nothing else: not someone's file with a look-alike name, not a fresh one
    // another program may be writing, not what lies in other folders.
    void leftovers_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("kind"); // file, old file, folder, link
        QTest::addColumn<bool>("removed");
        const auto row = [](const char* entry, const char* kind, bool removed) {
            QTest::addRow("%s (%s)", entry, kind) << QString(entry) << QString(kind) << removed;
        };
        row(".claude/settings.json.tavrin-tmp-a1B2c3", "file", true);
        row(".codex/backups/state_5-2026.sqlite.tavrin-tmp-ZZZZZZ", "file", true);
        row(".codex/tavrin/profiles.json.tavrin-tmp-abc123", "file", true);
        row(".codex/auth.json.AbCdEf", "old file", true);
        row(".codex/backups/qt_temp.QwErTy", "old file", true);
        row(".codex/backups/chats-2026-01-02-03.json.QwErTy", "old file", true);
        row(".codex/backups/chats-notes.json.QwErTy", "old file", false);
        row(".codex/auth.json.AbCdEf", "file", false);
        row(".claude/settings.json.backup", "old file", false);
        row(".claude/settings.json.BACKUP", "old file", false);
        row(".claude/notes.txt.AbCdEf", "old file", false);
        row(".codex/auth.json.AbCd3f", "old file", false);
        row(".codex/config.toml.tavrin-tmp-abc12", "file", false);
        row(".codex/config.toml.tavrin-tmp-abc123", "folder", false);
        row(".codex/config.toml.tavrin-tmp-abc123", "link", false);
        row(".codex/sessions/rollout-1.jsonl.tavrin-tmp-abc123", "file", false);
    }

    void leftovers() {
        QFETCH(QString, entry);
        QFETCH(QString, kind);
        QFETCH(bool, removed);
        TestHome home;
        const QString path = home.file(entry);
        makeEntry(path, kind == "folder" ? "folder" : kind == "link" ? "link:auth.json" : "part");
        if (kind == "old file") {
            const utimbuf hourAgo{::time(nullptr) - 3600, ::time(nullptr) - 3600};
            QCOMPARE(::utime(QFile::encodeName(path).constData(), &hourAgo), 0);
        }
        QCOMPARE(AtomicFile::removeLeftovers(), removed ? QStringList{path} : QStringList());
        QCOMPARE(QFileInfo(path).isSymLink() || QFileInfo::exists(path), !removed);
    }
};

QTEST_GUILESS_MAIN(TestFileUtil)
#include "tst_fileutil.moc"
