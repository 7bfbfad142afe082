// gen_catalogue: makes an Oracle catalogue file of a given size, with the
// dictionary of the demo catalogue, for the benchmarks.

#include "CatalogueFile.h"
#include "CatalogueGenerator.h"
#include "SqlScript.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTextStream>

namespace {

// A non-negative count from an option; 0 when the option is absent.
int countOption(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    if (!parser.isSet(option))
        return 0;
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < 0)
        throw ks::tools::ScriptError(QStringLiteral("--%1 wants a whole number of 0 or more, not \"%2\"")
                                         .arg(option.names().constFirst(), parser.value(option))
                                         .toStdString());
    return value;
}

QList<ks::tools::ScriptStatement> dictionaryStatements()
{
    QFile file(QStringLiteral(":/oracle-dictionary.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw ks::tools::ScriptError("the dictionary script is missing from the program");
    return ks::tools::splitScript(QString::fromUtf8(file.readAll()), QStringLiteral("oracle-dictionary.sql"));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gen_catalogue"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Makes an Oracle catalogue file with the dictionary of the demo catalogue and made-up "
                       "content: tables with the given number of columns in all, views (whose columns come on "
                       "top), PL/SQL units and triggers, spread over the owners HR, SALES, FINANCE, STOCK and "
                       "LOGISTICS; HR is the session user. The same numbers and seed give the same file."));
    parser.addHelpOption();
    const QCommandLineOption columns(QStringLiteral("columns"),
        QStringLiteral("Columns of the users' tables in all (SYS.DUAL comes on top)."), QStringLiteral("N"));
    const QCommandLineOption views(QStringLiteral("views"), QStringLiteral("Views."), QStringLiteral("M"));
    const QCommandLineOption sources(QStringLiteral("sources"),
        QStringLiteral("PL/SQL units (a package and its body are two)."), QStringLiteral("K"));
    const QCommandLineOption triggers(QStringLiteral("triggers"), QStringLiteral("Triggers."), QStringLiteral("T"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the made-up content (default 1)."),
        QStringLiteral("S"), QStringLiteral("1"));
    parser.addOptions({columns, views, sources, triggers, seed});
    parser.addPositionalArgument(QStringLiteral("out-file"), QStringLiteral("The catalogue file to write."));
    parser.process(app);

    QTextStream err(stderr);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1 || !parser.isSet(columns) || !parser.isSet(views)) {
        err << parser.helpText();
        return 2;
    }

    try {
        ks::tools::CatalogueSizes sizes;
        sizes.columns = countOption(parser, columns);
        sizes.views = countOption(parser, views);
        sizes.sources = countOption(parser, sources);
        sizes.triggers = countOption(parser, triggers);
        bool ok = false;
        sizes.seed = parser.value(seed).toULongLong(&ok);
        if (!ok)
            throw ks::tools::ScriptError("--seed wants a whole number");

        QElapsedTimer timer;
        timer.start();
        ks::tools::NewCatalogueFile file(arguments.at(0));
        ks::tools::CatalogueCounts counts;
        {
            QSqlDatabase db = file.database();
            // The file is written under a temporary name and renamed when complete,
            // so SQLite's crash safety would only cost time here.
            QSqlQuery(QStringLiteral("PRAGMA journal_mode = OFF"), db);
            QSqlQuery(QStringLiteral("PRAGMA synchronous = OFF"), db);
            ks::tools::runScript(db, dictionaryStatements());
            counts = ks::tools::generateCatalogue(db, sizes);
        }
        file.commit();
        QTextStream(stdout) << arguments.at(0) << ": " << counts.tables << " tables with " << counts.tableColumns
                            << " columns, " << counts.views << " views with " << counts.viewColumns << " columns, "
                            << counts.sourceUnits << " PL/SQL units and " << counts.triggers << " triggers ("
                            << counts.sourceLines << " source lines, " << counts.objects << " objects) in "
                            << timer.elapsed() << " ms\n";
        return 0;
    } catch (const std::exception &error) {
        err << "gen_catalogue: " << QString::fromUtf8(error.what()) << '\n';
        return 1;
    }
}
