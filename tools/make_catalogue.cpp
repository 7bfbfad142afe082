// make_catalogue: builds a catalogue file from an SQL script, such as the
// Oracle demo catalogue from data/oracle-demo.sql.

#include "CatalogueFile.h"
#include "SqlScript.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("make_catalogue"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Creates a new catalogue file (an SQLite database) and runs the statements of an SQL "
                       "script in it, in one transaction. Statements end with \";\" at the end of a line; "
                       "\".read <file>\" includes another script. The file is replaced only when every "
                       "statement succeeded."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("script"), QStringLiteral("The SQL script (UTF-8)."));
    parser.addPositionalArgument(QStringLiteral("out-file"), QStringLiteral("The catalogue file to write."));
    parser.process(app);

    QTextStream err(stderr);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2) {
        err << parser.helpText();
        return 2;
    }

    try {
        QElapsedTimer timer;
        timer.start();
        const QList<ks::tools::ScriptStatement> statements = ks::tools::readScriptFile(arguments.at(0));
        ks::tools::NewCatalogueFile file(arguments.at(1));
        {
            QSqlDatabase db = file.database();
            ks::tools::runScript(db, statements);
        }
        file.commit();
        QTextStream(stdout) << arguments.at(1) << ": " << statements.size() << " statements in " << timer.elapsed()
                            << " ms\n";
        return 0;
    } catch (const std::exception &error) {
        err << "make_catalogue: " << QString::fromUtf8(error.what()) << '\n';
        return 1;
    }
}
