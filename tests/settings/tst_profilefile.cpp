// The profile-file reader and writer: quotes, numbers, the read limit,
// letter case, lines left alone by a write, atomic saves and refused writes.

#include "settings/KsIniFileStore.h"
#include "settings/KsProfileFile.h"
#include "support/TestErrors.h"

#include "SettingsTestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using ks::ProfileFile;
using ks::test::fileBytes;
using ks::test::writeBytes;

class TestProfileFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name = QStringLiteral("test.ini")) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void cleanup()
    {
        const QStringList names = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QString &name : names) {
            QFile::setPermissions(path(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QDir(path(name)).removeRecursively();
            QFile::remove(path(name));
        }
    }

    void readStripsOnePairOfQuotes_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("read");
        QTest::newRow("double quotes keep inner blanks") << QByteArray("\"  find me  \"") << "  find me  ";
        QTest::newRow("single quotes") << QByteArray("'single'") << "single";
        QTest::newRow("only one pair") << QByteArray("\"\"twice\"\"") << "\"twice\"";
        QTest::newRow("unbalanced stays") << QByteArray("\"open") << "\"open";
        QTest::newRow("mixed quotes stay") << QByteArray("\"mixed'") << "\"mixed'";
        QTest::newRow("lone quote stays") << QByteArray("\"") << "\"";
        QTest::newRow("empty quotes") << QByteArray("''") << "";
        QTest::newRow("blanks around trimmed") << QByteArray("   spaced out   ") << "spaced out";
        QTest::newRow("equals sign in value") << QByteArray("a=b") << "a=b";
    }

    void readStripsOnePairOfQuotes()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, read);
        writeBytes(path(), "[Find]\nText=" + stored + "\n");
        QCOMPARE(ProfileFile(path()).readString(QStringLiteral("Find"), QStringLiteral("Text")), read);
    }

    void integers_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("read");
        QTest::newRow("decimal") << "31" << 31;
        QTest::newRow("0x") << "0x1F" << 31;
        QTest::newRow("0X") << "0X1f" << 31;
        QTest::newRow("dollar") << "$1F" << 31;
        QTest::newRow("negative") << "-12" << -12;
        QTest::newRow("blanks") << "  7 " << 7;
        QTest::newRow("hex spells 32 bits") << "$FFFFFFFF" << -1;
        QTest::newRow("smallest") << "-2147483648" << std::numeric_limits<int>::min();
        QTest::newRow("smallest negated hex") << "-0x80000000" << std::numeric_limits<int>::min();
        QTest::newRow("smallest negated dollar") << "-$80000000" << std::numeric_limits<int>::min();
        QTest::newRow("negated hex") << "-$1F" << -31;
        QTest::newRow("too large") << "2147483648" << -99;
        QTest::newRow("hex too large") << "0x100000000" << -99;
        QTest::newRow("hex without prefix") << "1F" << -99;
        QTest::newRow("prefix alone") << "0x" << -99;
        QTest::newRow("trailing letters") << "12abc" << -99;
        QTest::newRow("word") << "abc" << -99;
        QTest::newRow("empty") << "" << -99;
        QTest::newRow("many digits") << QString(3000, QLatin1Char('9')) << -99;
    }

    void integers()
    {
        QFETCH(QString, stored);
        QFETCH(int, read);
        writeBytes(path(), "[S]\nN=" + stored.toUtf8() + "\n");
        QCOMPARE(ProfileFile(path()).readInteger(QStringLiteral("S"), QStringLiteral("N"), -99), read);
    }

    void booleans_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("readWithFalse");
        QTest::addColumn<bool>("readWithTrue");
        QTest::newRow("one") << QByteArray("B=1") << true << true;
        QTest::newRow("zero") << QByteArray("B=0") << false << false;
        QTest::newRow("any other integer") << QByteArray("B=-7") << true << true;
        QTest::newRow("hex") << QByteArray("B=0x10") << true << true;
        QTest::newRow("word gives default") << QByteArray("B=yes") << false << true;
        QTest::newRow("missing gives default") << QByteArray("Other=1") << false << true;
    }

    void booleans()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, readWithFalse);
        QFETCH(bool, readWithTrue);
        writeBytes(path(), "[S]\n" + line + "\n");
        const ProfileFile file(path());
        QCOMPARE(file.readBool(QStringLiteral("S"), QStringLiteral("B"), false), readWithFalse);
        QCOMPARE(file.readBool(QStringLiteral("S"), QStringLiteral("B"), true), readWithTrue);
    }

    void readReturnsAtMost2047Characters()
    {
        const QByteArray longText(5000, 'x');
        writeBytes(path(), "[S]\nLong=" + longText + "\nQuoted=\"" + longText + "\"\nShort=abc\n");
        const ProfileFile file(path());
        QCOMPARE(file.readString(QStringLiteral("S"), QStringLiteral("Long")), QString(2047, QLatin1Char('x')));
        QCOMPARE(file.readString(QStringLiteral("S"), QStringLiteral("Quoted")), QString(2047, QLatin1Char('x')));
        QCOMPARE(file.readString(QStringLiteral("S"), QStringLiteral("Short")), QStringLiteral("abc"));
    }

    void namesIgnoreLetterCase()
    {
        writeBytes(path(), "[Trace]\nFontName=Courier\n");
        ProfileFile file(path());
        QCOMPARE(file.readString(QStringLiteral("TRACE"), QStringLiteral("fontname")), QStringLiteral("Courier"));
        file.writeString(QStringLiteral("trace"), QStringLiteral("FONTNAME"), QStringLiteral("Mono"));
        file.flush();
        // The line is replaced, not added; the heading keeps its spelling.
        QCOMPARE(fileBytes(path()), QByteArray("[Trace]\nFONTNAME=Mono\n"));
    }

    void missingFileSectionOrKeyGiveDefaults()
    {
        writeBytes(path(), "[S]\nK=v\n");
        const ProfileFile file(path());
        QCOMPARE(
            file.readString(QStringLiteral("Other"), QStringLiteral("K"), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(
            file.readString(QStringLiteral("S"), QStringLiteral("Other"), QStringLiteral("d")), QStringLiteral("d"));
        const ProfileFile missing(path(QStringLiteral("nothing.ini")));
        QCOMPARE(missing.readInteger(QStringLiteral("S"), QStringLiteral("K"), 5), 5);
        QVERIFY(!QFile::exists(path(QStringLiteral("nothing.ini"))));
    }

    void writeKeepsEveryOtherLine()
    {
        // Comments, blank lines, a line without "=", CR LF line ends, bytes
        // that are no UTF-8 and keys before any heading all stay as they were.
        const QByteArray original = "; settings of the tool\r\n"
                                    "orphan=before any heading\r\n"
                                    "[First]\r\n"
                                    "A=1\r\n"
                                    "; a comment in First\r\n"
                                    "B = two \r\n"
                                    "no equals sign here\r\n"
                                    "\r\n"
                                    "[Second]\r\n"
                                    "Name=\xff\xfe raw bytes\r\n"
                                    "C=3\r\n";
        writeBytes(path(), original);
        ProfileFile file(path());
        file.writeString(QStringLiteral("First"), QStringLiteral("B"), QStringLiteral("changed"));
        file.writeString(QStringLiteral("First"), QStringLiteral("New"), QStringLiteral("added"));
        file.flush();
        QByteArray expected = original;
        expected.replace("B = two \r\n", "B=changed\r\n");
        expected.replace("no equals sign here\r\n", "no equals sign here\r\nNew=added\r\n");
        QCOMPARE(fileBytes(path()), expected);
    }

    void newSectionIsAppended()
    {
        writeBytes(path(), "[A]\nx=1\n");
        ProfileFile file(path());
        file.writeInteger(QStringLiteral("B"), QStringLiteral("y"), 2);
        file.writeBool(QStringLiteral("B"), QStringLiteral("z"), true);
        file.flush();
        QCOMPARE(fileBytes(path()), QByteArray("[A]\nx=1\n\n[B]\ny=2\nz=1\n"));
    }

    void eraseSectionAndDeleteKey()
    {
        writeBytes(path(), "[Keep]\na=1\nb=2\n\n[Gone]\nx=1\n; its comment\n\n[gone]\ny=2\n");
        ProfileFile file(path());
        file.eraseSection(QStringLiteral("GONE"));
        file.deleteKey(QStringLiteral("keep"), QStringLiteral("A"));
        QCOMPARE(
            file.readString(QStringLiteral("Gone"), QStringLiteral("y"), QStringLiteral("-")), QStringLiteral("-"));
        file.flush();
        QCOMPARE(fileBytes(path()), QByteArray("[Keep]\nb=2\n\n"));
    }

    void lineBreaksCannotStartALine()
    {
        ProfileFile file(path());
        file.writeString(QStringLiteral("S"), QStringLiteral("Name"), QStringLiteral("a\n[Evil]\r\nx=1"));
        file.flush();
        const ProfileFile reread(path());
        QVERIFY(!reread.sectionExists(QStringLiteral("Evil")));
        QCOMPARE(reread.readString(QStringLiteral("S"), QStringLiteral("Name")), QStringLiteral("a [Evil]  x=1"));
    }

    void flushMergesWithWhatIsOnDisk()
    {
        // Two holders of one file: the later save starts from the earlier one.
        ProfileFile first(path());
        ProfileFile second(path());
        first.writeString(QStringLiteral("S"), QStringLiteral("One"), QStringLiteral("1"));
        first.flush();
        second.writeString(QStringLiteral("S"), QStringLiteral("Two"), QStringLiteral("2"));
        second.flush();
        const ProfileFile reread(path());
        QCOMPARE(reread.readString(QStringLiteral("S"), QStringLiteral("One")), QStringLiteral("1"));
        QCOMPARE(reread.readString(QStringLiteral("S"), QStringLiteral("Two")), QStringLiteral("2"));
        // Nothing but the file itself is left behind: no lock, no temporary file.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("test.ini")});
    }

    void iniStoreKeepsWhatReadingWouldLose_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("double quoted") << "\"quoted\"";
        QTest::newRow("single quoted") << "'quoted'";
        QTest::newRow("leading blank") << " server";
        QTest::newRow("trailing blank") << "server ";
        QTest::newRow("plain") << "plain";
        QTest::newRow("byte-order mark in front") << QStringLiteral("\uFEFFv");
    }

    void iniStoreKeepsWhatReadingWouldLose()
    {
        QFETCH(QString, value);
        {
            ks::IniFileStore store(path());
            store.writeString(QStringLiteral("S"), QStringLiteral("V"), value);
            store.flush();
        }
        const ks::IniFileStore store(path());
        QCOMPARE(store.readString(QStringLiteral("S"), QStringLiteral("V"), QString()), value);
    }

    void refusedWriteRaises_data()
    {
        QTest::addColumn<QString>("blocking");
        QTest::newRow("directory is a file") << "file";
        QTest::newRow("read-only directory") << "directory";
        QTest::newRow("read-only file") << "readonly";
    }

    void refusedWriteRaises()
    {
        QFETCH(QString, blocking);
        QString target = path(QStringLiteral("dir/test.ini"));
        if (blocking == QLatin1String("file")) {
            writeBytes(path(QStringLiteral("dir")), "not a directory");
        } else {
            if (ks::test::runningAsRoot())
                QSKIP("file permissions do not bind the super-user");
            writeBytes(target, "[S]\nK=old\n");
            const QString locked = blocking == QLatin1String("directory") ? path(QStringLiteral("dir")) : target;
            QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        }
        const QByteArray before = fileBytes(target);
        ProfileFile file(target);
        file.writeString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("new"));
        QCOMPARE(ks::test::messageOf([&] { file.flush(); }),
            QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(target)));
        QVERIFY(file.hasPendingChanges());
        QCOMPARE(fileBytes(target), before);
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
