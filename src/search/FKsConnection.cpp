#include "search/FKsConnection.h"

#include "search/KsResultModel.h"
#include "shell/FKsMdiMain.h"
#include "shell/KsApplication.h"
#include "shell/KsStrings.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
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
    paTop->setFixedHeight(81);
    paTop->installEventFilter(this);

    paTopRight = new QFrame(paTop);
    paTopRight->setObjectName(QStringLiteral("paTopRight"));
    paTopRight->setFrameShape(QFrame::NoFrame);
    btnFind = new QPushButton(QStringLiteral("&Find"), paTopRight);
    btnFind->setObjectName(QStringLiteral("btnFind"));
    btnFind->setGeometry(8, 32, 75, 21);
    btnFind->setEnabled(false);

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
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) { lvResultColumnClick(column); });
    connect(header, &QHeaderView::sectionResized, this, &TfrmConnectionBase::applyMinimumWidths);
    connect(miDuplicate, &QAction::triggered, this, ks::guarded([this] { miDuplicateClick(); }));
}

TfrmConnectionBase::~TfrmConnectionBase() = default;

void TfrmConnectionBase::place(QWidget *control, int left, int top, int width, int height)
{
    control->setGeometry(left, top, width, height);
}

QWidget *TfrmConnectionBase::addLabel(const QString &objectName, const QString &caption, int left, int top)
{
    auto *label = new QLabel(caption, paTop);
    label->setObjectName(objectName);
    label->move(left, top);
    return label;
}

void TfrmConnectionBase::updateFindEnabled()
{
    btnFind->setEnabled(findAllowed());
}

void TfrmConnectionBase::paTopResize()
{
    paTopRight->setGeometry(paTop->width() - 89, 0, 89, paTop->height());
    const QWidget *anchor = widthAnchor();
    const int width = paTop->width() - paTopRight->width() - anchor->x() - 2;
    const QList<QWidget *> controls = stretchedControls();
    for (QWidget *control : controls)
        control->resize(width, control->height());
}

bool TfrmConnectionBase::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == paTop && event->type() == QEvent::Resize)
        paTopResize();
    return KsMdiChild::eventFilter(watched, event);
}

void TfrmConnectionBase::showEvent(QShowEvent *event)
{
    KsMdiChild::showEvent(event);
    paTopResize();
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
    TfrmConnectionBase *copy = createSameKind();
    try {
        copy->InitConnection(m_connectionString);
    } catch (...) {
        copy->subWindow()->close();
        throw;
    }
    copy->showChild();
}
