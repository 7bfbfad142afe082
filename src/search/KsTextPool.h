#pragma once
// Equal texts kept once: each distinct text added gets a number, and every
// holder of that number reads the one shared copy. Rows of a large result
// list repeat a handful of types, owners and captions a million times.

#include <QHash>
#include <QString>

#include <vector>

namespace ks {

class TextPool {
public:
    using Id = quint32;
    static constexpr Id EmptyText = 0;

    TextPool() { clear(); }

    // The number of the text, given to it now if it is new.
    Id add(const QString &text)
    {
        if (text.isEmpty())
            return EmptyText;
        const auto found = m_ids.constFind(text);
        if (found != m_ids.cend())
            return *found;
        const Id id = Id(m_texts.size());
        m_texts.push_back(text);
        try {
            m_ids.insert(text, id);
        } catch (...) {
            m_texts.pop_back();
            throw;
        }
        return id;
    }

    const QString &text(Id id) const noexcept { return m_texts[id]; }

    // Forgets every text; numbers handed out before mean nothing any more.
    void clear()
    {
        m_ids.clear();
        m_texts.assign(1, QString());
    }

private:
    std::vector<QString> m_texts; // by number; number 0 is the empty text
    QHash<QString, Id> m_ids;
};

} // namespace ks
