#include "text/TolmFndRepl.h"

#include "base/KsApplication.h"
#include "base/KsSeams.h"
#include "text/KsMemo.h"
#include "text/TolmFndReplDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalBlocker>
#include <QTextCursor>

#include <climits>

namespace {

const QString kUpRefused = QStringLiteral("Searching UP is not supported (yet).");

// The one-character default that tells a missing history entry: the byte 255.
const QString kMissing = QString(QChar(0xFF));

constexpr ks::TFindOptions kActionFlags = ks::frFindNext | ks::frReplace | ks::frReplaceAll;

QStringList comboItems(const QComboBox *box)
{
    QStringList items;
    items.reserve(box->count());
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// Puts `items` into the drop-down list; what the box shows stays.
void setComboItems(QComboBox *box, const QStringList &items)
{
    const QSignalBlocker block(box);
    const QString text = box->currentText();
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

// A stored history entry goes to its own index, replacing what is there;
// beyond the end of the list it is added at the end, so that a gap in the
// stored numbering closes up.
void placeHistoryEntry(QComboBox *box, int index, const QString &value)
{
    const QSignalBlocker block(box);
    const QString text = box->currentText();
    if (index < box->count())
        box->setItemText(index, value);
    else
        box->addItem(value);
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

TTolmFindReplace::TTolmFindReplace(QObject *owner)
    : QObject(owner)
    , m_dialog(new TdlgFindReplace(qobject_cast<QWidget *>(owner)))
{
    TdlgFindReplace *dialog = m_dialog;
    connect(dialog->cbFind, &QComboBox::editTextChanged, this, &TTolmFindReplace::findTextEdited);
    connect(
        dialog->cbReplace, &QComboBox::editTextChanged, this, [this](const QString &text) { m_replaceText = text; });
    connect(dialog->btFind, &QPushButton::clicked, this, ks::guarded([this] { buttonClicked(Action::Find); }));
    connect(dialog->btReplace, &QPushButton::clicked, this, ks::guarded([this] { buttonClicked(Action::Replace); }));
    connect(
        dialog->btReplaceAll, &QPushButton::clicked, this, ks::guarded([this] { buttonClicked(Action::ReplaceAll); }));
    connect(dialog->btHelp, &QPushButton::clicked, this, ks::guarded([this] { helpClicked(); }));
    // Each check box keeps its flag in step, also when the program sets it.
    connect(dialog->cbWholeWord, &QCheckBox::toggled, this,
        [this](bool checked) { m_options.setFlag(ks::frWholeWord, checked); });
    connect(dialog->cbMatchCase, &QCheckBox::toggled, this,
        [this](bool checked) { m_options.setFlag(ks::frMatchCase, checked); });
    connect(dialog->directionGroup, &QButtonGroup::idClicked, this,
        [this](int direction) { ks::runGuarded([this, direction] { directionClicked(direction); }); });
    connect(dialog, &TdlgFindReplace::hidden, this, ks::guarded([this] { saveToIniFile(); }));
    dialog->setLayoutStyle(m_style);
    findTextEdited(QString());
}

TTolmFindReplace::~TTolmFindReplace()
{
    if (!m_dialog)
        return;
    // A dialog still open keeps its state as at any hiding; a refused write
    // cannot be reported from here.
    disconnect(m_dialog, &TdlgFindReplace::hidden, this, nullptr);
    if (m_dialog->isVisible()) {
        try {
            saveToIniFile();
        } catch (...) {
        }
    }
    delete m_dialog.data();
}

TdlgFindReplace *TTolmFindReplace::dialog() const
{
    return m_dialog;
}

void TTolmFindReplace::setStyle(ks::TFindReplaceStyle style)
{
    m_style = style;
    m_dialog->setLayoutStyle(style);
}

void TTolmFindReplace::setFindText(const QString &text)
{
    m_findText = text;
    if (m_dialog->cbFind->currentText() != text)
        m_dialog->cbFind->setEditText(text);
}

void TTolmFindReplace::setReplaceText(const QString &text)
{
    m_replaceText = text;
    if (m_dialog->cbReplace->currentText() != text)
        m_dialog->cbReplace->setEditText(text);
}

void TTolmFindReplace::setTolmIniFile(TTolmIniFile *iniFile)
{
    m_iniFile = iniFile;
}

QString TTolmFindReplace::sectionName() const
{
    if (!m_iniSection.isEmpty())
        return m_iniSection;
    // The dialog, this component and its owners; owners without a name are skipped.
    QStringList names;
    names << m_dialog->objectName();
    for (const QObject *owner = this; owner; owner = owner->parent()) {
        if (!owner->objectName().isEmpty())
            names.prepend(owner->objectName());
    }
    names.removeAll(QString());
    return names.join(QLatin1Char('\\'));
}

QPlainTextEdit *TTolmFindReplace::memo() const
{
    return qobject_cast<QPlainTextEdit *>(m_target.data());
}

QWidget *TTolmFindReplace::messageParent() const
{
    if (m_dialog && m_dialog->isVisible())
        return m_dialog;
    return m_target ? m_target->window() : nullptr;
}

void TTolmFindReplace::Execute()
{
    TdlgFindReplace *dialog = m_dialog;
    dialog->cbMatchCase->setEnabled(!m_options.testFlag(ks::frDisableMatchCase));
    dialog->cbWholeWord->setEnabled(!m_options.testFlag(ks::frDisableWholeWord));
    dialog->rgUpDown->setEnabled(false);
    dialog->cbMatchCase->setVisible(!m_options.testFlag(ks::frHideMatchCase));
    dialog->cbWholeWord->setVisible(!m_options.testFlag(ks::frHideWholeWord));
    dialog->rgUpDown->setVisible(!m_options.testFlag(ks::frHideUpDown));
    dialog->btHelp->setVisible(m_options.testFlag(ks::frShowHelp));
    dialog->cbMatchCase->setChecked(m_options.testFlag(ks::frMatchCase));
    dialog->cbWholeWord->setChecked(m_options.testFlag(ks::frWholeWord));
    dialog->setDirection(TdlgFindReplace::Down);

    if (QPlainTextEdit *target = memo()) {
        const QTextCursor cursor = target->textCursor();
        if (cursor.hasSelection()) {
            m_findText = ks::selectedMemoText(cursor);
        } else {
            const QString word = ks::wordAtCaret(ks::memoText(target), cursor.position(), m_wordChars);
            if (!word.isEmpty())
                m_findText = word;
        }
        ks::keepSelectionVisible(target);
    }

    setFindText(m_findText);
    findTextEdited(m_findText);
    setReplaceText(m_replaceText);
    dialog->btCancel->setText(QStringLiteral("Cancel"));

    if (!dialog->shownBefore()) {
        firstShowing();
        dialog->setShownBefore();
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void TTolmFindReplace::FindNext()
{
    setStyle(ks::frFind);
    if (m_findText.isEmpty())
        Execute();
    else
        buttonClicked(Action::Find);
}

void TTolmFindReplace::firstShowing()
{
    TdlgFindReplace *dialog = m_dialog;
    if (!m_iniFile) {
        // Centred on the screen, with the lists the host gave.
        dialog->adjustSize();
        const QWidget *owner = dialog->parentWidget();
        const QScreen *screen = owner ? owner->screen() : dialog->screen();
        if (screen) {
            const QRect area = screen->geometry();
            dialog->move(
                area.x() + (area.width() - dialog->width()) / 2, area.y() + (area.height() - dialog->height()) / 2);
        }
        setComboItems(dialog->cbFind, m_findHistory);
        setComboItems(dialog->cbReplace, m_replaceHistory);
        return;
    }

    // The ini component must outlive this one, whose dialog saves into it
    // when it goes: Qt destroys an owner's children from the first to the
    // last, so it moves behind this one.
    QObject *owner = parent();
    if (owner && m_iniFile->parent() == owner) {
        const QObjectList &children = owner->children();
        if (children.indexOf(m_iniFile.data()) < children.indexOf(this)) {
            m_iniFile->setParent(nullptr);
            m_iniFile->setParent(owner);
        }
    }

    m_sectionInUse = sectionName();
    TTolmIniFile &ini = *m_iniFile;
    const int left = ini.ReadInteger(m_sectionInUse, QStringLiteral("Left"), INT_MIN);
    const int top = ini.ReadInteger(m_sectionInUse, QStringLiteral("Top"), INT_MIN);
    if (left != INT_MIN && top != INT_MIN)
        dialog->move(left, top);
    dialog->cbWholeWord->setChecked(
        ini.ReadBool(m_sectionInUse, QStringLiteral("WholeWord"), dialog->cbWholeWord->isChecked()));
    dialog->cbMatchCase->setChecked(
        ini.ReadBool(m_sectionInUse, QStringLiteral("MatchCase"), dialog->cbMatchCase->isChecked()));
    dialog->setDirection(TdlgFindReplace::Down);
    for (const auto &[prefix, box] :
        {std::pair {QLatin1Char('F'), dialog->cbFind}, {QLatin1Char('R'), dialog->cbReplace}}) {
        for (int n = 0; n < m_historySize; ++n) {
            const QString value = ini.ReadString(m_sectionInUse, prefix + QString::number(n), kMissing);
            if (value != kMissing)
                placeHistoryEntry(box, n, value);
        }
    }
}

void TTolmFindReplace::saveToIniFile()
{
    if (!m_iniFile)
        return;
    TdlgFindReplace *dialog = m_dialog;
    if (m_sectionInUse.isEmpty())
        m_sectionInUse = sectionName();
    TTolmIniFile &ini = *m_iniFile;
    ini.WriteInteger(m_sectionInUse, QStringLiteral("Left"), dialog->pos().x());
    ini.WriteInteger(m_sectionInUse, QStringLiteral("Top"), dialog->pos().y());
    ini.WriteBool(m_sectionInUse, QStringLiteral("WholeWord"), dialog->cbWholeWord->isChecked());
    ini.WriteBool(m_sectionInUse, QStringLiteral("MatchCase"), dialog->cbMatchCase->isChecked());
    ini.WriteInteger(m_sectionInUse, QStringLiteral("Down"), dialog->direction());
    // Between double quotes, so that leading and trailing blanks survive.
    for (const auto &[prefix, box] :
        {std::pair {QLatin1Char('F'), dialog->cbFind}, {QLatin1Char('R'), dialog->cbReplace}}) {
        for (int n = 0; n < box->count(); ++n)
            ini.WriteString(m_sectionInUse, prefix + QString::number(n), quoted(box->itemText(n)));
    }
}

void TTolmFindReplace::findTextEdited(const QString &text)
{
    m_findText = text;
    const bool searchable = !text.isEmpty();
    m_dialog->btFind->setEnabled(searchable);
    m_dialog->btReplace->setEnabled(searchable);
    m_dialog->btReplaceAll->setEnabled(searchable);
}

void TTolmFindReplace::addToHistory(QComboBox *box, bool allowEmpty)
{
    QStringList items = comboItems(box);
    const QString text = box->currentText();
    if (!ks::AddToHistory(items, text, m_options.testFlag(ks::frMatchCase), allowEmpty, m_historySize))
        return;
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(0);
    box->setEditText(text);
}

void TTolmFindReplace::buttonClicked(Action action)
{
    if (m_busy)
        return; // a Replace All is still running
    TdlgFindReplace *dialog = m_dialog;
    addToHistory(dialog->cbFind, false);
    m_options &= ~kActionFlags;
    // The action flags hold only while the action runs, also when it fails.
    const QPointer<TTolmFindReplace> self(this);
    const auto clearFlags = qScopeGuard([this, &self] {
        if (self)
            m_options &= ~kActionFlags;
    });

    if (action == Action::Find) {
        m_options |= ks::frFindNext;
        if (OnFind)
            OnFind(dialog->btFind);
        else if (QPlainTextEdit *target = memo())
            searchMemo(target);
        return;
    }

    addToHistory(dialog->cbReplace, true);
    QPushButton *button = action == Action::Replace ? dialog->btReplace : dialog->btReplaceAll;
    m_options |= action == Action::Replace ? ks::frReplace : ks::frReplaceAll;
    if (OnReplace)
        OnReplace(button);
    else if (QPlainTextEdit *target = memo())
        searchMemo(target);
    if (self && m_dialog)
        m_dialog->btCancel->setText(QStringLiteral("Close"));
}

void TTolmFindReplace::directionClicked(int direction)
{
    if (direction == TdlgFindReplace::Up) {
        m_dialog->setDirection(TdlgFindReplace::Down);
        ks::messageBoxes().notify(messageParent(), kUpRefused, ks::MessageIcon::Error);
    }
    m_options |= ks::frDown;
}

void TTolmFindReplace::helpClicked()
{
    if (OnHelp)
        OnHelp(m_helpContext);
}

void TTolmFindReplace::searchMemo(QPlainTextEdit *target)
{
    if (m_options.testFlag(ks::frReplaceAll))
        replaceAllInMemo(target);
    else if (m_options.testFlag(ks::frDown))
        findInMemo(target);
    else
        ks::messageBoxes().notify(messageParent(), kUpRefused, ks::MessageIcon::Error);
}
