// The registry store on QSettings: one store whatever the letter case of the
// key path, names that ignore case, string values, files that read back as
// text, garbled files and a refused write.

#include "settings/KsRegistryStore.h"
#include "support/TestErrors.h"

#include "SettingsTestSupport.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSettings>
#include <QtTest>

using ks::RegistryStore;
using ks::test::ConfigHome;

namespace {

const QString kKey = QStringLiteral("Software\\Kestrin\\quillmere");

} // namespace

class TestRegistryStore : public QObject {
    Q_OBJECT

    std::unique_ptr<ConfigHome> m_home;

private Q_SLOTS:
    void initTestCase()
    {
        // As the program names itself.
        QCoreApplication::setOrganizationName(QStringLiteral("Kestrin"));
        QCoreApplication::setApplicationName(QStringLiteral("quillmere"));
    }

    void init() { m_home = std::make_unique<ConfigHome>(); }
    void cleanup() { m_home.reset(); }

    void keyPathsNameOneStore_data()
    {
        QTest::addColumn<QString>("keyPath");
        QTest::newRow("main window") << "Software\\Kestrin\\quillmere";
        QTest::newRow("connect commands") << "Software\\Kestrin\\Quillmere";
        QTest::newRow("any case") << "SOFTWARE\\kestrin\\QUILLMERE";
        QTest::newRow("forward slashes") << "Software/Kestrin/quillmere";
        QTest::newRow("doubled separators") << "Software\\\\Kestrin\\quillmere\\";
    }

    void keyPathsNameOneStore()
    {
        QFETCH(QString, keyPath);
        QCOMPARE(RegistryStore::nativeLocation(keyPath), m_home->file(QStringLiteral("Kestrin/quillmere.conf")));
        RegistryStore store(keyPath);
        store.writeString(QStringLiteral("TfrmMain"), QStringLiteral("FormVersion"), QStringLiteral("0"));
        store.flush();
        QVERIFY(QFile::exists(m_home->file(QStringLiteral("Kestrin/quillmere.conf"))));
    }

    void otherKeysMeetWhatExists()
    {
        ks::test::writeBytes(m_home->file(QStringLiteral("Acme/Tool.conf")), "[S]\nK=from the file\n");
        const RegistryStore store(QStringLiteral("Software\\ACME\\tool"));
        QCOMPARE(
            store.readString(QStringLiteral("S"), QStringLiteral("K"), QString()), QStringLiteral("from the file"));
        QCOMPARE(RegistryStore::nativeLocation(QStringLiteral("Software\\quillmere-other")),
            m_home->file(QStringLiteral("quillmere-other.conf")));
    }

    void storedFileReadsBackAsText()
    {
        {
            RegistryStore store(kKey);
            store.writeInteger(QStringLiteral("TfrmMain"), QStringLiteral("FormVersion"), 0);
            store.writeString(
                QStringLiteral("TfrmMain"), QStringLiteral("NormPos(1024x768)"), QStringLiteral("10,20,810,620"));
            store.writeString(QStringLiteral("TfrmMain"), QStringLiteral("NormPos"), QStringLiteral("10,20,810,620"));
            store.writeBool(QStringLiteral("TfrmMain"), QStringLiteral("Visible"), false);
            store.writeString(
                QStringLiteral("TfrmMain.MRUManager"), QStringLiteral("Item_0"), QStringLiteral("C:\\data\\a.txt"));
            store.writeString(
                QStringLiteral("TfrmMain.MRUManager"), QStringLiteral("Item_1"), QStringLiteral("@not a variant"));
            store.flush();
        }
        const QString file = m_home->file(QStringLiteral("Kestrin/quillmere.conf"));
        QCOMPARE(ks::test::sectionValues(file, QStringLiteral("TfrmMain")),
            (QMap<QString, QString> {{QStringLiteral("FormVersion"), QStringLiteral("0")},
                {QStringLiteral("NormPos(1024x768)"), QStringLiteral("10,20,810,620")},
                {QStringLiteral("NormPos"), QStringLiteral("10,20,810,620")},
                {QStringLiteral("Visible"), QStringLiteral("0")}}));
        QCOMPARE(ks::test::sectionValues(file, QStringLiteral("TfrmMain.MRUManager")).value(QStringLiteral("Item_0")),
            QStringLiteral("C:\\data\\a.txt"));
        // Every value is a string, also for QSettings itself.
        QSettings raw(file, QSettings::NativeFormat);
        QCOMPARE(raw.value(QStringLiteral("TfrmMain/FormVersion")).typeId(), int(QMetaType::QString));
        QCOMPARE(raw.value(QStringLiteral("TfrmMain.MRUManager/Item_1")).toString(), QStringLiteral("@not a variant"));
    }

    void namesIgnoreLetterCase()
    {
        RegistryStore store(kKey);
        store.writeString(QStringLiteral("TfrmMain"), QStringLiteral("FormVersion"), QStringLiteral("1"));
        store.writeString(QStringLiteral("TFRMMAIN"), QStringLiteral("formversion"), QStringLiteral("2"));
        store.flush();
        QCOMPARE(store.readInteger(QStringLiteral("tfrmmain"), QStringLiteral("FORMVERSION"), 0), 2);
        QSettings raw(m_home->file(QStringLiteral("Kestrin/quillmere.conf")), QSettings::NativeFormat);
        QCOMPARE(raw.childGroups(), QStringList {QStringLiteral("TfrmMain")});
        raw.beginGroup(QStringLiteral("TfrmMain"));
        QCOMPARE(raw.childKeys(), QStringList {QStringLiteral("FormVersion")});
    }

    void eraseSectionAndDeleteValue()
    {
        RegistryStore store(kKey);
        store.writeString(QStringLiteral("Keep"), QStringLiteral("A"), QStringLiteral("1"));
        store.writeString(QStringLiteral("Keep"), QStringLiteral("B"), QStringLiteral("2"));
        store.writeString(QStringLiteral("Gone"), QStringLiteral("X"), QStringLiteral("1"));
        store.writeString(QStringLiteral("Gone\\Below"), QStringLiteral("Y"), QStringLiteral("2"));
        store.eraseSection(QStringLiteral("GONE"));
        store.deleteValue(QStringLiteral("keep"), QStringLiteral("a"));
        store.deleteValue(QStringLiteral("Keep"), QStringLiteral("NoSuchValue"));
        store.flush();
        const RegistryStore reread(kKey);
        QCOMPARE(reread.readString(QStringLiteral("Gone\\Below"), QStringLiteral("Y"), QStringLiteral("-")),
            QStringLiteral("-"));
        QCOMPARE(
            reread.readString(QStringLiteral("Keep"), QStringLiteral("A"), QStringLiteral("-")), QStringLiteral("-"));
        QCOMPARE(
            reread.readString(QStringLiteral("Keep"), QStringLiteral("B"), QStringLiteral("-")), QStringLiteral("2"));
    }

    void handEditedValuesReadAsText_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("read");
        QTest::newRow("unquoted commas") << QByteArray("NormPos=1,2,3,4") << "1,2,3,4";
        QTest::newRow("byte array") << QByteArray("NormPos=@ByteArray(5 6 7 8)") << "5 6 7 8";
        QTest::newRow("plain") << QByteArray("NormPos=abc") << "abc";
        QTest::newRow("rectangle variant") << QByteArray("NormPos=@Rect(1 2 3 4)") << "default";
    }

    void handEditedValuesReadAsText()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, read);
        ks::test::writeBytes(m_home->file(QStringLiteral("Kestrin/quillmere.conf")), "[TfrmMain]\n" + line + "\n");
        const RegistryStore store(kKey);
        QCOMPARE(
            store.readString(QStringLiteral("TfrmMain"), QStringLiteral("NormPos"), QStringLiteral("default")), read);
    }

    void garbledFileGivesDefaultsAndIsReplaced()
    {
        QByteArray noise(8192, '\0');
        QRandomGenerator generator(20240611);
        for (char &byte : noise)
            byte = char(generator.bounded(256));
        const QString file = m_home->file(QStringLiteral("Kestrin/quillmere.conf"));
        ks::test::writeBytes(file, noise);
        {
            RegistryStore store(kKey);
            QCOMPARE(store.readInteger(QStringLiteral("TfrmMain"), QStringLiteral("ShowCmd"), 7), 7);
            store.writeString(QStringLiteral("TfrmMain"), QStringLiteral("ShowCmd"), QStringLiteral("1"));
            store.flush();
        }
        QCOMPARE(ks::test::sectionValues(file, QStringLiteral("TfrmMain")).value(QStringLiteral("ShowCmd")),
            QStringLiteral("1"));
    }

    void refusedWriteRaises()
    {
        m_home->makeUnwritable();
        RegistryStore store(kKey);
        QCOMPARE(store.readString(QStringLiteral("TfrmMain"), QStringLiteral("NormPos"), QStringLiteral("none")),
            QStringLiteral("none"));
        store.writeString(QStringLiteral("TfrmMain"), QStringLiteral("NormPos"), QStringLiteral("1,2,3,4"));
        QCOMPARE(ks::test::messageOf([&] { store.flush(); }),
            QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(RegistryStore::nativeLocation(kKey))));
    }
};

QTEST_GUILESS_MAIN(TestRegistryStore)
#include "tst_registrystore.moc"
