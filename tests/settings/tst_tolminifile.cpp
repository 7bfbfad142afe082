// The ini-file component: its effective file name, opening at first use,
// the values it passes through, and a refused write.

#include "settings/TolmIniFile.h"
#include "support/TestErrors.h"

#include "SettingsTestSupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtTest>

using ks::test::ConfigHome;

class TestTolmIniFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void effectiveFileName_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("effective");
        // The program file of this test has no extension of its own.
        const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QTest::newRow("none: the program's name") << "" << program + ".ini";
        QTest::newRow("no extension") << "settings"
                                      << "settings.ini";
        QTest::newRow("own extension kept") << "settings.cfg"
                                            << "settings.cfg";
        QTest::newRow("directory with a dot") << "/opt/tool.d/settings"
                                              << "/opt/tool.d/settings.ini";
    }

    void effectiveFileName()
    {
        QFETCH(QString, set);
        QFETCH(QString, effective);
        TTolmIniFile ini;
        ini.setFileName(set);
        QCOMPARE(ini.FileName(), effective);
        QCOMPARE(ini.property("FileName").toString(), effective);
    }

    void nameWithoutDirectoryLivesInConfigurationDirectory()
    {
        const ConfigHome home;
        TTolmIniFile ini;
        ini.setFileName(QStringLiteral("settings"));
        QVERIFY(ini.openedPath().isEmpty());
        ini.WriteInteger(QStringLiteral("Find"), QStringLiteral("Options"), 5);
        QCOMPARE(ini.openedPath(), home.file(QStringLiteral("settings.ini")));
        QCOMPARE(ks::test::sectionValues(home.file(QStringLiteral("settings.ini")), QStringLiteral("Find")),
            (QMap<QString, QString> {{QStringLiteral("Options"), QStringLiteral("5")}}));
    }

    void openedFileStaysWhenNameChanges()
    {
        const ConfigHome home;
        TTolmIniFile ini;
        ini.setFileName(QStringLiteral("first.ini"));
        QCOMPARE(
            ini.ReadString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("none")), QStringLiteral("none"));
        ini.setFileName(QStringLiteral("second.ini"));
        ini.WriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
        QVERIFY(QFile::exists(home.file(QStringLiteral("first.ini"))));
        QVERIFY(!QFile::exists(home.file(QStringLiteral("second.ini"))));
    }

    void valuesPassThrough()
    {
        const ConfigHome home;
        {
            TTolmIniFile ini;
            ini.setFileName(QStringLiteral("find.ini"));
            ini.WriteString(QStringLiteral("Find"), QStringLiteral("Text"), QStringLiteral("\"  spaced  \""));
            ini.WriteBool(QStringLiteral("Find"), QStringLiteral("Case"), true);
            ini.WriteBool(QStringLiteral("Find"), QStringLiteral("Words"), false);
            ini.WriteInteger(QStringLiteral("Find"), QStringLiteral("Left"), -40);
        }
        ks::test::writeBytes(home.file(QStringLiteral("other.ini")), "[Find]\nTop=0x1F\nFlag=7\n");
        TTolmIniFile ini;
        ini.setFileName(QStringLiteral("find"));
        QCOMPARE(ini.ReadString(QStringLiteral("find"), QStringLiteral("text"), {}), QStringLiteral("  spaced  "));
        QCOMPARE(ini.ReadBool(QStringLiteral("Find"), QStringLiteral("Case"), false), true);
        QCOMPARE(ini.ReadBool(QStringLiteral("Find"), QStringLiteral("Words"), true), false);
        QCOMPARE(ini.ReadInteger(QStringLiteral("Find"), QStringLiteral("Left"), 0), -40);
        QCOMPARE(ini.ReadInteger(QStringLiteral("Find"), QStringLiteral("Missing"), 12), 12);
        QCOMPARE(ks::test::fileBytes(home.file(QStringLiteral("find.ini"))),
            QByteArray("[Find]\nText=\"  spaced  \"\nCase=1\nWords=0\nLeft=-40\n"));

        TTolmIniFile other;
        other.setFileName(QStringLiteral("other.ini"));
        QCOMPARE(other.ReadInteger(QStringLiteral("Find"), QStringLiteral("Top"), 0), 31);
        QCOMPARE(other.ReadBool(QStringLiteral("Find"), QStringLiteral("Flag"), false), true);
    }

    void refusedWriteRaisesAndLeavesNoTrace()
    {
        const ConfigHome home;
        const QString directory = home.file(QStringLiteral("tool"));
        TTolmIniFile ini;
        ini.setFileName(directory + QStringLiteral("/tool.ini"));
        ini.WriteString(QStringLiteral("S"), QStringLiteral("Before"), QStringLiteral("1"));

        // The directory gives way to a plain file: no write can succeed.
        QVERIFY(QDir().rename(directory, directory + QStringLiteral(".away")));
        ks::test::writeBytes(directory, "blocker");
        QCOMPARE(ks::test::messageOf(
                     [&] { ini.WriteString(QStringLiteral("S"), QStringLiteral("Refused"), QStringLiteral("2")); }),
            QStringLiteral("Unable to write to %1")
                .arg(QDir::toNativeSeparators(directory + QStringLiteral("/tool.ini"))));

        QVERIFY(QFile::remove(directory));
        QVERIFY(QDir().rename(directory + QStringLiteral(".away"), directory));
        ini.WriteString(QStringLiteral("S"), QStringLiteral("After"), QStringLiteral("3"));
        QCOMPARE(ks::test::sectionValues(directory + QStringLiteral("/tool.ini"), QStringLiteral("S")),
            (QMap<QString, QString> {
                {QStringLiteral("Before"), QStringLiteral("1")}, {QStringLiteral("After"), QStringLiteral("3")}}));
    }
};

QTEST_GUILESS_MAIN(TestTolmIniFile)
#include "tst_tolminifile.moc"
