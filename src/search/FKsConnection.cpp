#include "search/FKsConnection.h"

#include "base/KsApplication.h"
#include "base/KsLayout.h"
#include "base/KsSeams.h"
#include "base/KsStrings.h"
#include "db/KsConnectionString.h"
#include "db/KsConnectionTarget.h"
#include "db/KsSnapshotInfo.h"
#include "search/KsCatalogueKind.h"
#include "search/KsColumnCaptions.h"
#include "search/KsPreparedSearch.h"
#include "search/KsResultListExport.h"
#include "search/KsResultModel.h"
#include "search/KsSearchStatus.h"
#include "search/KsSnapshot.h"
#include "shell/KsMdiHost.h"
#include "text/FKsTextView.h"
#include "text/FrKsTextView.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
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

TfrmConnectionBase::TfrmConnectionBase(KsMdiHost *owner)
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
    cbMatchMode = new QComboBox(paTop);
    cbMatchMode->setObjectName(QStringLiteral("cbMatchMode"));
    // In the order of ks::MatchMode.
    cbMatchMode->addItems({QStringLiteral("Pattern"), QStringLiteral("Text"), QStringLiteral("Word"),
        QStringLiteral("Regular Expression")});

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
    // The arrow stands on the column the list is sorted by; the list only
    // sorts ascending.
    header->setSortIndicatorShown(true);
    header->setSortIndicator(ks::KsResultModel::NameColumn, Qt::AscendingOrder);
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
    miSaveSnapshot = mnConnection->addAction(QStringLiteral("Save Catalogue &Snapshot..."));
    miSaveSnapshot->setObjectName(QStringLiteral("miSaveSnapshot"));
    addMergedMenu(mnConnection, 20);

    m_runner = new ks::SearchRunner(this);
    m_reader = new ks::ConnectionWorker(this);
    // Esc stops a search while one runs, and is left alone otherwise.
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_escape->setObjectName(QStringLiteral("scStopSearch"));
    m_escape->setContext(Qt::WidgetWithChildrenShortcut);
    m_escape->setEnabled(false);
    connect(m_escape, &QShortcut::activated, this, [this] { stopSearch(); });

    connect(edFind, &QLineEdit::textChanged, this, [this] { updateFindEnabled(); });
    // Enter searches whenever Find would; during a search it starts the
    // search anew with the text as it is now.
    connect(edFind, &QLineEdit::returnPressed, this, ks::guarded([this] {
        if (m_findAllowed)
            btnFindClick();
    }));
    connect(btnFind, &QPushButton::clicked, this, ks::guarded([this] { btnFindPressed(); }));
    connect(lvResult, &QTreeView::doubleClicked, this, ks::guarded([this] { lvResultDblClick(); }));
    // Enter opens the current row as a double-click does.
    auto *openRow = new QShortcut(lvResult);
    openRow->setKeys({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    openRow->setContext(Qt::WidgetShortcut);
    connect(openRow, &QShortcut::activated, this, ks::guarded([this] { lvResultDblClick(); }));
    connect(header, &QHeaderView::sectionClicked, this,
        [this](int column) { ks::runGuarded([this, column] { lvResultColumnClick(column); }); });
    connect(header, &QHeaderView::sectionResized, this, &TfrmConnectionBase::applyMinimumWidths);
    connect(miDuplicate, &QAction::triggered, this, ks::guarded([this] { miDuplicateClick(); }));
    connect(miSaveSnapshot, &QAction::triggered, this, ks::guarded([this] { miSaveSnapshotClick(); }));
    // Copy and Export write the rows as quillmere-search does, under the
    // window's caption, which never shows a password.
    ks::addResultListExport(lvResult, m_model, [this] { return caption(); });
}

TfrmConnectionBase::~TfrmConnectionBase()
{
    // Nothing the workers still find may reach the window being destroyed.
    m_runner->abandon();
    m_reader->abandon();
}

void TfrmConnectionBase::addBarLabel(int row, const QString &objectName, const QString &caption, int columnSpan)
{
    auto *label = new QLabel(caption, paTop);
    label->setObjectName(objectName);
    // A caption wider than its column keeps a gap before the controls.
    label->setContentsMargins(0, 0, kLabelGap, 0);
    m_bar->addWidget(label, row, LabelColumn, 1, columnSpan);
}

QCheckBox *TfrmConnectionBase::makeBarCheckBox(
    const QString &objectName, const QString &caption, bool ticked, int designWidth)
{
    auto *box = new QCheckBox(caption, paTop);
    box->setObjectName(objectName);
    box->setChecked(ticked);
    if (designWidth > 0)
        ks::setDesignMinimum(box, QSize(designWidth, 0));
    return box;
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

void TfrmConnectionBase::addFindRow(int row, QWidget *narrow)
{
    addBarLabel(row, QStringLiteral("Label3"), QStringLiteral("Find"));
    addBarControl(narrow, row, NarrowColumn);
    addFindText(row, WideColumn);
    placeFindButton(row);
}

void TfrmConnectionBase::addFindText(int row, int column, int columnSpan)
{
    auto *find = new QHBoxLayout;
    find->setSpacing(4);
    find->addWidget(edFind, 1);
    find->addWidget(cbMatchMode);
    m_bar->addLayout(find, row, column, 1, columnSpan);
}

ks::MatchMode TfrmConnectionBase::matchMode() const
{
    return ks::MatchMode(std::max(cbMatchMode->currentIndex(), 0));
}

QComboBox *TfrmConnectionBase::makeBarListBox(const QString &objectName)
{
    auto *box = new QComboBox(paTop);
    box->setObjectName(objectName);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(8);
    return box;
}

void TfrmConnectionBase::setColumnCaptions(const QStringList &captions)
{
    lvResult->setModel(new ks::KsColumnCaptions(m_model, captions, this));
}

void TfrmConnectionBase::updateFindEnabled()
{
    m_findAllowed = findAllowed();
    // While a search runs the button is Stop, and Stop is always there.
    btnFind->setEnabled(m_findAllowed || isSearching());
}

bool TfrmConnectionBase::isSearching() const
{
    return m_runner->isRunning();
}

void TfrmConnectionBase::btnFindPressed()
{
    if (isSearching())
        stopSearch();
    else
        btnFindClick();
}

void TfrmConnectionBase::btnFindClick()
{
    // A new Find stops the search still running and waits for its worker.
    if (isSearching())
        m_runner->finish();
    m_lastSearch = prepareSearch();
    ks::SearchTask task = m_lastSearch->task();
    m_model->clear();
    showSortColumn();
    m_model->setKeepSort(true);
    setSearching(true);

    ks::SearchSinks sinks;
    sinks.rows = [this](std::vector<ks::ResultRow> rows) { m_model->addRows(std::move(rows)); };
    sinks.lines = [this](const QStringList &lines) { searchLines(lines); };
    sinks.progress = [this](const ks::SearchProgress &progress) { setStatusText(ks::runningStatus(progress)); };
    sinks.finished = [this](ks::SearchOutcome outcome, const ks::SearchProgress &progress, std::exception_ptr error) {
        searchFinished(outcome, progress, std::move(error));
    };
    m_runner->start(connectionString(), std::move(task), std::move(sinks));
    setStatusText(ks::runningStatus(m_runner->progress()));
}

void TfrmConnectionBase::describeSnapshot()
{
    const QString dataSource = ks::GetConnectionValue(m_connectionString, QStringLiteral("data source"));
    // Catalogue files of every kind can be copied; servers where the kind
    // knows the tables to fill.
    miSaveSnapshot->setEnabled(ks::isSqliteDatabaseFile(dataSource) || !catalogueKind().snapshotSchema().isEmpty());
    const std::optional<ks::SnapshotInfo> snapshot = ks::readSnapshotInfo(dataSource);
    if (!snapshot)
        return;
    setCaption(caption() + QStringLiteral(" - ") + snapshot->description());
    setStatusText(QStringLiteral("Searching a ") + snapshot->description());
}

void TfrmConnectionBase::miSaveSnapshotClick()
{
    ks::SaveFileRequest request;
    request.caption = QStringLiteral("Save Catalogue Snapshot");
    request.filter = QStringLiteral("Catalogue files (*.qmcat);;All files (*)");
    request.defaultSuffix = QStringLiteral("qmcat");
    const QString file = ks::fileDialogs().saveFileName(this, request);
    if (file.isEmpty())
        return;
    // A search still running is stopped first, as a new Find stops it.
    if (isSearching())
        m_runner->finish();
    setSearching(true);
    ks::SearchSinks sinks;
    sinks.progress = [this](const ks::SearchProgress &progress) { setStatusText(ks::snapshotRunningStatus(progress)); };
    sinks.finished
        = [this, file](ks::SearchOutcome outcome, const ks::SearchProgress &progress, std::exception_ptr error) {
              setSearching(false);
              setStatusText(ks::snapshotEndStatus(outcome, progress, file, ks::SearchRunner::errorText(error)));
              if (error)
                  ks::reportException(error);
          };
    m_runner->start(connectionString(), ks::snapshotTask(catalogueKind(), connectionString(), file), std::move(sinks));
    setStatusText(ks::snapshotRunningStatus(m_runner->progress()));
}

void TfrmConnectionBase::stopSearch()
{
    m_runner->stop();
}

void TfrmConnectionBase::setSearching(bool searching)
{
    btnFind->setText(searching ? QStringLiteral("&Stop") : QStringLiteral("&Find"));
    m_escape->setEnabled(searching);
    // The wait cursor shows over the list that is filling, nowhere else.
    if (searching)
        lvResult->viewport()->setCursor(Qt::WaitCursor);
    else
        lvResult->viewport()->unsetCursor();
    btnFind->setEnabled(m_findAllowed || searching);
}

void TfrmConnectionBase::searchFinished(
    ks::SearchOutcome outcome, const ks::SearchProgress &progress, std::exception_ptr error)
{
    m_model->setKeepSort(false);
    setSearching(false);
    // Only a search that ran to its end found nothing.
    if (outcome == ks::SearchOutcome::Done && m_model->rowCount() == 0) {
        ks::ResultRow none;
        none.name = QStringLiteral("no results found");
        none.subItems = 0;
        none.rowKind = 0;
        m_model->addRow(none);
    }
    setStatusText(ks::endStatus(outcome, progress, ks::SearchRunner::errorText(error)));
    searchEnded();
    if (error)
        ks::reportException(error);
}

void TfrmConnectionBase::abandonSearch()
{
    if (!isSearching())
        return;
    m_runner->abandon();
    m_model->setKeepSort(false);
    setSearching(false);
    // The search went with the window; there is nothing left to tell of it.
    setStatusText(QString());
    searchEnded();
}

void TfrmConnectionBase::closeEvent(QCloseEvent *event)
{
    KsMdiChild::closeEvent(event);
    if (event->isAccepted()) {
        abandonSearch();
        m_reader->abandon();
    }
}

bool TfrmConnectionBase::isConnecting() const
{
    return m_reader->isRunning();
}

void TfrmConnectionBase::readOptions(
    ks::ConnectionWorker::Work read, std::function<void(const std::exception_ptr &)> show)
{
    setCursor(Qt::BusyCursor);
    setStatusText(QStringLiteral("Connecting..."));
    m_reader->start(
        m_connectionString, std::move(read), [this, show = std::move(show)](const std::exception_ptr &error) {
            unsetCursor();
            setStatusText(QString());
            ks::runGuarded([&] { show(error); });
        });
}

void TfrmConnectionBase::setStatusText(const QString &text)
{
    if (text == m_statusText)
        return;
    m_statusText = text;
    emit statusTextChanged();
}

void TfrmConnectionBase::fetchInBackground(TfrmKsTextViewer *viewer, ks::SearchTask task)
{
    // The fetch belongs to the viewer: closing the viewer stops it, closing
    // this window does not.
    auto *runner = new ks::SearchRunner(viewer);
    // The sinks hold no writer of their own: the runner goes with the viewer,
    // and nothing may write into a viewer that is being destroyed.
    const QPointer<TfrmKsTextViewer> target(viewer);
    ks::SearchSinks sinks;
    sinks.lines = [target](const QStringList &lines) {
        if (target) {
            for (const QString &line : lines)
                target->frKsTextViewer()->appendLines(line);
        }
    };
    sinks.finished = [runner, target](ks::SearchOutcome, const ks::SearchProgress &, std::exception_ptr error) {
        // Every line in the memo before the message about what stopped it.
        if (target)
            target->frKsTextViewer()->flush();
        runner->deleteLater();
        if (error)
            ks::reportException(error);
    };
    runner->start(m_connectionString, std::move(task), std::move(sinks));
}

void TfrmConnectionBase::lvResultDblClick()
{
    const QModelIndexList selected = lvResult->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    showDefinition(m_model->row(selected.constFirst().row()));
}

void TfrmConnectionBase::showDefinition(const ks::ResultRow &row)
{
    std::optional<ks::DefinitionFetch> fetch = m_lastSearch ? m_lastSearch->definition(row, caption()) : std::nullopt;
    if (!fetch)
        return;
    // The viewer stays open with what was written when an error ends the fetch.
    TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(owner(), fetch->caption);
    viewer->setSearchHighlight(m_lastSearch->highlight());
    fetchInBackground(viewer, std::move(fetch->task));
}

void TfrmConnectionBase::lvResultColumnClick(int column)
{
    // The header moves or turns its arrow by itself on a click; the arrow
    // goes back to the list's sort column, also when the sort fails.
    const auto arrow = qScopeGuard([this] { showSortColumn(); });
    m_model->sortByColumn(column);
}

void TfrmConnectionBase::showSortColumn()
{
    lvResult->header()->setSortIndicator(m_model->sortColumn(), Qt::AscendingOrder);
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
    if (isSearching())
        m_runner->finish();
    initAndShow(createSameKind(), m_connectionString);
}

void TfrmConnectionBase::initAndShow(TfrmConnectionBase *window, const QString &connectionString)
{
    try {
        window->InitConnection(connectionString);
        window->describeSnapshot();
    } catch (...) {
        // A window whose option lists could not be read is of no use.
        window->subWindow()->close();
        throw;
    }
    window->showChild();
    // The search text is what the user types first.
    window->edFind->setFocus();
}
