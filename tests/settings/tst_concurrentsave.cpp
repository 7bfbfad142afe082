// Two instances of the program saving the same settings at the same moment:
// the file must parse afterwards and hold one instance's values or the
// other's, never a value made of both. The test runs itself twice more as
// the two instances.

#include "settings/KsIniFileStore.h"
#include "settings/KsRegistryStore.h"

#include "SettingsTestSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace {

constexpr int kRounds = 60;
constexpr int kValues = 12;
const QString kKey = QStringLiteral("Software\\Kestrin\\Quillmere");
const QString kSection = QStringLiteral("TfrmMain");
const QString kListSection = QStringLiteral("TfrmMain.MRUManager");

std::unique_ptr<ks::SettingsStore> openStore(const QString &kind, const QString &iniPath)
{
    if (kind == QLatin1String("registry"))
        return std::make_unique<ks::RegistryStore>(kKey);
    return std::make_unique<ks::IniFileStore>(iniPath);
}

// A value long enough that a torn write would show: the writer's tag, the
// round and a filler of the tag's letter.
QString valueText(const QString &tag, int round, int index)
{
    return QStringLiteral("%1-%2-%3-%4").arg(tag).arg(round).arg(index).arg(QString(300, tag.front()));
}

// Which writer and round a whole value comes from; empty when it is torn.
QString originOf(const QString &value, int index)
{
    static const QRegularExpression whole(QStringLiteral("^([AB])-(\\d+)-(\\d+)-([AB]{300})$"));
    const QRegularExpressionMatch match = whole.match(value);
    if (!match.hasMatch() || match.captured(3).toInt() != index
        || match.captured(4) != QString(300, match.captured(1).front()))
        return {};
    return match.captured(1) + QLatin1Char('-') + match.captured(2);
}

// The origins of all values in the store, or a description of what is wrong.
QStringList origins(const ks::SettingsStore &store, QString *problem)
{
    QStringList found;
    for (int i = 0; i < kValues; ++i) {
        const QString section = i % 2 ? kListSection : kSection;
        const QString value = store.readString(section, QStringLiteral("Item_%1").arg(i), QString());
        const QString origin = originOf(value, i);
        if (origin.isEmpty())
            *problem = QStringLiteral("value %1 is torn or missing: %2").arg(i).arg(value.left(40));
        found << origin;
    }
    return found;
}

// One instance: saves everything, as a closing window does, round after round.
int runInstance(const QString &kind, const QString &tag, const QString &iniPath)
{
    for (int round = 0; round < kRounds; ++round) {
        try {
            const auto store = openStore(kind, iniPath);
            store->eraseSection(kListSection);
            for (int i = 0; i < kValues; ++i)
                store->writeString(
                    i % 2 ? kListSection : kSection, QStringLiteral("Item_%1").arg(i), valueText(tag, round, i));
            store->flush();
        } catch (const std::exception &error) {
            qCritical("save failed: %s", error.what());
            return 2;
        }
        const auto reread = openStore(kind, iniPath);
        QString problem;
        origins(*reread, &problem);
        if (!problem.isEmpty()) {
            qCritical("%s", qPrintable(problem));
            return 1;
        }
    }
    return 0;
}

} // namespace

class TestConcurrentSave : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bothInstancesSaveAtOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("registry") << "registry";
        QTest::newRow("ini file") << "ini";
    }

    void bothInstancesSaveAtOnce()
    {
        QFETCH(QString, kind);
        const ks::test::ConfigHome home;
        const QString iniPath = home.file(QStringLiteral("quillmere.ini"));
        QList<std::shared_ptr<QProcess>> instances;
        for (const QString &tag : {QStringLiteral("A"), QStringLiteral("B")}) {
            auto process = std::make_shared<QProcess>();
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(
                QStringLiteral("QUILLMERE_SAVE_INSTANCE"), kind + QLatin1Char(':') + tag + QLatin1Char(':') + iniPath);
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
            process->setProcessEnvironment(environment);
            process->setProcessChannelMode(QProcess::ForwardedChannels);
            instances << process;
        }
        for (const auto &process : instances)
            process->start(QCoreApplication::applicationFilePath(), {});
        for (const auto &process : instances) {
            QVERIFY(process->waitForFinished(240000));
            QCOMPARE(process->exitStatus(), QProcess::NormalExit);
            QCOMPARE(process->exitCode(), 0);
        }
        QCoreApplication::setOrganizationName(QStringLiteral("Kestrin"));
        QCoreApplication::setApplicationName(QStringLiteral("quillmere"));
        const auto store = openStore(kind, iniPath);
        QString problem;
        const QStringList found = origins(*store, &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        // Every save writes every value, so the last save leaves all of them.
        QCOMPARE(found.count(found.first()), kValues);
        QCOMPARE(found.first(), found.first().front() + QStringLiteral("-%1").arg(kRounds - 1));
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString instance = qEnvironmentVariable("QUILLMERE_SAVE_INSTANCE");
    if (!instance.isEmpty()) {
        QCoreApplication::setOrganizationName(QStringLiteral("Kestrin"));
        QCoreApplication::setApplicationName(QStringLiteral("quillmere"));
        const QStringList parts = instance.split(QLatin1Char(':'));
        return runInstance(parts.value(0), parts.value(1), parts.mid(2).join(QLatin1Char(':')));
    }
    TestConcurrentSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_concurrentsave.moc"
