#pragma once
// A list of recently used names, each with one integer of user data: at most
// `capacity` entries, new names at the top (rmInsert) or the bottom
// (rmAppend), no name twice (letter case ignored by the locale's rules).
// It tells its owner of changes once per batch.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class TRecentStrings : public QObject {
    Q_OBJECT
public:
    enum TRecentMode { rmInsert, rmAppend };
    Q_ENUM(TRecentMode)

    struct Entry {
        QString name;
        int data = 0;
    };

    explicit TRecentStrings(QObject *parent = nullptr);

    int capacity() const { return m_capacity; }
    // Values below 1 become 1; the list is trimmed at once.
    void setCapacity(int capacity);
    TRecentMode mode() const { return m_mode; }
    void setMode(TRecentMode mode);

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    QString name(int index) const { return m_entries.at(index).name; }
    int data(int index) const { return m_entries.at(index).data; }
    void setData(int index, int data);
    const QList<Entry> &entries() const { return m_entries; }
    QStringList names() const;

    // The index of the entry equal to `name` ignoring case, or -1.
    int indexOf(const QString &name) const;

    // Adds by the list's rule and gives the entry `data`. A name already
    // listed keeps its spelling and moves to the top (rmInsert) or the bottom
    // (rmAppend); a new one goes there and the list is trimmed to capacity.
    // Returns the entry's new index.
    int add(const QString &name, int data = 0);
    // Deletes the entry equal to `name` ignoring case; false when there is none.
    bool remove(const QString &name);
    void removeAt(int index);
    void clear();

    // Changes between beginUpdate() and the matching endUpdate() are told once.
    void beginUpdate();
    void endUpdate();

    class Batch {
    public:
        explicit Batch(TRecentStrings &list)
            : m_list(list)
        {
            m_list.beginUpdate();
        }
        ~Batch() { m_list.endUpdate(); }
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        TRecentStrings &m_list;
    };

Q_SIGNALS:
    void changed();

private:
    void trim();
    void touched();

    QList<Entry> m_entries;
    int m_capacity = 10;
    TRecentMode m_mode = rmInsert;
    int m_updateDepth = 0;
    bool m_changedInBatch = false;
};
