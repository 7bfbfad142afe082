#include "settings/RecentStrings.h"

#include <QLocale>

#include <algorithm>

TRecentStrings::TRecentStrings(QObject *parent)
    : QObject(parent)
{
}

void TRecentStrings::setCapacity(int capacity)
{
    const Batch batch(*this);
    m_capacity = std::max(1, capacity);
    trim();
}

void TRecentStrings::setMode(TRecentMode mode)
{
    m_mode = mode;
}

void TRecentStrings::setData(int index, int data)
{
    if (m_entries.at(index).data == data)
        return;
    const Batch batch(*this);
    m_entries[index].data = data;
    touched();
}

QStringList TRecentStrings::names() const
{
    QStringList result;
    result.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        result << entry.name;
    return result;
}

int TRecentStrings::indexOf(const QString &name) const
{
    const QLocale locale;
    const QString wanted = locale.toLower(name);
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (locale.toLower(m_entries.at(i).name) == wanted)
            return int(i);
    }
    return -1;
}

int TRecentStrings::add(const QString &name, int data)
{
    const Batch batch(*this);
    const int existing = indexOf(name);
    int index = 0;
    if (existing >= 0) {
        index = m_mode == rmInsert ? 0 : count() - 1;
        m_entries.move(existing, index);
    } else {
        if (m_mode == rmInsert)
            m_entries.prepend({name, data});
        else
            m_entries.append({name, data});
        trim();
        index = m_mode == rmInsert ? 0 : count() - 1;
    }
    m_entries[index].data = data;
    touched();
    return index;
}

bool TRecentStrings::remove(const QString &name)
{
    const int index = indexOf(name);
    if (index < 0)
        return false;
    removeAt(index);
    return true;
}

void TRecentStrings::removeAt(int index)
{
    const Batch batch(*this);
    m_entries.removeAt(index);
    touched();
}

void TRecentStrings::clear()
{
    if (m_entries.isEmpty())
        return;
    const Batch batch(*this);
    m_entries.clear();
    touched();
}

void TRecentStrings::beginUpdate()
{
    ++m_updateDepth;
}

void TRecentStrings::endUpdate()
{
    if (--m_updateDepth == 0 && m_changedInBatch) {
        m_changedInBatch = false;
        Q_EMIT changed();
    }
}

void TRecentStrings::trim()
{
    if (m_entries.size() <= m_capacity)
        return;
    while (m_entries.size() > m_capacity) {
        if (m_mode == rmInsert)
            m_entries.removeLast();
        else
            m_entries.removeFirst();
    }
    touched();
}

void TRecentStrings::touched()
{
    m_changedInBatch = true;
}
