// The program's main window keeps its place, size and state and its
// recent-file list in the user's settings ("TfrmMain"): first run, later
// runs, a minimized start, garbled and unwritable settings; the trace window
// keeps its own in the program's ini file, and neither creeps over restarts.

#include "app/FMain.h"
#include "settings/KsSettingsNames.h"
#include "settings/MRUList.h"
#include "settings/Placemnt.h"
#include "settings/SettingsTestSupport.h"
#include "shell/KsMdiChild.h"
#include "support/TestSeams.h"
#include "text/RlFTrace.h"

#include <QAction>
#include <QMenu>
#include <QRandomGenerator>
#include <QScreen>
#include <QtTest>

namespace {

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// A section that places the main window at `frame`, as a later run finds it.
QByteArray placement(const QRect &frame, int showCmd)
{
    return QStringLiteral("[TfrmMain]\nFormVersion=0\nShowCmd=%1\nPixelsPerInch=%2\nNormPos=\"%3,%4,%5,%6\"\n")
        .arg(showCmd)
        .arg(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()))
        .arg(frame.left())
        .arg(frame.top())
        .arg(frame.left() + frame.width())
        .arg(frame.top() + frame.height())
        .toUtf8();
}

QStringList recentCaptions(const TfrmKsMdiMain &main)
{
    QStringList captions;
    for (const QAction *item : main.MRUManager->recentItems())
        captions << item->text();
    return captions;
}

} // namespace

class TestMainPlacement : public QObject {
    Q_OBJECT

    std::unique_ptr<ks::test::ConfigHome> m_home;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    const QRect m_frame {available().left() + 40, available().top() + 30, 520, 380};

    QString storeFile() const { return m_home->file(QStringLiteral("Kestrin/quillmere.conf")); }
    // The main window's stored values, then the trace window's.
    QList<QMap<QString, QString>> storedPlacements() const
    {
        return {ks::test::sectionValues(storeFile(), QStringLiteral("TfrmMain")),
            ks::test::sectionValues(ks::profileFilePath(ks::StandardIniName()), QStringLiteral("TfrmRlTrace"))};
    }
    static std::unique_ptr<TfrmMain> shownMain()
    {
        auto main = std::make_unique<TfrmMain>();
        main->show();
        return main;
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<ks::test::ConfigHome>();
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
    }

    void cleanup()
    {
        m_seams.reset();
        m_home.reset();
    }

    void reopensWhereHowLargeAndHowItWasLeft_data()
    {
        QTest::addColumn<bool>("maximized");
        QTest::newRow("normal") << false;
        QTest::newRow("maximized") << true;
    }

    void reopensWhereHowLargeAndHowItWasLeft()
    {
        QFETCH(bool, maximized);
        QRect left;
        {
            const auto main = shownMain();
            QVERIFY(main->isMaximized()); // the first run
            QCOMPARE(main->FormPlacement->IniSection(), QStringLiteral("TfrmMain"));
            main->showNormal();
            main->setGeometry(m_frame);
            QTRY_COMPARE(main->geometry(), m_frame);
            left = main->geometry();
            if (maximized)
                main->showMaximized();
            QVERIFY(main->close());
        }
        QCOMPARE(ks::test::sectionValues(storeFile(), QStringLiteral("TfrmMain")).value(QStringLiteral("ShowCmd")),
            maximized ? "3" : "1");
        const auto main = shownMain();
        QCOMPARE(main->isMaximized(), maximized);
        QCOMPARE(maximized ? main->normalGeometry() : main->geometry(), left);
    }

    // Start, File > Exit, start again: every run leaves what it found, with
    // the trace window open at the end ("Visible"), both windows as the
    // first run left them or placed by the user, maximized or not.
    void restartsLeaveEveryStoredValue_data()
    {
        QTest::addColumn<bool>("placed");
        QTest::addColumn<bool>("maximized");
        QTest::newRow("first run") << false << false;
        QTest::newRow("placed") << true << false;
        QTest::newRow("placed, maximized") << true << true;
    }

    void restartsLeaveEveryStoredValue()
    {
        QFETCH(bool, placed);
        QFETCH(bool, maximized);
        QList<QMap<QString, QString>> first;
        for (int run = 0; run <= 3; ++run) {
            const auto main = shownMain();
            main->miTraceWindow->trigger();
            TfrmRlTrace *trace = TraceWindow();
            QVERIFY(trace && QTest::qWaitForWindowExposed(trace));
            if (run == 0 && placed) {
                main->showNormal();
                main->setGeometry(m_frame);
                trace->setGeometry(m_frame.translated(60, 50));
                if (maximized) {
                    main->showMaximized();
                    trace->showMaximized();
                }
            }
            main->miExit->trigger();
            // As the program's event loop quits, Qt closes every window still open.
            const QList<QWindow *> windows = QGuiApplication::topLevelWindows();
            for (QWindow *window : windows) {
                if (window->handle())
                    window->close();
            }
            if (run == 0)
                first = storedPlacements();
            QCOMPARE(storedPlacements(), first);
        }
        QCOMPARE(first.at(1).value(QStringLiteral("ShowCmd")), maximized ? "3" : "1");
        QCOMPARE(first.at(1).value(QStringLiteral("Visible")), "1");
    }

    void minimizedMainWindowStartsMinimizedInNormalState()
    {
        ks::test::writeBytes(storeFile(), placement(m_frame, 2));
        const auto main = shownMain();
        QCOMPARE(main->windowState(), Qt::WindowStates(Qt::WindowMinimized));
        main->showNormal();
        QCOMPARE(main->frameGeometry(), m_frame);
    }

    void recentFilesStayAtTheEndOfTheFileMenu()
    {
        {
            const auto main = shownMain();
            for (const char *name : {"/data/a.fto", "/data/b.fto", "/data/c.fto", "/data/a.fto"}) {
                main->MRUManager->Remove(QString::fromLatin1(name));
                main->MRUManager->Add(QString::fromLatin1(name), 0);
            }
            QVERIFY(main->close());
        }
        QCOMPARE(ks::test::sectionValues(storeFile(), QStringLiteral("TfrmMain.MRUManager")),
            (QMap<QString, QString> {{"Item_0", "/data/a.fto"}, {"Item_1", "/data/c.fto"}, {"Item_2", "/data/b.fto"}}));
        const auto main = shownMain();
        const QStringList expected {"", "&0 /data/a.fto", "&1 /data/c.fto", "&2 /data/b.fto"};
        QCOMPARE(recentCaptions(*main), expected);
        const QList<QAction *> items = main->mnFile->actions();
        QCOMPARE(items.indexOf(main->miExit), items.size() - 5);
    }

    void garbledSettingsFallBackToDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        QByteArray noise(4096, '\0');
        QRandomGenerator generator(5);
        for (char &byte : noise)
            byte = char(generator.bounded(256));
        const QByteArray heading = "[TfrmMain]\nFormVersion=0\n";
        QTest::newRow("random bytes") << noise;
        QTest::newRow("truncated line") << heading + "NormPos=100,120,5";
        QTest::newRow("NormPos=abc") << heading + "NormPos=abc\n";
        QTest::newRow("ShowCmd=99") << heading + "ShowCmd=99\n";
        QTest::newRow("80 KB value") << heading + "NormPos=" + QByteArray(80 * 1024, '7') + "\n";
        QTest::newRow("garbled recent list") << "[TfrmMain.MRUManager]\nItem_0=\nItem_1=" + noise.left(300) + "\n";
    }

    void garbledSettingsFallBackToDefaults()
    {
        QFETCH(QByteArray, content);
        ks::test::writeBytes(storeFile(), content);
        const auto main = shownMain();
        QVERIFY(main->isMaximized());
        QVERIFY(main->close());
        QCOMPARE(m_seams->messages.shown, QStringList());
        QCOMPARE(
            ks::test::sectionValues(storeFile(), QStringLiteral("TfrmMain")).value(QStringLiteral("ShowCmd")), "3");
    }

    void positionOffEveryScreenComesBack()
    {
        ks::test::writeBytes(storeFile(), placement(m_frame.translated(available().width() + 3000, 2000), 1));
        const auto main = shownMain();
        QVERIFY(available().contains(main->frameGeometry()));
        QCOMPARE(main->frameGeometry().size(), m_frame.size());
    }

    void unwritableSettingsAreReportedAndTheProgramGoesOn()
    {
        m_home->makeUnwritable();
        const auto main = shownMain();
        QVERIFY(main->isMaximized());
        (new KsMdiChild(main.get()))->showChild();
        QVERIFY(main->close());
        QCOMPARE(m_seams->messages.shown,
            QStringList {"Unable to write to " + qEnvironmentVariable("XDG_CONFIG_HOME") + "/Kestrin/quillmere.conf"});
        QTRY_VERIFY(main->childWindows().isEmpty());
        // Shown again, it opens as the first time and takes new windows.
        main->show();
        QVERIFY(main->isMaximized());
        (new KsMdiChild(main.get()))->showChild();
        QCOMPARE(main->childWindows().size(), 1);
    }

    void everyOpenPathLeavesTheProgramsMainWindowUnchanged()
    {
        const QString name = m_home->file(QStringLiteral("notes.fto"));
        ks::test::writeBytes(name, "notes\n");
        auto main = std::make_unique<TfrmMain>();
        main->setCommandLineFiles({name});
        main->show();
        main->MRUManager->Add(name, 0);
        main->MRUManager->recentItems().constLast()->trigger();
        QCOMPARE(main->childWindows().size(), 0);
        QCOMPARE(main->MRUManager->Strings().names(), QStringList {name});
    }
};

QTEST_MAIN(TestMainPlacement)
#include "tst_mainplacement.moc"
