#include "search/FKsConnection.h"

#include "search/KsColumnCaptions.h"
#include "search/KsResultModel.h"
#include "shell/FKsMdiMain.h"
#include "shell/KsApplication.h"
#include "shell/KsLayout.h"
#include "shell/KsStrings.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

struct ColumnWidths {
    int width;
    int minimum;
};

// Name, Type, Schema; Comment takes what is left of the list's width.
constexpr ColumnWidths kColumns[] = {{200, 100}, {100, 50}, {100, 0}, {0, 100}};

constexpr int kLabelGap = 6;

} // namespace

namespace ks {

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

} // namespace ks

TfrmConnectionBase::TfrmConnectionBase(TfrmKsMdiMain *owner)
    : KsMdiChild(owner)
{
    setCaption(QStringLiteral("Connection"));
    subWindow()->resize(602, 341);

    paTop = new QFrame(this);
    paTop->setObjectName(QStringLiteral("paTop"));
    paTop->setFrameShape(QFrame::Panel);
    paTop->setFrameShadow(QFrame::Sunken);
    ks::setDesignMinimum(paTop, QSize(0, 81));
    paTop->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // Labels 8 pixels from the bar's outer edge, controls at 80 and 168 where
    // the captions allow; rows 3 pixels apart.
    const int bevel = paTop->frameWidth();
    m_bar = new QGridLayout(paTop);
    m_bar->setContentsMargins(8 - bevel, 8 - bevel, 0, 4);
    m_bar->setHorizontalSpacing(0);
    m_bar->setVerticalSpacing(3);
    m_bar->setColumnMinimumWidth(LabelColumn, 72);
    m_bar->setColumnMinimumWidth(NarrowColumn, 81);
    m_bar->setColumnMinimumWidth(NarrowColumn + 1, 7);
    m_bar->setColumnStretch(WideColumn, 1);
    m_bar->setColumnMinimumWidth(WideColumn + 1, 2);

    paTopRight = new QFrame(paTop);
    paTopRight->setObjectName(QStringLiteral("paTopRight"));
    paTopRight->setFrameShape(QFrame::NoFrame);
    // 89 pixels wide, holding Find 75 by 21 at its left; both grow where
    // the caption needs more room.
    ks::setDesignMinimum(paTopRight, QSize(89, 0));
    paTopRight->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    btnFind = new QPushButton(QStringLiteral("&Find"), paTopRight);
    btnFind->setObjectName(QStringLiteral("btnFind"));
    ks::setDesignSize(btnFind, QSize(75, 21));
    btnFind->setEnabled(false);
    auto *findLayout = new QHBoxLayout(paTopRight);
    findLayout->setContentsMargins(8, 0, 6, 0);
    findLayout->addWidget(btnFind);

    edFind = new QLineEdit(paTop);
    edFind->setObjectName(QStringLiteral("edFind"));

    m_model = new ks::KsResultModel(this);
    lvResult = new QTreeView(this);
    lvResult->setObjectName(QStringLiteral("lvResult"));
    lvResult->setModel(m_model);
    lvResult->setRootIsDecorated(false);
    lvResult->setItemsExpandable(false);
    lvResult->setUniformRowHeights(true);
    lvResult->setAllColumnsShowFocus(true);
    lvResult->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvResult->setSelectionMode(QAbstractItemView::SingleSelection);
    lvResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvResult->setSortingEnabled(false);
    QHeaderView *header = lvResult->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(true);
    header->setMinimumSectionSize(0);
    for (int column = 0; column < 3; ++column)
        header->resizeSection(column, kColumns[column].width);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(paTop);
    layout->addWidget(lvResult);

    mnConnection = new QMenu(QStringLiteral("&Connection"), this);
    mnConnection->setObjectName(QStringLiteral("mnConnection"));
    miDuplicate = mnConnection->addAction(QStringLiteral("&Duplicate"));
    miDuplicate->setObjectName(QStringLiteral("miDuplicate"));
    miDuplicate->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
    addMergedMenu(mnConnection, 20);

    connect(edFind, &QLineEdit::textChanged, this, [this] { updateFindEnabled(); });
    connect(edFind, &QLineEdit::returnPressed, this, ks::guarded([this] {
        if (btnFind->isEnabled())
            btnFindClick();
    }));
    connect(btnFind, &QPushButton::clicked, this, ks::guarded([this] { btnFindClick(); }));
    connect(lvResult, &QTreeView::doubleClicked, this, ks::guarded([this] { lvResultDblClick(); }));
    connect(header, &QHeaderView::sectionClicked, this,
        [this](int column) { ks::runGuarded([this, column] { lvResultColumnClick(column); }); });
    connect(header, &QHeaderView::sectionResized, this, &TfrmConnectionBase::applyMinimumWidths);
    connect(miDuplicate, &QAction::triggered, this, ks::guarded([this] { miDuplicateClick(); }));
}

TfrmConnectionBase::~TfrmConnectionBase() = default;

void TfrmConnectionBase::addBarLabel(int row, const QString &objectName, const QString &caption, int columnSpan)
{
    auto *label = new QLabel(caption, paTop);
    label->setObjectName(objectName);
    // A caption wider than its column keeps a gap before the controls.
    label->setContentsMargins(0, 0, kLabelGap, 0);
    m_bar->addWidget(label, row, LabelColumn, 1, columnSpan);
}

void TfrmConnectionBase::addBarControl(QWidget *control, int row, int column, int columnSpan)
{
    m_bar->addWidget(control, row, column, 1, columnSpan);
}

void TfrmConnectionBase::addBarOptions(int row, const QList<QWidget *> &controls)
{
    auto *options = new QHBoxLayout;
    options->setSpacing(7);
    for (QWidget *control : controls)
        options->addWidget(control);
    options->addStretch(1);
    m_bar->addLayout(options, row, NarrowColumn, 1, WideColumn - NarrowColumn + 1);
}

void TfrmConnectionBase::placeFindButton(int row)
{
    m_bar->addWidget(paTopRight, row, WideColumn + 2);
}

void TfrmConnectionBase::setColumnCaptions(const QStringList &captions)
{
    lvResult->setModel(new ks::KsColumnCaptions(m_model, captions, this));
}

void TfrmConnectionBase::updateFindEnabled()
{
    btnFind->setEnabled(findAllowed());
}

void TfrmConnectionBase::lvResultDblClick()
{
    const QModelIndexList selected = lvResult->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    showDefinition(m_model->row(selected.constFirst().row()));
}

void TfrmConnectionBase::lvResultColumnClick(int column)
{
    m_model->sortByColumn(column);
}

void TfrmConnectionBase::applyMinimumWidths(int column, int, int newSize)
{
    if (column < 0 || column >= int(std::size(kColumns)))
        return;
    const int minimum = kColumns[column].minimum;
    if (newSize < minimum)
        lvResult->header()->resizeSection(column, minimum);
}

void TfrmConnectionBase::miDuplicateClick()
{
    initAndShow(createSameKind(), m_connectionString);
}

void TfrmConnectionBase::initAndShow(TfrmConnectionBase *window, const QString &connectionString)
{
    try {
        window->InitConnection(connectionString);
    } catch (...) {
        // A window whose option lists could not be read is of no use.
        window->subWindow()->close();
        throw;
    }
    window->showChild();
}
