#include "settings/FormStorage.h"

#include "settings/KsProfileFile.h"
#include "settings/KsScramble.h"
#include "settings/KsSettingsStore.h"

#include <QApplication>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QWidget>

namespace {

const QString kNull = QStringLiteral("(null)");
// The default of a read that tells a missing value from an empty one.
const QString kMissing = QStringLiteral("\x01missing");

QWidget *windowOf(const QObject *object)
{
    for (const QObject *owner = object; owner; owner = owner->parent()) {
        if (const auto *widget = qobject_cast<const QWidget *>(owner))
            return widget->window();
    }
    return nullptr;
}

bool isObjectPointer(const QMetaProperty &property)
{
    return property.metaType().flags().testFlag(QMetaType::PointerToQObject);
}

QString propertyText(const QMetaProperty &property, const QVariant &value)
{
    if (property.isFlagType()) {
        const QByteArray keys = property.enumerator().valueToKeys(value.toInt());
        return QLatin1Char('[') + QString::fromLatin1(keys).replace(QLatin1Char('|'), QLatin1Char(','))
            + QLatin1Char(']');
    }
    if (property.isEnumType())
        return QString::fromLatin1(property.enumerator().valueToKey(value.toInt()));
    if (isObjectPointer(property)) {
        const QObject *target = value.value<QObject *>();
        if (!target)
            return kNull;
        const QWidget *window = windowOf(target);
        return (window ? window->objectName() : QString()) + QLatin1Char('.') + target->objectName();
    }
    switch (property.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QChar:
        return QString(value.toChar());
    default:
        return value.toString();
    }
}

// The value a stored text stands for; an invalid variant when it cannot be read.
QVariant propertyValue(const QMetaProperty &property, const QString &text, const QWidget *window)
{
    if (property.isFlagType()) {
        QString keys = text.trimmed();
        if (!keys.startsWith(QLatin1Char('[')) || !keys.endsWith(QLatin1Char(']')))
            return {};
        keys = keys.mid(1, keys.size() - 2).replace(QLatin1Char(','), QLatin1Char('|'));
        bool ok = false;
        const int value = keys.isEmpty() ? 0 : property.enumerator().keysToValue(keys.toLatin1(), &ok);
        return keys.isEmpty() || ok ? QVariant(value) : QVariant();
    }
    if (property.isEnumType()) {
        bool ok = false;
        const int value = property.enumerator().keyToValue(text.toLatin1(), &ok);
        return ok ? QVariant(value) : QVariant();
    }
    if (isObjectPointer(property)) {
        if (text == kNull)
            return QVariant::fromValue<QObject *>(nullptr);
        const qsizetype dot = text.lastIndexOf(QLatin1Char('.'));
        const QString windowName = text.left(dot);
        const QString name = text.mid(dot + 1);
        QObject *target = nullptr;
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *candidate : windows) {
            if (candidate->objectName() == windowName && !target)
                target = candidate->findChild<QObject *>(name);
        }
        if (!target && window && window->objectName() == windowName)
            target = window->findChild<QObject *>(name);
        return target ? QVariant::fromValue(target) : QVariant();
    }
    switch (property.metaType().id()) {
    case QMetaType::Bool:
        if (text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0)
            return false;
        if (const auto number = ks::profileInteger(text))
            return *number != 0;
        return {};
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float: {
        QVariant value(text.trimmed());
        return value.convert(property.metaType()) ? value : QVariant();
    }
    case QMetaType::QChar:
        return text.isEmpty() ? QVariant() : QVariant(text.front());
    default:
        return text;
    }
}

} // namespace

TFormStorage::TFormStorage(QWidget *window)
    : TFormPlacement(window)
{
}

TFormStorage::~TFormStorage()
{
    // Saved here, while the stored properties and values still exist.
    saveOnDestruction();
}

void TFormStorage::setStoredProps(const QStringList &props)
{
    m_storedProps = props;
    followComponents();
}

TStoredValue &TFormStorage::addStoredValue(const QString &name, const QVariant &value)
{
    m_storedValues.append(TStoredValue {name, value, {}, {}, {}});
    return m_storedValues.last();
}

TStoredValue *TFormStorage::storedValue(const QString &name)
{
    for (TStoredValue &value : m_storedValues) {
        if (value.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &value;
    }
    return nullptr;
}

QObject *TFormStorage::component(const QString &name) const
{
    return window() && !name.isEmpty() ? window()->findChild<QObject *>(name) : nullptr;
}

void TFormStorage::followComponents()
{
    for (const QString &line : std::as_const(m_storedProps)) {
        const QString name = line.section(QLatin1Char('.'), 0, 0);
        QObject *found = component(name);
        if (!found || m_followed.contains(found))
            continue;
        m_followed.insert(found, name);
        connect(found, &QObject::objectNameChanged, this,
            [this, found](const QString &newName) { componentRenamed(found, newName); });
        connect(found, &QObject::destroyed, this, [this, found] { m_followed.remove(found); });
    }
}

void TFormStorage::componentRenamed(QObject *renamed, const QString &newName)
{
    const QString prefix = m_followed.value(renamed) + QLatin1Char('.');
    for (QString &line : m_storedProps) {
        if (line.startsWith(prefix))
            line = newName + QLatin1Char('.') + line.mid(prefix.size());
    }
    m_followed.insert(renamed, newName);
}

void TFormStorage::dropMissingComponents()
{
    m_storedProps.removeIf([this](const QString &line) { return !component(line.section(QLatin1Char('.'), 0, 0)); });
}

void TFormStorage::saveValues(ks::SettingsStore &store, const QString &section)
{
    dropMissingComponents();
    for (const QString &line : std::as_const(m_storedProps)) {
        QObject *owner = component(line.section(QLatin1Char('.'), 0, 0));
        const QString propertyName = line.section(QLatin1Char('.'), 1);
        const QMetaObject *meta = owner->metaObject();
        const QMetaProperty property = meta->property(meta->indexOfProperty(propertyName.toLatin1().constData()));
        if (!property.isValid())
            continue;
        const QString valueName = owner->objectName() + QLatin1Char('_') + propertyName;
        if (property.metaType().id() == QMetaType::QStringList) {
            // A list keeps its own section, rewritten whole.
            const QString listSection = section + QLatin1Char('.') + valueName;
            const QStringList items = property.read(owner).toStringList();
            store.eraseSection(listSection);
            if (!items.isEmpty())
                store.writeInteger(listSection, QStringLiteral("Count"), int(items.size()));
            for (qsizetype i = 0; i < items.size(); ++i)
                store.writeString(listSection, QStringLiteral("Item%1").arg(i), items.at(i));
            continue;
        }
        store.writeString(section, valueName, propertyText(property, property.read(owner)));
    }
    for (TStoredValue &stored : m_storedValues) {
        QVariant value = stored.Value;
        if (stored.OnSave)
            stored.OnSave(stored, value);
        const QString text = value.toString();
        store.writeString(
            section, stored.Name, stored.KeyString.isEmpty() ? text : ks::scrambleText(text, stored.KeyString));
    }
}

void TFormStorage::restoreValues(ks::SettingsStore &store, const QString &section)
{
    dropMissingComponents();
    for (const QString &line : std::as_const(m_storedProps)) {
        QObject *owner = component(line.section(QLatin1Char('.'), 0, 0));
        const QString propertyName = line.section(QLatin1Char('.'), 1);
        const QMetaObject *meta = owner->metaObject();
        const QMetaProperty property = meta->property(meta->indexOfProperty(propertyName.toLatin1().constData()));
        if (!property.isValid() || !property.isWritable())
            continue;
        const QString valueName = owner->objectName() + QLatin1Char('_') + propertyName;
        // A value that is missing or cannot be read leaves the property as it is.
        if (property.metaType().id() == QMetaType::QStringList) {
            const QString listSection = section + QLatin1Char('.') + valueName;
            const int count = store.readInteger(listSection, QStringLiteral("Count"), -1);
            if (count < 0)
                continue;
            QStringList items;
            for (int i = 0; i < count; ++i)
                items << store.readString(listSection, QStringLiteral("Item%1").arg(i), QString());
            property.write(owner, items);
            continue;
        }
        const QString text = store.readString(section, valueName, kMissing);
        if (text == kMissing)
            continue;
        const QVariant value = propertyValue(property, text, window());
        if (value.isValid())
            property.write(owner, value);
    }
    for (TStoredValue &stored : m_storedValues) {
        const QString text = store.readString(section, stored.Name, kMissing);
        if (text != kMissing)
            stored.Value = stored.KeyString.isEmpty() ? text : ks::unscrambleText(text, stored.KeyString);
        if (stored.OnRestore)
            stored.OnRestore(stored, stored.Value);
    }
}
