// The form storage: component properties kept as text, free values with
// scrambling, and a dialog that keeps only its version and recent lists.

#include "settings/FormStorage.h"
#include "settings/KsScramble.h"
#include "settings/MRUList.h"
#include "support/TestSeams.h"

#include "SettingsTestSupport.h"

#include <QDialog>
#include <QLineEdit>
#include <QtTest>

namespace {

const QString kKey = QStringLiteral("Software\\Kestrin\\Quillmere");

} // namespace

// A component with a property of every kind the storage writes.
class TStoredThing : public QObject {
    Q_OBJECT
    Q_PROPERTY(TShape Shape MEMBER Shape)
    Q_PROPERTY(TSides Sides READ sides WRITE setSides)
    Q_PROPERTY(QStringList Lines MEMBER Lines)
    Q_PROPERTY(QChar Mark MEMBER Mark)
    Q_PROPERTY(QObject *Buddy MEMBER Buddy)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(qlonglong Big MEMBER Big)
    Q_PROPERTY(bool Flag MEMBER Flag)
    Q_PROPERTY(QString Text MEMBER Text)
public:
    enum TShape { shSquare, shRound };
    Q_ENUM(TShape)
    enum TSide { sdLeft = 1, sdTop = 2, sdRight = 4 };
    Q_DECLARE_FLAGS(TSides, TSide)
    Q_FLAG(TSides)

    using QObject::QObject;
    TSides sides() const { return Sides; }
    void setSides(TSides sides) { Sides = sides; }

    TShape Shape = shSquare;
    TSides Sides;
    QStringList Lines;
    QChar Mark;
    QObject *Buddy = nullptr;
    double Ratio = 0;
    qlonglong Big = 0;
    bool Flag = false;
    QString Text;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TStoredThing::TSides)

class TfrmStore : public QWidget {
    Q_OBJECT
public:
    TfrmStore()
    {
        setObjectName(QStringLiteral("frmStore"));
        Thing->setObjectName(QStringLiteral("Thing"));
        edName->setObjectName(QStringLiteral("edName"));
    }
    TFormStorage *Storage = new TFormStorage(this);
    TStoredThing *Thing = new TStoredThing(this);
    QLineEdit *edName = new QLineEdit(this);
};

// A connect dialog's storage: only the version and the recent lists.
class TdlgStore : public QDialog {
    Q_OBJECT
public:
    explicit TdlgStore(const QString &registryKey)
    {
        setObjectName(QStringLiteral("dlgStore"));
        Storage->setActive(false);
        Storage->setUseRegistry(true);
        Storage->setOptions({});
        Storage->setIniFileName(registryKey);
        for (TMRUManager *manager : {MRUServer, MRUDatabase})
            manager->setIniStorage(Storage);
        MRUServer->setObjectName(QStringLiteral("MRUServer"));
        MRUDatabase->setObjectName(QStringLiteral("MRUDatabase"));
        Storage->setActive(true);
        edPassword->setObjectName(QStringLiteral("edPassword"));
    }
    TFormStorage *Storage = new TFormStorage(this);
    TMRUManager *MRUServer = new TMRUManager(this);
    TMRUManager *MRUDatabase = new TMRUManager(this);
    QLineEdit *edPassword = new QLineEdit(this);
};

class TestFormStorage : public QObject {
    Q_OBJECT

    std::unique_ptr<ks::test::ConfigHome> m_home;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;

    QString iniPath() const { return m_home->file(QStringLiteral("storage.ini")); }

    std::unique_ptr<TfrmStore> makeWindow() const
    {
        auto window = std::make_unique<TfrmStore>();
        window->Storage->setIniFileName(iniPath());
        window->Storage->setOptions({});
        window->Storage->setStoredProps({QStringLiteral("Thing.Shape"), QStringLiteral("Thing.Sides"),
            QStringLiteral("Thing.Lines"), QStringLiteral("Thing.Mark"), QStringLiteral("Thing.Buddy"),
            QStringLiteral("Thing.Ratio"), QStringLiteral("Thing.Big"), QStringLiteral("Thing.Flag"),
            QStringLiteral("Thing.Text"), QStringLiteral("edName.text")});
        return window;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Kestrin"));
        QCoreApplication::setApplicationName(QStringLiteral("quillmere"));
    }

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

    void propertiesAreStoredAsText()
    {
        {
            const auto window = makeWindow();
            window->show();
            TStoredThing &thing = *window->Thing;
            thing.Shape = TStoredThing::shRound;
            thing.Sides = TStoredThing::sdLeft | TStoredThing::sdRight;
            thing.Lines = QStringList {QStringLiteral("one"), QStringLiteral(" two ")};
            thing.Mark = QLatin1Char('#');
            thing.Buddy = window->edName;
            thing.Ratio = 0.25;
            thing.Big = 1LL << 40;
            thing.Flag = true;
            thing.Text = QStringLiteral("'quoted'");
            window->edName->setText(QStringLiteral("typed"));
            QVERIFY(window->close());
        }
        QCOMPARE(ks::test::sectionValues(iniPath(), QStringLiteral("TfrmStore")),
            (QMap<QString, QString> {{QStringLiteral("FormVersion"), QStringLiteral("0")},
                {QStringLiteral("Thing_Shape"), QStringLiteral("shRound")},
                {QStringLiteral("Thing_Sides"), QStringLiteral("[sdLeft,sdRight]")},
                {QStringLiteral("Thing_Mark"), QStringLiteral("#")},
                {QStringLiteral("Thing_Buddy"), QStringLiteral("frmStore.edName")},
                {QStringLiteral("Thing_Ratio"), QStringLiteral("0.25")},
                {QStringLiteral("Thing_Big"), QStringLiteral("1099511627776")},
                {QStringLiteral("Thing_Flag"), QStringLiteral("1")},
                {QStringLiteral("Thing_Text"), QStringLiteral("\"'quoted'\"")},
                {QStringLiteral("edName_text"), QStringLiteral("typed")}}));
        QCOMPARE(ks::test::sectionValues(iniPath(), QStringLiteral("TfrmStore.Thing_Lines")),
            (QMap<QString, QString> {{QStringLiteral("Count"), QStringLiteral("2")},
                {QStringLiteral("Item0"), QStringLiteral("one")},
                {QStringLiteral("Item1"), QStringLiteral("\" two \"")}}));

        const auto window = makeWindow();
        window->show();
        const TStoredThing &thing = *window->Thing;
        QCOMPARE(thing.Shape, TStoredThing::shRound);
        QCOMPARE(thing.Sides, TStoredThing::sdLeft | TStoredThing::sdRight);
        QCOMPARE(thing.Lines, (QStringList {QStringLiteral("one"), QStringLiteral(" two ")}));
        QCOMPARE(thing.Mark, QLatin1Char('#'));
        QCOMPARE(thing.Buddy, window->edName);
        QCOMPARE(thing.Ratio, 0.25);
        QCOMPARE(thing.Big, 1LL << 40);
        QCOMPARE(thing.Flag, true);
        QCOMPARE(thing.Text, QStringLiteral("'quoted'"));
        QCOMPARE(window->edName->text(), QStringLiteral("typed"));
    }

    void unreadableValuesLeaveProperties()
    {
        ks::test::writeBytes(iniPath(),
            "[TfrmStore]\nThing_Shape=shOval\nThing_Sides=sdLeft\nThing_Ratio=abc\nThing_Big=12x\n"
            "Thing_Buddy=nowhere.nothing\n\n[TfrmStore.Thing_Lines]\nItem0=without count\n");
        const auto window = makeWindow();
        window->Thing->Buddy = window->Thing;
        window->Thing->Lines = QStringList {QStringLiteral("kept")};
        window->show();
        const TStoredThing &thing = *window->Thing;
        QCOMPARE(thing.Shape, TStoredThing::shSquare);
        QCOMPARE(thing.Sides, TStoredThing::TSides());
        QCOMPARE(thing.Ratio, 0.0);
        QCOMPARE(thing.Big, 0LL);
        QCOMPARE(thing.Buddy, window->Thing);
        QCOMPARE(thing.Lines, QStringList {QStringLiteral("kept")});
        QCOMPARE(m_seams->messages.shown, QStringList());
    }

    void linesFollowTheirComponent()
    {
        const auto window = makeWindow();
        window->edName->setObjectName(QStringLiteral("edTitle"));
        QVERIFY(window->Storage->StoredProps().contains(QStringLiteral("edTitle.text")));
        QVERIFY(!window->Storage->StoredProps().contains(QStringLiteral("edName.text")));
        delete window->Thing;
        window->show();
        QCOMPARE(window->Storage->StoredProps(), QStringList {QStringLiteral("edTitle.text")});
    }

    void storedValuesWithAndWithoutKey()
    {
        const QString secret = QStringLiteral("not for a casual look");
        {
            const auto window = makeWindow();
            window->Storage->setStoredProps({});
            window->Storage->addStoredValue(QStringLiteral("Plain"), 42);
            TStoredValue &hidden = window->Storage->addStoredValue(QStringLiteral("Hidden"), secret);
            hidden.KeyString = QStringLiteral("k3y");
            window->Storage->addStoredValue(QStringLiteral("Changed"), QStringLiteral("x")).OnSave
                = [](TStoredValue &, QVariant &value) { value = value.toString() + QStringLiteral("-saved"); };
            window->show();
            QVERIFY(window->close());
        }
        const QMap<QString, QString> values = ks::test::sectionValues(iniPath(), QStringLiteral("TfrmStore"));
        QCOMPARE(values.value(QStringLiteral("Plain")), QStringLiteral("42"));
        QCOMPARE(values.value(QStringLiteral("Changed")), QStringLiteral("x-saved"));
        QVERIFY(!values.value(QStringLiteral("Hidden")).isEmpty());
        QVERIFY(!ks::test::fileBytes(iniPath()).contains("casual"));

        const auto window = makeWindow();
        window->Storage->setStoredProps({});
        window->Storage->addStoredValue(QStringLiteral("plain"));
        window->Storage->addStoredValue(QStringLiteral("Hidden")).KeyString = QStringLiteral("k3y");
        QString restored;
        window->Storage->addStoredValue(QStringLiteral("Missing"), QStringLiteral("as before")).OnRestore
            = [&](TStoredValue &, QVariant &value) { restored = value.toString(); };
        window->show();
        QCOMPARE(window->Storage->storedValue(QStringLiteral("PLAIN"))->Value.toString(), QStringLiteral("42"));
        QCOMPARE(window->Storage->storedValue(QStringLiteral("Hidden"))->Value.toString(), secret);
        QCOMPARE(restored, QStringLiteral("as before"));
    }

    void scramblingNeedsTheKey()
    {
        const QString text = QStringLiteral("Zürich, 7 letters");
        const QString scrambled = ks::scrambleText(text, QStringLiteral("key"));
        QVERIFY(!scrambled.contains(QStringLiteral("Zürich")));
        QCOMPARE(ks::unscrambleText(scrambled, QStringLiteral("key")), text);
        QVERIFY(ks::unscrambleText(scrambled, QStringLiteral("other")) != text);
        QCOMPARE(ks::unscrambleText(QStringLiteral("%%% not base 64"), QStringLiteral("key")), QString());
    }

    void dialogKeepsVersionAndRecentLists_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }

    void dialogKeepsVersionAndRecentLists()
    {
        QFETCH(bool, accept);
        ks::test::writeBytes(m_home->file(QStringLiteral("Kestrin/quillmere.conf")),
            "[TdlgStore.MRUServer]\nItem_0=SRV1\nItem_1=\"srv2 \"\n");
        TdlgStore dialog(kKey);
        dialog.show();
        QCOMPARE(dialog.MRUServer->Strings().names(), (QStringList {"SRV1", "srv2 "}));
        dialog.edPassword->setText(QStringLiteral("secret password"));
        dialog.MRUDatabase->Add(QStringLiteral("orders"), 0);
        dialog.MRUServer->Add(QStringLiteral("srv3"), 0);
        if (accept)
            dialog.accept();
        else
            dialog.reject();
        const QString file = m_home->file(QStringLiteral("Kestrin/quillmere.conf"));
        QCOMPARE(ks::test::sectionValues(file, QStringLiteral("TdlgStore")),
            (QMap<QString, QString> {{QStringLiteral("FormVersion"), QStringLiteral("0")}}));
        QCOMPARE(ks::test::sectionValues(file, QStringLiteral("TdlgStore.MRUServer")),
            (QMap<QString, QString> {{QStringLiteral("Item_0"), QStringLiteral("srv3")},
                {QStringLiteral("Item_1"), QStringLiteral("SRV1")},
                {QStringLiteral("Item_2"), QStringLiteral("srv2 ")}}));
        QCOMPARE(ks::test::sectionValues(file, QStringLiteral("TdlgStore.MRUDatabase")),
            (QMap<QString, QString> {{QStringLiteral("Item_0"), QStringLiteral("orders")}}));
        QVERIFY(!ks::test::fileBytes(file).contains("secret"));
        QVERIFY(dialog.Storage->isSaved());
    }
};

QTEST_MAIN(TestFormStorage)
#include "tst_formstorage.moc"
