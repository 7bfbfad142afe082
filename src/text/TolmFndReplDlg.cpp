#include "text/TolmFndReplDlg.h"

#include "base/KsLayout.h"
#include "settings/KsComboText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Design measures, in pixels at the design font: the labels at the left
// edge, the boxes 72 pixels further, the buttons in a column of rows 32
// pixels apart at the right.
constexpr int kMargin = 8;
constexpr int kLabelWidth = 72;
constexpr int kBoxWidth = 193;
constexpr int kBoxHeight = 21;
constexpr int kButtonsGap = 15;
constexpr QSize kButtonSize(73, 25);
constexpr int kRowGap = 7;
constexpr int kLowerTop = 8; // the direction group below the top of the Help button
constexpr int kChecksTop = 8; // the check boxes below the top of the direction group
constexpr int kCheckRow = 24;
constexpr int kChecksWidth = 144;
constexpr int kGroupGap = 8;
constexpr QSize kGroupSize(113, 49);

// Rows and columns of the dialog's grid.
enum Row { FindRow, ReplaceRow, ReplaceAllRow, HelpRow, CancelRow, RowCount };
enum Column { LabelColumn, BoxColumn, GapColumn, ButtonColumn };

QPushButton *makeButton(QWidget *parent, const char *objectName, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(objectName));
    ks::setDesignSize(button, kButtonSize);
    return button;
}

QComboBox *makeBox(QWidget *parent, const char *objectName)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(objectName));
    box->setEditable(true);
    // What the user typed is searched for exactly as typed.
    ks::keepTypedText(box);
    ks::setDesignWidth(box, kBoxWidth);
    ks::setDesignMinimum(box, QSize(0, kBoxHeight));
    return box;
}

QLabel *makeLabel(QWidget *parent, const char *objectName, const QString &caption, QWidget *buddy)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(objectName));
    label->setBuddy(buddy);
    return label;
}

} // namespace

TdlgFindReplace::TdlgFindReplace(QWidget *owner)
    : QDialog(owner,
        Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint)
    , m_grid(new QGridLayout(this))
{
    setObjectName(QStringLiteral("dlgFindReplace"));
    setModal(false);

    cbFind = makeBox(this, "cbFind");
    lbFind = makeLabel(this, "lbFind", QStringLiteral("Fi&nd what:"), cbFind);
    cbReplace = makeBox(this, "cbReplace");
    lbReplace = makeLabel(this, "lbReplace", QStringLiteral("Re&place with:"), cbReplace);
    btFind = makeButton(this, "btFind", QStringLiteral("&Find next"));
    btReplace = makeButton(this, "btReplace", QStringLiteral("&Replace"));
    btReplaceAll = makeButton(this, "btReplaceAll", QStringLiteral("Replace &all"));
    btHelp = makeButton(this, "btHelp", QStringLiteral("&Help"));
    btCancel = makeButton(this, "btCancel", QStringLiteral("Cancel"));
    cbWholeWord = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    cbWholeWord->setObjectName(QStringLiteral("cbWholeWord"));
    cbMatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    cbMatchCase->setObjectName(QStringLiteral("cbMatchCase"));

    rgUpDown = new QGroupBox(QStringLiteral("Direction"), this);
    rgUpDown->setObjectName(QStringLiteral("rgUpDown"));
    rbUp = new QRadioButton(QStringLiteral("&Up"), rgUpDown);
    rbUp->setObjectName(QStringLiteral("rbUp"));
    rbDown = new QRadioButton(QStringLiteral("&Down"), rgUpDown);
    rbDown->setObjectName(QStringLiteral("rbDown"));
    directionGroup = new QButtonGroup(this);
    directionGroup->addButton(rbUp, Up);
    directionGroup->addButton(rbDown, Down);
    rbDown->setChecked(true);
    auto *directions = new QHBoxLayout(rgUpDown);
    directions->setContentsMargins(6, 2, 6, 4);
    directions->addWidget(rbUp);
    directions->addWidget(rbDown);
    ks::setDesignMinimum(rgUpDown, kGroupSize);

    // The check boxes and the direction group below the boxes; they move up
    // with the rows of the replace controls.
    auto *checks = new QGridLayout;
    checks->setContentsMargins(0, kChecksTop, 0, 0);
    checks->setSpacing(0);
    checks->setColumnMinimumWidth(0, kChecksWidth);
    checks->setRowMinimumHeight(0, kCheckRow);
    checks->addWidget(cbWholeWord, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    checks->addWidget(cbMatchCase, 1, 0, Qt::AlignLeft | Qt::AlignTop);
    checks->setRowStretch(2, 1);
    auto *lower = new QHBoxLayout;
    lower->setContentsMargins(0, kLowerTop, 0, 0);
    lower->setSpacing(kGroupGap);
    lower->addLayout(checks);
    lower->addWidget(rgUpDown, 0, Qt::AlignTop);

    m_grid->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    m_grid->setHorizontalSpacing(0);
    m_grid->setVerticalSpacing(kRowGap);
    m_grid->setColumnMinimumWidth(LabelColumn, kLabelWidth);
    m_grid->setColumnMinimumWidth(BoxColumn, kBoxWidth);
    m_grid->setColumnMinimumWidth(GapColumn, kButtonsGap);
    m_grid->addWidget(lbFind, FindRow, LabelColumn, Qt::AlignTop);
    m_grid->addWidget(cbFind, FindRow, BoxColumn, Qt::AlignTop);
    m_grid->addWidget(btFind, FindRow, ButtonColumn, Qt::AlignTop);
    m_grid->addWidget(lbReplace, ReplaceRow, LabelColumn, Qt::AlignTop);
    m_grid->addWidget(cbReplace, ReplaceRow, BoxColumn, Qt::AlignTop);
    m_grid->addWidget(btReplace, ReplaceRow, ButtonColumn, Qt::AlignTop);
    m_grid->addWidget(btReplaceAll, ReplaceAllRow, ButtonColumn, Qt::AlignTop);
    m_grid->addWidget(btHelp, HelpRow, ButtonColumn, Qt::AlignTop);
    m_grid->addWidget(btCancel, CancelRow, ButtonColumn, Qt::AlignTop);
    m_grid->addLayout(lower, HelpRow, LabelColumn, 2, 2);
    // A fixed border: exactly as large as the layout needs.
    m_grid->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(cbFind, cbReplace);
    setTabOrder(cbReplace, cbWholeWord);
    setTabOrder(cbWholeWord, cbMatchCase);
    setTabOrder(cbMatchCase, rbUp);
    setTabOrder(rbUp, rbDown);
    setTabOrder(rbDown, btFind);
    setTabOrder(btFind, btReplace);
    setTabOrder(btReplace, btReplaceAll);
    setTabOrder(btReplaceAll, btHelp);
    setTabOrder(btHelp, btCancel);

    // Cancel and Esc hide the dialog; it lives as long as its component.
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    setLayoutStyle(ks::frFindReplace);
    // The owner's font and palette reach the dialog once its controls exist:
    // the font change that brings them lines the rows up again.
    setAttribute(Qt::WA_WindowPropagation);
}

TdlgFindReplace::~TdlgFindReplace() = default;

void TdlgFindReplace::setLayoutStyle(ks::TFindReplaceStyle style)
{
    m_style = style;
    const bool replace = style == ks::frFindReplace;
    setWindowTitle(replace ? QStringLiteral("Find & Replace") : QStringLiteral("Find"));
    for (QWidget *control : {static_cast<QWidget *>(lbReplace), static_cast<QWidget *>(cbReplace),
             static_cast<QWidget *>(btReplace), static_cast<QWidget *>(btReplaceAll)})
        control->setVisible(replace);
    btFind->setDefault(!replace);
    btReplace->setDefault(replace);
    m_rowHeight = -1; // the rows of the replace controls change
    equalizeRows();
    m_grid->activate();
}

int TdlgFindReplace::direction() const
{
    return directionGroup->checkedId();
}

void TdlgFindReplace::setDirection(int direction)
{
    if (QAbstractButton *button = directionGroup->button(direction))
        button->setChecked(true);
}

bool TdlgFindReplace::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Polish:
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::LayoutRequest:
        equalizeRows();
        break;
    default:
        break;
    }
    return QDialog::event(event);
}

void TdlgFindReplace::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        Q_EMIT hidden();
}

void TdlgFindReplace::equalizeRows()
{
    if (m_equalizing)
        return;
    m_equalizing = true;
    int height = 0;
    for (const QWidget *control : {static_cast<const QWidget *>(btFind), static_cast<const QWidget *>(btReplace),
             static_cast<const QWidget *>(btReplaceAll), static_cast<const QWidget *>(btHelp),
             static_cast<const QWidget *>(btCancel), static_cast<const QWidget *>(cbFind),
             static_cast<const QWidget *>(cbReplace), static_cast<const QWidget *>(lbFind),
             static_cast<const QWidget *>(lbReplace)})
        height = std::max({height, control->sizeHint().height(), control->minimumHeight()});
    if (height != m_rowHeight) {
        m_rowHeight = height;
        const bool replace = m_style == ks::frFindReplace;
        for (int row = 0; row < RowCount; ++row) {
            const bool replaceRow = row == ReplaceRow || row == ReplaceAllRow;
            m_grid->setRowMinimumHeight(row, replaceRow && !replace ? 0 : height);
        }
        // A label as tall as its box, its caption centred beside the box's text.
        const int boxHeight = std::max(cbFind->sizeHint().height(), cbFind->minimumHeight());
        lbFind->setMinimumHeight(boxHeight);
        lbReplace->setMinimumHeight(boxHeight);
    }
    m_equalizing = false;
}
