// The program's main window keeps its place, size and state and its
// recent-file list in the user's settings, section "TfrmMain": first run,
// later runs, a minimized start, garbled and unwritable settings.

#include "settings/MRUList.h"
#include "settings/Placemnt.h"
#include "settings/SettingsTestSupport.h"
#include "shell/FMain.h"
#include "shell/KsMdiChild.h"
#include "support/TestSeams.h"

#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScreen>
#include <QtTest>

using ks::test::ConfigHome;

namespace {

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QString sized(const QString &name)
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    return QStringLiteral("%1(%2x%3)").arg(name).arg(screen.width()).arg(screen.height());
}

int pixelsPerInch()
{
    return qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY());
}

QString rectText(const QRect &rect)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(rect.left())
        .arg(rect.top())
        .arg(rect.left() + rect.width())
        .arg(rect.top() + rect.height());
}

QStringList recentCaptions(const TfrmKsMdiMain &main)
{
    QStringList captions;
    for (const QAction *item : main.MRUManager->recentItems()) {
        if (!item->isSeparator())
            captions << item->text();
    }
    return captions;
}

// Drops the file on the window as a file manager would; true when the
// window took it.
bool drop(QWidget *target, const QString &file)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    QCoreApplication::processEvents();
    return !static_cast<TfrmKsMdiMain *>(target)->childWindows().isEmpty();
}

class PlainChild : public KsMdiChild {
public:
    explicit PlainChild(TfrmKsMdiMain *owner)
        : KsMdiChild(owner)
    {
        setObjectName(QStringLiteral("frmPlain"));
    }
};

} // namespace

class TestMainPlacement : public QObject {
    Q_OBJECT

    std::unique_ptr<ConfigHome> m_home;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;

    QString storeFile() const { return m_home->file(QStringLiteral("Kestrin/quillmere.conf")); }
    QMap<QString, QString> stored(const QString &section) const
    {
        return ks::test::sectionValues(storeFile(), section);
    }

    static std::unique_ptr<TfrmMain> shownMain()
    {
        auto main = std::make_unique<TfrmMain>();
        main->show();
        return main;
    }

    // A frame well inside the screen, unlike the window's own.
    static QRect placedFrame() { return {available().left() + 40, available().top() + 30, 520, 380}; }

private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Kestrin"));
        QCoreApplication::setApplicationName(QStringLiteral("quillmere"));
    }

    void init()
    {
        m_home = std::make_unique<ConfigHome>();
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
    }

    void cleanup()
    {
        m_seams.reset();
        m_home.reset();
    }

    void placementAndListAsTheProgramKeepsThem()
    {
        TfrmMain main;
        QCOMPARE(main.FormPlacement->objectName(), QStringLiteral("FormPlacement"));
        QVERIFY(main.FormPlacement->UseRegistry());
        QCOMPARE(main.FormPlacement->IniFileName(), QStringLiteral("Software\\Kestrin\\quillmere"));
        QCOMPARE(main.FormPlacement->IniSection(), QStringLiteral("TfrmMain"));
        QCOMPARE(main.MRUManager->objectName(), QStringLiteral("MRUManager"));
        QCOMPARE(main.MRUManager->IniStorage(), main.FormPlacement);
        QCOMPARE(main.MRUManager->RecentMenu(), main.mnFile);
        QCOMPARE(main.MRUManager->StorageSection(), QStringLiteral("TfrmMain.MRUManager"));
    }

    void firstRunOpensMaximized()
    {
        const auto main = shownMain();
        QVERIFY(main->isMaximized());
        QCOMPARE(m_seams->messages.shown, QStringList());
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
            main->showNormal();
            main->setGeometry(placedFrame());
            QTRY_COMPARE(main->geometry(), placedFrame());
            left = main->geometry();
            if (maximized)
                main->showMaximized();
            QVERIFY(main->close());
        }
        QCOMPARE(stored(QStringLiteral("TfrmMain")).value(QStringLiteral("ShowCmd")), maximized ? "3" : "1");
        const auto main = shownMain();
        QCOMPARE(main->isMaximized(), maximized);
        QCOMPARE(maximized ? main->normalGeometry() : main->geometry(), left);
    }

    void minimizedMainWindowStartsMinimizedInNormalState()
    {
        ks::test::writeBytes(storeFile(),
            QStringLiteral("[TfrmMain]\nFormVersion=0\nShowCmd=2\nPixelsPerInch=%1\n%2=\"%3\"\n")
                .arg(pixelsPerInch())
                .arg(sized(QStringLiteral("NormPos")), rectText(placedFrame()))
                .toUtf8());
        const auto main = shownMain();
        QCOMPARE(main->windowState(), Qt::WindowStates(Qt::WindowMinimized));
        main->showNormal();
        QCOMPARE(main->frameGeometry(), placedFrame());
    }

    void recentFilesStayInTheFileMenu()
    {
        {
            const auto main = shownMain();
            for (const char *name : {"/data/a.fto", "/data/b.fto", "/data/c.fto"})
                main->MRUManager->Add(QString::fromLatin1(name), 0);
            main->MRUManager->Remove(QStringLiteral("/data/a.fto"));
            main->MRUManager->Add(QStringLiteral("/data/a.fto"), 0);
            QCOMPARE(recentCaptions(*main), (QStringList {"&0 /data/a.fto", "&1 /data/c.fto", "&2 /data/b.fto"}));
            QVERIFY(main->close());
        }
        QCOMPARE(stored(QStringLiteral("TfrmMain.MRUManager")),
            (QMap<QString, QString> {{"Item_0", "/data/a.fto"}, {"Item_1", "/data/c.fto"}, {"Item_2", "/data/b.fto"}}));
        const auto main = shownMain();
        QCOMPARE(recentCaptions(*main), (QStringList {"&0 /data/a.fto", "&1 /data/c.fto", "&2 /data/b.fto"}));
        const QList<QAction *> items = main->mnFile->actions();
        QCOMPARE(items.at(items.indexOf(main->miExit) + 2)->text(), QStringLiteral("&0 /data/a.fto"));
    }

    void everyOpenPathLeavesTheProgramsMainWindowUnchanged()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("notes.fto"));
        ks::test::writeBytes(name, "notes\n");
        auto main = std::make_unique<TfrmMain>();
        main->setCommandLineFiles({name});
        main->show();
        QVERIFY(main->childWindows().isEmpty());
        QVERIFY(!drop(main.get(), name));
        main->MRUManager->Add(name, 0);
        main->MRUManager->recentItems().constLast()->trigger();
        main->OpenDocumentFile(name);
        QCOMPARE(main->childWindows().size(), 0);
        QCOMPARE(main->MRUManager->Strings().names(), QStringList {name});
        for (QAction *item : {main->miOpen, main->miSave, main->miSaveAs})
            QVERIFY(!item->isVisible());
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
        QTest::newRow("random bytes in the section") << heading + noise;
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
        QVERIFY(main->isVisible());
        QVERIFY(main->isMaximized());
        QVERIFY(available().intersects(main->frameGeometry()));
        QVERIFY(main->close());
        QCOMPARE(m_seams->messages.shown, QStringList());
        // The next start reads what this one left.
        QCOMPARE(stored(QStringLiteral("TfrmMain")).value(QStringLiteral("ShowCmd")), QStringLiteral("3"));
    }

    void positionOffEveryScreenComesBack()
    {
        const QRect off(available().right() + 3000, available().bottom() + 2000, 500, 350);
        ks::test::writeBytes(storeFile(),
            QStringLiteral("[TfrmMain]\nShowCmd=1\nPixelsPerInch=%1\nNormPos=\"%2\"\n")
                .arg(pixelsPerInch())
                .arg(rectText(off))
                .toUtf8());
        const auto main = shownMain();
        QVERIFY(!main->isMaximized());
        QVERIFY2(available().contains(main->frameGeometry()), qPrintable(rectText(main->frameGeometry())));
        QCOMPARE(main->frameGeometry().size(), off.size());
    }

    void unwritableSettingsAreReportedAndTheProgramGoesOn()
    {
        m_home->makeUnwritable();
        const QString file = QFile::decodeName(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Kestrin/quillmere.conf");
        const auto main = shownMain();
        QVERIFY(main->isMaximized());
        auto *child = new PlainChild(main.get());
        child->showChild();
        main->MRUManager->Add(QStringLiteral("/data/a.fto"), 0);
        QCOMPARE(m_seams->messages.shown, QStringList());

        QVERIFY(main->close());
        QCOMPARE(m_seams->messages.shown, QStringList {QStringLiteral("Unable to write to %1").arg(file)});
        QVERIFY(!main->isVisible());
        QTRY_COMPARE(main->childWindows(), QList<KsMdiChild *>());
        // Shown again, it opens as the first time and takes new windows.
        main->show();
        QVERIFY(main->isVisible());
        QVERIFY(main->isMaximized());
        auto *again = new PlainChild(main.get());
        again->showChild();
        QCOMPARE(main->childWindows(), QList<KsMdiChild *> {again});
    }
};

QTEST_MAIN(TestMainPlacement)
#include "tst_mainplacement.moc"
