// The version data built into the program, and the reader that finds it in
// any file: the program's own, files without it, truncated, damaged and
// random files, and files in which the marker appears more than once.

#include "base/KsVersionBlock.h"
#include "base/KsVersionInfo.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace vb = ks::versionblock;

namespace {

const QString kProjectVersion = QStringLiteral(QUILLMERE_PROJECT_VERSION);

constexpr vb::Entry kFirstEntries[] = {{"FileDescription", "first tool"}, {"LegalCopyright", "\xC2\xA9 Someone"}};
constexpr vb::Entry kSecondEntries[] = {{"FileDescription", "second tool"}, {"LegalCopyright", "second notice"}};
constexpr vb::Entry kDescriptionOnly[] = {{"FileDescription", "no notice"}};
constexpr vb::Source kFirst {{3, 14, 15, 926}, "040904E4", kFirstEntries};
constexpr vb::Source kSecond {{7, 0, 65535, 1}, "040904E4", kSecondEntries};
constexpr vb::Source kOtherLanguage {{1, 0, 0, 0}, "040704B0", kFirstEntries};
constexpr vb::Source kNoNotice {{1, 0, 0, 1}, "040904E4", kDescriptionOnly};

QByteArray blockOf(const vb::Source &source)
{
    QByteArray block(qsizetype(vb::sizeOf(source)), '\0');
    vb::encodeInto(source, reinterpret_cast<unsigned char *>(block.data()));
    return block;
}

QByteArray marker()
{
    return QByteArray(reinterpret_cast<const char *>(vb::kMarker.data()), qsizetype(vb::kMarker.size()));
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(11);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

// Markers every 16 bytes, each with a size that a block may have.
QByteArray denseMarkers()
{
    QByteArray bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += marker() + QByteArray("\x60\xEA\0\0", 4);
    return bytes;
}

// Blocks that begin every 256 bytes and all end at one place: the table of
// each reads whole across the ones after it, whose 0 bytes fall where a value
// may be empty, and only the checksum is wrong. The last unit holds no marker,
// as its size would hold a 0 byte where a name must be.
QByteArray overlappingBlocks()
{
    constexpr qsizetype Unit = 256;
    constexpr qsizetype Units = 255;
    const qsizetype end = (Units - 1) * Unit + 158;
    QByteArray bytes;
    for (qsizetype k = 0; k < Units; ++k) {
        QByteArray unit(Unit, 'P');
        const quint32 size = quint32(end - k * Unit);
        const bool last = k == Units - 1;
        unit.replace(0, 16,
            (last ? QByteArray(11, 'M') + '\0' : marker())
                + (last ? QByteArray("SS") : QByteArray(1, char(size & 0xFF)) + char(size >> 8)) + QByteArray(2, '\0'));
        unit.replace(16, 52, QByteArray("\xBD\x04\xEF\xFE", 4) + QByteArray(48, 'F'));
        unit[40] = unit[100] = unit[150] = '\0';
        bytes += last ? unit.left(151) + QByteArray("V\0\0XXXX", 7) : unit;
    }
    return bytes;
}

// Version, description and notice as one text.
QString fieldsOf(const QString &fileName)
{
    const TKsStringFileInfo info(fileName);
    return QStringList {info.Version(), info.FileDescription(), info.LegalCopyright()}.join(QLatin1Char('|'));
}

const QString kFirstFields = QStringLiteral("3.14.15.926|first tool|\u00A9 Someone");
const QString kSecondFields = QStringLiteral("7.0.65535.1|second tool|second notice");
const QString kNothing = QStringLiteral("||");

} // namespace

class TestVersionInfo : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QByteArray &bytes) const
    {
        const QString path = m_dir.filePath(QStringLiteral("file"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    void programFileCarriesItsVersion_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("the program") << qEnvironmentVariable("QUILLMERE_PROGRAM");
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
        QVERIFY(info.LegalCopyright().startsWith(QStringLiteral("Copyright \u00A9 ")));

        TVSFixedFileInfo fixed;
        QVERIFY(ReadFixedFileVersion(fixed));
        QCOMPARE(fixed.dwSignature, vb::kFixedSignature);
        const QStringList parts = kProjectVersion.split(QLatin1Char('.'));
        QCOMPARE(fixed.dwFileVersionMS, parts.value(0).toUInt() << 16 | parts.value(1).toUInt());
        QCOMPARE(fixed.dwFileVersionLS, parts.value(2).toUInt() << 16 | parts.value(3).toUInt());
        QCOMPARE(ks::programVersion(), kProjectVersion);
    }

    void filesWithoutVersionData_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"empty", "random bytes", "marker only", "marker and a small size", "missing",
                 "directory", "named pipe", "no name"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }

    void filesWithoutVersionData()
    {
        QFETCH(QString, kind);
        QString path = m_dir.filePath(kind);
        if (kind == QLatin1String("empty"))
            path = write({});
        else if (kind == QLatin1String("random bytes"))
            path = write(randomBytes(256 * 1024));
        else if (kind == QLatin1String("marker only"))
            path = write(randomBytes(100) + marker());
        else if (kind == QLatin1String("marker and a small size"))
            path = write(marker() + QByteArray("\x14\0\0\0", 4) + QByteArray(200, '\0'));
        else if (kind == QLatin1String("directory"))
            QVERIFY(QDir(m_dir.path()).mkpath(kind));
        else if (kind == QLatin1String("named pipe")) // reading would wait for a writer
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == QLatin1String("no name"))
            path.clear();
        QCOMPARE(fieldsOf(path), kNothing);
        QCOMPARE(TKsStringFileInfo(path).FileName(), path);
    }

    void truncatedOrDamagedBlocks_data()
    {
        QTest::addColumn<qsizetype>("keep"); // bytes of the block that remain
        QTest::addColumn<qsizetype>("flip"); // offset of a changed byte, or -1
        const qsizetype size = qsizetype(vb::sizeOf(kFirst));
        QTest::newRow("whole") << size << qsizetype(-1);
        for (const qsizetype keep : {qsizetype(14), qsizetype(40), size - 6, size - 1})
            QTest::addRow("%lld of %lld bytes", qlonglong(keep), qlonglong(size)) << keep << qsizetype(-1);
        QTest::newRow("size changed") << size << qsizetype(12);
        QTest::newRow("signature changed") << size << qsizetype(16);
        QTest::newRow("version changed") << size << qsizetype(24);
        QTest::newRow("notice changed") << size << size - 8;
        QTest::newRow("checksum changed") << size << size - 2;
    }

    void truncatedOrDamagedBlocks()
    {
        QFETCH(qsizetype, keep);
        QFETCH(qsizetype, flip);
        QByteArray block = blockOf(kFirst).left(keep);
        if (flip >= 0)
            block[flip] = char(block[flip] ^ 0x20);
        const bool whole = keep == blockOf(kFirst).size() && flip < 0;
        QCOMPARE(fieldsOf(write(randomBytes(1000) + block)), whole ? kFirstFields : kNothing);
    }

    void firstWholeBlockAmongSeveralMarkers_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("fields");
        QByteArray damaged = blockOf(kFirst);
        damaged[damaged.size() - 1] = char(damaged[damaged.size() - 1] ^ 1);
        // As in the program itself, whose reader's code holds the marker too.
        QTest::newRow("bare marker, then a block") << marker() + randomBytes(50) + blockOf(kSecond) << kSecondFields;
        QTest::newRow("damaged block, then a whole one") << damaged + blockOf(kSecond) << kSecondFields;
        QTest::newRow("huge size, then a block")
            << marker() + QByteArray("\xF0\xFF\xFF\xFF", 4) + blockOf(kSecond) << kSecondFields;
        QTest::newRow("two whole blocks") << blockOf(kFirst) + blockOf(kSecond) << kFirstFields;
        QTest::newRow("far into a large file")
            << QByteArray(8 << 20, '\0') + blockOf(kFirst) + marker() << kFirstFields;
        QTest::newRow("another language's table") << blockOf(kOtherLanguage) << QStringLiteral("1.0.0.0||");
        QTest::newRow("no notice in the table") << blockOf(kNoNotice) << QStringLiteral("1.0.0.1|no notice|");
        QTest::newRow("dense markers, then a block") << denseMarkers() + blockOf(kSecond) << kSecondFields;
        QTest::newRow("overlapping blocks, none whole") << overlappingBlocks() << kNothing;
    }

    // Also: however many markers, the candidates read a bounded share of the file.
    void firstWholeBlockAmongSeveralMarkers()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, fields);
        const QString path = write(content);
        QCOMPARE(fieldsOf(path), fields);
        const std::size_t work = ks::versionReadingWork(path);
        QVERIFY(work <= 2 * (std::size_t(content.size()) + vb::kMaxSize));
    }
};

QTEST_GUILESS_MAIN(TestVersionInfo)
#include "tst_versioninfo.moc"
