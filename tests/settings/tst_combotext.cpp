// Editable combo boxes that offer recent names keep the text as typed.

#include "settings/KsComboText.h"
#include "settings/RecentStrings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

class TestComboText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typedTextSurvivesLeavingTheBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("listed in other case") << "srv1";
        QTest::newRow("listed exactly") << "SRV1";
        QTest::newRow("trailing blank") << "srv2 ";
    }

    void typedTextSurvivesLeavingTheBox()
    {
        QFETCH(QString, typed);
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *cbServer = new QComboBox(&window);
        cbServer->setEditable(true);
        ks::keepTypedText(cbServer);
        cbServer->addItems({QStringLiteral("SRV1"), QStringLiteral("srv2")});
        cbServer->setCurrentIndex(-1);
        auto *edOther = new QLineEdit(&window);
        layout->addWidget(cbServer);
        layout->addWidget(edOther);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        cbServer->setFocus();
        QTest::keyClicks(cbServer->lineEdit(), typed);
        edOther->setFocus();
        QTRY_VERIFY(edOther->hasFocus());
        QCOMPARE(cbServer->currentText(), typed);
        // Enter does not add the text to the list either.
        cbServer->setFocus();
        QTest::keyClick(cbServer->lineEdit(), Qt::Key_Return);
        QCOMPARE(cbServer->count(), 2);
        QCOMPARE(cbServer->currentText(), typed);
    }

    void recentNamesAreAppendedWithoutChangingTheText()
    {
        TRecentStrings list;
        list.add(QStringLiteral("oldest"));
        list.add(QStringLiteral("newest"));
        QComboBox editable;
        editable.setEditable(true);
        ks::appendRecentNames(&editable, list);
        QCOMPARE(editable.count(), 2);
        QCOMPARE(editable.itemText(0), QStringLiteral("newest"));
        QCOMPARE(editable.itemText(1), QStringLiteral("oldest"));
        QCOMPARE(editable.currentText(), QString());

        editable.setEditText(QStringLiteral("typed"));
        ks::appendRecentNames(&editable, list);
        QCOMPARE(editable.count(), 4);
        QCOMPARE(editable.currentText(), QStringLiteral("typed"));
    }
};

QTEST_MAIN(TestComboText)
#include "tst_combotext.moc"
