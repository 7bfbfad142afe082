#pragma once
// TFormStorage is a placement that also keeps chosen properties of the
// window's components (StoredProps, "component.property" lines) and free
// values (StoredValues) in the placement's section.

#include "settings/Placemnt.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QVariant>

#include <functional>

// A free value kept by a TFormStorage under its Name. With a KeyString the
// text is scrambled in the storage (see KsScramble.h: not encryption).
class TStoredValue {
public:
    QString Name;
    QVariant Value;
    QString KeyString;
    // May change the value before it is written / after it was read.
    std::function<void(TStoredValue &sender, QVariant &value)> OnSave;
    std::function<void(TStoredValue &sender, QVariant &value)> OnRestore;
};

class TFormStorage : public TFormPlacement {
    Q_OBJECT
    Q_PROPERTY(QStringList StoredProps READ StoredProps WRITE setStoredProps)
public:
    explicit TFormStorage(QWidget *window);
    ~TFormStorage() override;

    // Lines of a component name, "." and a property name of that component
    // on the window. Lines whose component is gone are dropped at the next
    // save or restore; a component's lines follow it when it is renamed.
    QStringList StoredProps() const { return m_storedProps; }
    void setStoredProps(const QStringList &props);

    QList<TStoredValue> &StoredValues() { return m_storedValues; }
    TStoredValue &addStoredValue(const QString &name, const QVariant &value = {});
    // The value of that name (letter case ignored), or null.
    TStoredValue *storedValue(const QString &name);

protected:
    void saveValues(ks::SettingsStore &store, const QString &section) override;
    void restoreValues(ks::SettingsStore &store, const QString &section) override;

private:
    QObject *component(const QString &name) const;
    void followComponents();
    void componentRenamed(QObject *component, const QString &newName);
    void dropMissingComponents();

    QStringList m_storedProps;
    QList<TStoredValue> m_storedValues;
    QHash<QObject *, QString> m_followed; // component and the name its lines carry
};
