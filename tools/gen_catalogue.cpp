// gen_catalogue: makes an Oracle or SQL Server catalogue file of a given
// size, with the dictionary or catalogue tables of the demo catalogues, for
// the benchmarks.

#include "CatalogueFile.h"
#include "CatalogueGenerator.h"
#include "MsSqlCatalogueGenerator.h"
#include "SqlScript.h"
#include "ToolOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTextStream>

namespace {

QString oracleCatalogue(QSqlDatabase &db, const ks::tools::CatalogueSizes &sizes)
{
    ks::tools::runScript(db, ks::tools::builtInScript(QStringLiteral("oracle-dictionary.sql")));
    const ks::tools::CatalogueCounts counts = ks::tools::generateCatalogue(db, sizes);
    return QStringLiteral("%1 tables with %2 columns, %3 views with %4 columns, %5 PL/SQL units and %6 triggers "
                          "(%7 source lines, %8 objects)")
        .arg(counts.tables)
        .arg(counts.tableColumns)
        .arg(counts.views)
        .arg(counts.viewColumns)
        .arg(counts.sourceUnits)
        .arg(counts.triggers)
        .arg(counts.sourceLines)
        .arg(counts.objects);
}

QString msSqlCatalogue(QSqlDatabase &db, const ks::tools::MsSqlSizes &sizes)
{
    ks::tools::runScript(db, ks::tools::builtInScript(QStringLiteral("mssql-catalogue.sql")));
    const ks::tools::MsSqlCounts counts = ks::tools::generateMsSqlCatalogue(db, sizes);
    return QStringLiteral("%1 tables with %2 columns, %3 views with %4 columns, %5 procedures, %6 functions, "
                          "%7 triggers, %8 defaults, %9 checks, %10 keys, %11 index rows (%12 objects, %13 "
                          "syscomments records of %14 characters)")
        .arg(counts.tables)
        .arg(counts.tableColumns)
        .arg(counts.views)
        .arg(counts.viewColumns)
        .arg(counts.procedures)
        .arg(counts.functions)
        .arg(counts.triggers)
        .arg(counts.defaults)
        .arg(counts.checks)
        .arg(counts.keys)
        .arg(counts.indexes)
        .arg(counts.objects)
        .arg(counts.comments)
        .arg(counts.definitionCharacters);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gen_catalogue"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Makes a catalogue file with made-up content: tables with the given number of columns in "
                       "all, views (whose columns come on top), stored code and triggers. Oracle (the default): "
                       "the dictionary of the demo catalogue, PL/SQL units, owners HR, SALES, FINANCE, STOCK and "
                       "LOGISTICS, HR the session user. SQL Server (--dialect mssql): the catalogue tables of the "
                       "demo catalogue, procedures and functions, keys, defaults, checks and indexes (statistics "
                       "and hypothetical ones among them), owners dbo, sales, finance, stock and logistics. The "
                       "same numbers and seed give the same file."));
    parser.addHelpOption();
    const QCommandLineOption columns(QStringLiteral("columns"),
        QStringLiteral("Columns of the users' tables in all (SYS.DUAL comes on top)."), QStringLiteral("N"));
    const QCommandLineOption views(QStringLiteral("views"), QStringLiteral("Views."), QStringLiteral("M"));
    const QCommandLineOption sources(QStringLiteral("sources"),
        QStringLiteral("PL/SQL units (a package and its body are two), or SQL Server procedures and functions."),
        QStringLiteral("K"));
    const QCommandLineOption triggers(QStringLiteral("triggers"), QStringLiteral("Triggers."), QStringLiteral("T"));
    const QCommandLineOption dialect(QStringLiteral("dialect"), QStringLiteral("oracle (the default) or mssql."),
        QStringLiteral("D"), QStringLiteral("oracle"));
    const QCommandLineOption indexes(QStringLiteral("indexes"),
        QStringLiteral("SQL Server only: indexes besides the primary keys' ones."), QStringLiteral("I"));
    const QCommandLineOption defaults(QStringLiteral("defaults"),
        QStringLiteral("SQL Server only: default constraints of columns."), QStringLiteral("F"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the made-up content (default 1)."),
        QStringLiteral("S"), QStringLiteral("1"));
    parser.addOptions({columns, views, sources, triggers, seed, dialect, indexes, defaults});
    parser.addPositionalArgument(QStringLiteral("out-file"), QStringLiteral("The catalogue file to write."));
    parser.process(app);

    QTextStream err(stderr);
    const QStringList arguments = parser.positionalArguments();
    const bool msSql = parser.value(dialect) == QStringLiteral("mssql");
    if (arguments.size() != 1 || !parser.isSet(columns) || !parser.isSet(views)
        || (!msSql && parser.value(dialect) != QStringLiteral("oracle"))
        || (!msSql && (parser.isSet(indexes) || parser.isSet(defaults)))) {
        err << parser.helpText();
        return 2;
    }

    try {
        // Every count is checked before a file is made.
        ks::tools::CatalogueSizes oracleSizes;
        oracleSizes.columns = ks::tools::countOption(parser, columns);
        oracleSizes.views = ks::tools::countOption(parser, views);
        oracleSizes.sources = ks::tools::countOption(parser, sources);
        oracleSizes.triggers = ks::tools::countOption(parser, triggers);
        bool ok = false;
        oracleSizes.seed = parser.value(seed).toULongLong(&ok);
        if (!ok)
            throw ks::tools::ScriptError("--seed wants a whole number");
        ks::tools::MsSqlSizes msSqlSizes;
        msSqlSizes.columns = oracleSizes.columns;
        msSqlSizes.views = oracleSizes.views;
        msSqlSizes.sources = oracleSizes.sources;
        msSqlSizes.triggers = oracleSizes.triggers;
        msSqlSizes.indexes = ks::tools::countOption(parser, indexes);
        msSqlSizes.defaults = ks::tools::countOption(parser, defaults);
        msSqlSizes.seed = oracleSizes.seed;

        QElapsedTimer timer;
        timer.start();
        ks::tools::NewCatalogueFile file(arguments.at(0));
        QString made;
        {
            QSqlDatabase db = file.database();
            // The file is written under a temporary name and renamed when complete,
            // so SQLite's crash safety would only cost time here.
            QSqlQuery(QStringLiteral("PRAGMA journal_mode = OFF"), db);
            QSqlQuery(QStringLiteral("PRAGMA synchronous = OFF"), db);
            made = msSql ? msSqlCatalogue(db, msSqlSizes) : oracleCatalogue(db, oracleSizes);
        }
        file.commit();
        QTextStream(stdout) << arguments.at(0) << ": " << made << " in " << timer.elapsed() << " ms\n";
        return 0;
    } catch (const std::exception &error) {
        err << "gen_catalogue: " << QString::fromUtf8(error.what()) << '\n';
        return 1;
    }
}
