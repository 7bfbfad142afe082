// The version data built into the program, and the reader that finds it in
// any file: the program's own file, files without it, damaged, truncated and
// random files, and files where the marker appears more than once.

#include "shell/KsVersionBlock.h"
#include "shell/KsVersionInfo.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace vb = ks::versionblock;

namespace {

const QString kProjectVersion = QStringLiteral(QUILLMERE_PROJECT_VERSION);

constexpr vb::Entry kOtherEntries[] = {
    {"FileDescription", "other tool"},
    {"LegalCopyright", "Notice \xC2\xA9 Someone"},
};
constexpr vb::Entry kSecondEntries[] = {
    {"FileDescription", "second tool"},
    {"LegalCopyright", "second notice"},
};
constexpr vb::Entry kDescriptionOnly[] = {{"FileDescription", "no notice"}};

const vb::Source kOther {{3, 14, 15, 926}, "040904E4", kOtherEntries};
const vb::Source kSecond {{7, 0, 65535, 1}, "040904E4", kSecondEntries};

QByteArray blockOf(const vb::Source &source)
{
    QByteArray block(qsizetype(vb::sizeOf(source)), '\0');
    vb::encodeInto(source, reinterpret_cast<unsigned char *>(block.data()));
    return block;
}

QByteArray markerBytes()
{
    return QByteArray(reinterpret_cast<const char *>(vb::kMarker.data()), qsizetype(vb::kMarker.size()));
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(seed);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

QByteArray uint32Bytes(quint32 value)
{
    QByteArray bytes(4, '\0');
    vb::putUInt32(reinterpret_cast<unsigned char *>(bytes.data()), value);
    return bytes;
}

struct Fields {
    QString version;
    QString description;
    QString copyright;
};

Fields fieldsOf(const QString &fileName)
{
    const TKsStringFileInfo info(fileName);
    return {info.Version(), info.FileDescription(), info.LegalCopyright()};
}

} // namespace

Q_DECLARE_METATYPE(Fields)

class TestVersionInfo : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    const QByteArray m_prefix = randomBytes(1000, 11);

    QString write(const QString &name, const QByteArray &bytes) const
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    void compareFields(const QString &path, const Fields &expected) const
    {
        const Fields read = fieldsOf(path);
        QCOMPARE(read.version, expected.version);
        QCOMPARE(read.description, expected.description);
        QCOMPARE(read.copyright, expected.copyright);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void programFileCarriesItsVersion_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("the program") << QFile::decodeName(qgetenv("QUILLMERE_PROGRAM"));
        // Every program that reads version data carries the program's block.
        QTest::newRow("this test") << QCoreApplication::applicationFilePath();
    }

    void programFileCarriesItsVersion()
    {
        QFETCH(QString, file);
        QVERIFY2(QFileInfo(file).isFile(), qPrintable(file));
        const TKsStringFileInfo info(file);
        QCOMPARE(info.FileName(), file);
        QCOMPARE(info.Version(), kProjectVersion);
        QCOMPARE(info.FileDescription(), QStringLiteral("quillmere"));
        QVERIFY2(
            info.LegalCopyright().startsWith(QStringLiteral("Copyright \u00A9 ")), qPrintable(info.LegalCopyright()));
    }

    void fixedVersionOfTheProgramsOwnFile()
    {
        TVSFixedFileInfo info;
        QVERIFY(ReadFixedFileVersion(info));
        QCOMPARE(info.dwSignature, vb::kFixedSignature);
        const QStringList parts = kProjectVersion.split(QLatin1Char('.'));
        QCOMPARE(parts.size(), 4);
        QCOMPARE(info.dwFileVersionMS, parts[0].toUInt() << 16 | parts[1].toUInt());
        QCOMPARE(info.dwFileVersionLS, parts[2].toUInt() << 16 | parts[3].toUInt());
        QCOMPARE(FileVersionText(info), kProjectVersion);
        QCOMPARE(ks::programVersion(), kProjectVersion);
    }

    void versionTextHasNoLeadingZerosAndFullRange()
    {
        write(QStringLiteral("other.bin"), m_prefix + blockOf(kSecond));
        compareFields(m_dir.filePath(QStringLiteral("other.bin")),
            {QStringLiteral("7.0.65535.1"), QStringLiteral("second tool"), QStringLiteral("second notice")});
    }

    void filesWithoutVersionDataGiveEmptyFields_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"empty file", "text file", "random bytes", "marker only", "marker and a small size",
                 "missing file", "directory", "dangling link", "named pipe", "unreadable file", "empty name"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }

    void filesWithoutVersionDataGiveEmptyFields()
    {
        QFETCH(QString, kind);
        QString path = m_dir.filePath(kind);
        if (kind == QLatin1String("empty file")) {
            write(kind, {});
        } else if (kind == QLatin1String("text file")) {
            write(kind, "FileDescription=quillmere\nLegalCopyright=none\n");
        } else if (kind == QLatin1String("random bytes")) {
            write(kind, randomBytes(256 * 1024, 3));
        } else if (kind == QLatin1String("marker only")) {
            write(kind, m_prefix + markerBytes());
        } else if (kind == QLatin1String("marker and a small size")) {
            write(kind, markerBytes() + uint32Bytes(20) + QByteArray(200, '\0'));
        } else if (kind == QLatin1String("directory")) {
            QVERIFY(QDir(m_dir.path()).mkpath(kind));
        } else if (kind == QLatin1String("dangling link")) {
            QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("nowhere")), path));
        } else if (kind == QLatin1String("named pipe")) {
            // Reading a pipe would wait for a writer that never comes.
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("unreadable file")) {
            if (::geteuid() == 0)
                QSKIP("The superuser reads every file");
            write(kind, m_prefix + blockOf(kOther));
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        } else if (kind == QLatin1String("empty name")) {
            path.clear();
        }
        const TKsStringFileInfo info(path);
        QCOMPARE(info.FileName(), path);
        QCOMPARE(info.Version(), QString());
        QCOMPARE(info.FileDescription(), QString());
        QCOMPARE(info.LegalCopyright(), QString());
    }

    void truncatedBlockIsNoBlock_data()
    {
        QTest::addColumn<qsizetype>("keep"); // bytes of the block that remain
        const qsizetype size = qsizetype(vb::sizeOf(kOther));
        for (qsizetype keep :
            {qsizetype(1), qsizetype(12), qsizetype(16), qsizetype(40), qsizetype(68), size - 5, size - 1})
            QTest::addRow("%lld of %lld bytes", qlonglong(keep), qlonglong(size)) << keep;
    }

    void truncatedBlockIsNoBlock()
    {
        QFETCH(qsizetype, keep);
        const QString path = write(QStringLiteral("truncated"), m_prefix + blockOf(kOther).left(keep));
        compareFields(path, {});
        // The whole block reads.
        write(QStringLiteral("truncated"), m_prefix + blockOf(kOther));
        compareFields(path,
            {QStringLiteral("3.14.15.926"), QStringLiteral("other tool"), QStringLiteral("Notice \u00A9 Someone")});
    }

    void damagedBlockIsNoBlock_data()
    {
        QTest::addColumn<qsizetype>("offset"); // of the changed byte within the block
        const qsizetype size = qsizetype(vb::sizeOf(kOther));
        QTest::newRow("marker") << qsizetype(3);
        QTest::newRow("size") << qsizetype(12);
        QTest::newRow("fixed signature") << qsizetype(16);
        QTest::newRow("file version") << qsizetype(16 + 8);
        QTest::newRow("table name") << qsizetype(16 + 52);
        QTest::newRow("last text") << size - 8;
        QTest::newRow("checksum") << size - 2;
    }

    void damagedBlockIsNoBlock()
    {
        QFETCH(qsizetype, offset);
        QByteArray block = blockOf(kOther);
        block[offset] = char(block[offset] ^ 0x20);
        compareFields(write(QStringLiteral("damaged"), m_prefix + block), {});
    }

    void firstWholeBlockAmongSeveralMarkers_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Fields>("expected");
        const Fields second {
            QStringLiteral("7.0.65535.1"), QStringLiteral("second tool"), QStringLiteral("second notice")};
        const Fields other {
            QStringLiteral("3.14.15.926"), QStringLiteral("other tool"), QStringLiteral("Notice \u00A9 Someone")};
        QByteArray damaged = blockOf(kOther);
        damaged[damaged.size() - 1] = char(damaged[damaged.size() - 1] ^ 1);

        // As in the program itself, where the reader's code holds the marker too.
        QTest::newRow("bare marker, then a block") << markerBytes() + m_prefix + blockOf(kSecond) << second;
        QTest::newRow("damaged block, then a whole one") << m_prefix + damaged + blockOf(kSecond) << second;
        QTest::newRow("size past the end, then a block")
            << markerBytes() + uint32Bytes(0xFFFFFFF0) + blockOf(kSecond) << second;
        QTest::newRow("size past the file's end")
            << m_prefix + markerBytes() + uint32Bytes(4096) + blockOf(kSecond) << second;
        QTest::newRow("two whole blocks") << blockOf(kOther) + m_prefix + blockOf(kSecond) << other;
        QTest::newRow("block, then a bare marker") << blockOf(kOther) + markerBytes() << other;
        QTest::newRow("block far into a large file")
            << QByteArray(8 * 1024 * 1024, '\0') + markerBytes() + blockOf(kOther) << other;
    }

    void firstWholeBlockAmongSeveralMarkers()
    {
        QFETCH(QByteArray, content);
        QFETCH(Fields, expected);
        compareFields(write(QStringLiteral("markers"), content), expected);
    }

    void onlyTheUsEnglishTableGivesTexts_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Fields>("expected");
        static constexpr vb::Source otherTable {{1, 0, 0, 0}, "040704B0", kOtherEntries};
        static constexpr vb::Source noNotice {{1, 0, 0, 1}, "040904E4", kDescriptionOnly};
        static constexpr vb::Source emptyTable {{1, 0, 0, 2}, "040904E4", {}};
        QTest::newRow("another language") << blockOf(otherTable) << Fields {QStringLiteral("1.0.0.0"), {}, {}};
        QTest::newRow("no notice") << blockOf(noNotice)
                                   << Fields {QStringLiteral("1.0.0.1"), QStringLiteral("no notice"), {}};
        QTest::newRow("empty table") << blockOf(emptyTable) << Fields {QStringLiteral("1.0.0.2"), {}, {}};
    }

    void onlyTheUsEnglishTableGivesTexts()
    {
        QFETCH(QByteArray, content);
        QFETCH(Fields, expected);
        compareFields(write(QStringLiteral("tables"), m_prefix + content), expected);
    }
};

QTEST_GUILESS_MAIN(TestVersionInfo)
#include "tst_versioninfo.moc"
