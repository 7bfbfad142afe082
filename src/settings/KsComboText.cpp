#include "settings/KsComboText.h"

#include "settings/RecentStrings.h"

#include <QComboBox>
#include <QCompleter>

namespace ks {

void keepTypedText(QComboBox *box)
{
    box->setInsertPolicy(QComboBox::NoInsert);
    if (QCompleter *completer = box->completer())
        completer->setCaseSensitivity(Qt::CaseSensitive);
}

void appendRecentNames(QComboBox *box, const TRecentStrings &list)
{
    const QString text = box->currentText();
    const int index = box->currentIndex();
    box->addItems(list.names());
    // Adding to an empty box selects the first item; the text stays as it was.
    box->setCurrentIndex(index);
    if (box->isEditable())
        box->setEditText(text);
}

} // namespace ks
