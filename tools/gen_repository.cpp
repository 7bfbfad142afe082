// gen_repository: makes a Designer repository file of a given size, with the
// schema of the demo repository, for the benchmarks.

#include "CatalogueFile.h"
#include "RepositoryGenerator.h"
#include "SqlScript.h"
#include "ToolOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gen_repository"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Makes a Designer repository file: the schema of the demo repository (its element "
                       "tables empty) and the given number of generated element tables, each with NAME, "
                       "creators, owner, user-defined properties and other text properties, filled with "
                       "elements of a few application systems. The same numbers and seed give the same file."));
    parser.addHelpOption();
    const QCommandLineOption tables(
        QStringLiteral("tables"), QStringLiteral("Generated element tables."), QStringLiteral("N"));
    const QCommandLineOption columns(QStringLiteral("columns"),
        QStringLiteral("Searchable text columns per table, NAME included (default 25)."), QStringLiteral("C"));
    const QCommandLineOption elements(
        QStringLiteral("elements"), QStringLiteral("Elements in all tables together."), QStringLiteral("E"));
    const QCommandLineOption systems(
        QStringLiteral("systems"), QStringLiteral("Application systems (default 8)."), QStringLiteral("A"));
    const QCommandLineOption older(
        QStringLiteral("older"), QStringLiteral("A repository of the older kind, without a repository version."));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the made-up content (default 1)."),
        QStringLiteral("S"), QStringLiteral("1"));
    parser.addOptions({tables, columns, elements, systems, older, seed});
    parser.addPositionalArgument(QStringLiteral("out-file"), QStringLiteral("The repository file to write."));
    parser.process(app);

    QTextStream err(stderr);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1 || !parser.isSet(tables) || !parser.isSet(elements)) {
        err << parser.helpText();
        return 2;
    }

    try {
        ks::tools::RepositorySizes sizes;
        sizes.tables = ks::tools::countOption(parser, tables, 0);
        sizes.textColumns = ks::tools::countOption(parser, columns, sizes.textColumns);
        sizes.elements = ks::tools::countOption(parser, elements, 0);
        sizes.applicationSystems = ks::tools::countOption(parser, systems, sizes.applicationSystems);
        sizes.olderKind = parser.isSet(older);
        bool ok = false;
        sizes.seed = parser.value(seed).toULongLong(&ok);
        if (!ok)
            throw ks::tools::ScriptError("--seed wants a whole number");

        QElapsedTimer timer;
        timer.start();
        ks::tools::NewCatalogueFile file(arguments.at(0));
        ks::tools::RepositoryCounts counts;
        {
            QSqlDatabase db = file.database();
            // The file takes its place only when complete, so SQLite's crash
            // safety would only cost time here.
            QSqlQuery(QStringLiteral("PRAGMA journal_mode = OFF"), db);
            QSqlQuery(QStringLiteral("PRAGMA synchronous = OFF"), db);
            ks::tools::runScript(db, ks::tools::builtInScript(QStringLiteral("designer-schema.sql")));
            counts = ks::tools::generateRepository(db, sizes);
            ks::tools::runScript(db, ks::tools::builtInScript(QStringLiteral("designer-columns.sql")));
        }
        file.commit();
        QTextStream(stdout) << arguments.at(0) << ": " << counts.tables << " element tables with " << counts.textColumns
                            << " text columns, " << counts.elements << " elements of " << counts.applicationSystems
                            << " application systems in " << timer.elapsed() << " ms\n";
        return 0;
    } catch (const std::exception &error) {
        err << "gen_repository: " << QString::fromUtf8(error.what()) << '\n';
        return 1;
    }
}
