// Design sizes as minimums: controls keep the design's size where the font
// allows and grow just enough where it does not, also after the font changes.

#include "base/KsLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QtTest>

namespace {

QFont scaled(const QFont &font, qreal scale)
{
    QFont result = font;
    result.setPixelSize(qRound(QFontInfo(font).pixelSize() * scale));
    return result;
}

QFont tiny()
{
    QFont font = QApplication::font();
    font.setPixelSize(8);
    return font;
}

} // namespace

class TestDesignSize : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void buttonKeepsDesignOrGrowsWithItsCaption_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("design");
        QTest::newRow("narrow help button") << "?" << QSize(25, 25);
        QTest::newRow("dialog button") << "Cancel" << QSize(89, 25);
        QTest::newRow("find button with mnemonic") << "&Find" << QSize(75, 21);
    }

    void buttonKeepsDesignOrGrowsWithItsCaption()
    {
        QFETCH(QString, caption);
        QFETCH(QSize, design);
        QWidget parent;
        parent.setFont(tiny());
        auto *button = new QPushButton(caption, &parent);
        ks::setDesignSize(button, design);
        // Whatever width the style would like, the design holds.
        QCOMPARE(button->size(), design);
        QCOMPARE(button->minimumSize(), button->maximumSize());

        // A font four times as large: the caption decides.
        parent.setFont(scaled(tiny(), 4));
        const QSize needs = ks::buttonCaptionSize(button);
        QVERIFY(needs.width() > design.width() || needs.height() > design.height());
        QCOMPARE(button->size(), design.expandedTo(needs));
        QVERIFY(button->fontMetrics().horizontalAdvance(QString(caption).remove(QLatin1Char('&'))) < button->width());

        // And back again.
        parent.setFont(tiny());
        QCOMPARE(button->size(), design);
    }

    void minimumNeverSqueezesCaption()
    {
        QWidget panel;
        panel.setFont(tiny());
        auto *layout = new QHBoxLayout(&panel);
        auto *box = new QCheckBox(QStringLiteral("View Definitions"));
        layout->addWidget(box);
        ks::setDesignMinimum(box, QSize(97, 0));
        QCOMPARE(box->minimumWidth(), std::max(97, box->minimumSizeHint().width()));

        panel.setFont(scaled(tiny(), 3));
        QVERIFY(box->minimumSizeHint().width() > 97);
        QTRY_COMPARE(box->minimumWidth(), box->minimumSizeHint().width());
        // The panel cannot be laid out narrower than the caption.
        QVERIFY(layout->minimumSize().width() >= box->sizeHint().width());
    }

    void panelMinimumFollowsItsControls()
    {
        QWidget window;
        window.setFont(tiny());
        auto *panel = new QWidget(&window);
        auto *layout = new QHBoxLayout(panel);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *box = new QCheckBox(QStringLiteral("Trigger Code"), panel);
        layout->addWidget(box);
        ks::setDesignMinimum(panel, QSize(0, 81));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(panel->minimumHeight(), 81);

        // A control that grows taller than the design: the panel follows.
        box->setMinimumHeight(120);
        QTRY_COMPARE(panel->minimumHeight(), 120);
    }

    void widthIgnoresLongContent()
    {
        QWidget parent;
        auto *layout = new QHBoxLayout(&parent);
        const QMargins margins = layout->contentsMargins();
        auto *combo = new QComboBox;
        combo->setEditable(true);
        combo->addItem(QString(300, QLatin1Char('x')));
        layout->addWidget(combo);
        ks::setDesignWidth(combo, 145);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        // The box would like room for its long entry; the window stays as
        // drawn, and the box takes what the window gives it.
        QVERIFY(combo->sizeHint().width() > 500);
        QCOMPARE(layout->sizeHint().width(), 145 + margins.left() + margins.right());
        QCOMPARE(layout->minimumSize().width(), 145 + margins.left() + margins.right());
        parent.resize(400, parent.height());
        QTRY_COMPARE(combo->width(), 400 - margins.left() - margins.right());
    }
};

QTEST_MAIN(TestDesignSize)
#include "tst_designsize.moc"
