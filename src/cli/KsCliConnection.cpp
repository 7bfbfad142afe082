#include "cli/KsCliConnection.h"

#include "base/KsStrings.h"
#include "db/KsConnectionString.h"
#include "db/KsConnectionTarget.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace ks::cli {

namespace {

const CatalogueKind *kindWithId(const std::vector<const CatalogueKind *> &kinds, const QString &id)
{
    for (const CatalogueKind *kind : kinds) {
        if (kind->id().compare(id, Qt::CaseInsensitive) == 0)
            return kind;
    }
    return nullptr;
}

// The kind whose catalogue files hold what `path` holds, or null.
const CatalogueKind *kindOfFile(const std::vector<const CatalogueKind *> &kinds, const QString &path)
{
    const CatalogueFileKind fileKind = catalogueKindOf(path);
    if (!fileKind.isKnown())
        return nullptr;
    for (const CatalogueKind *kind : kinds) {
        if (kind->fileKind() == fileKind)
            return kind;
    }
    return nullptr;
}

// The kind a connection string's provider names; an Oracle provider on a
// catalogue file may also name a Designer repository, which the file tells.
const CatalogueKind *kindOfConnectionString(const std::vector<const CatalogueKind *> &kinds, const QString &text)
{
    const QString dataSource = GetConnectionValue(text, QStringLiteral("data source"));
    if (QFileInfo(dataSource).isFile()) {
        if (const CatalogueKind *kind = kindOfFile(kinds, dataSource))
            return kind;
    }
    const QString provider = GetConnectionValue(text, QStringLiteral("provider")).trimmed().toLower();
    if (provider == QLatin1String("oraoledb.oracle"))
        return kindWithId(kinds, QStringLiteral("oracle"));
    if (provider == QLatin1String("sqloledb"))
        return kindWithId(kinds, QStringLiteral("mssql"));
    if (provider == QLatin1String("postgresql"))
        return kindWithId(kinds, QStringLiteral("postgresql"));
    return nullptr;
}

void refusePassword(const QString &connectionString)
{
    if (!GetConnectionValue(connectionString, QStringLiteral("password")).isEmpty())
        throw Error(QStringLiteral("A connection on the command line carries no password: give it in "
                                   "QUILLMERE_PASSWORD, or type it when asked."));
}

} // namespace

ResolvedConnection resolveConnection(const QString &argument, const std::vector<const CatalogueKind *> &kinds)
{
    ResolvedConnection resolved;
    resolved.argument = argument;

    // "designer:Provider=..." names the kind of a connection string.
    const qsizetype colon = argument.indexOf(u':');
    if (colon > 0 && argument.indexOf(u'=') > colon && !argument.mid(colon).startsWith(QLatin1String("://"))) {
        if (const CatalogueKind *kind = kindWithId(kinds, argument.left(colon))) {
            resolved.kind = kind;
            resolved.connectionString = argument.mid(colon + 1);
            refusePassword(resolved.connectionString);
            return resolved;
        }
    }
    // An address starts with a scheme: a letter, then letters, digits, "+", "-" or ".".
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    if (scheme.match(argument).hasMatch()) {
        const QUrl address(argument, QUrl::StrictMode);
        if (const CatalogueKind *kind = kindWithId(kinds, address.scheme())) {
            if (!address.isValid())
                throw Error(QStringLiteral("%1 is no address: %2").arg(argument, address.errorString()));
            const ConnectionAddress connection = kind->resolveAddress(address);
            resolved.kind = kind;
            resolved.connectionString = connection.connectionString;
            resolved.values = connection.values;
            return resolved;
        }
        QStringList ids;
        for (const CatalogueKind *kind : kinds)
            ids << kind->id() + QStringLiteral("://");
        throw Error(QStringLiteral("%1 is no address the program knows: it takes %2.")
                        .arg(argument, ids.join(QStringLiteral(", "))));
    }
    if (QFileInfo(argument).isFile()) {
        resolved.kind = kindOfFile(kinds, argument);
        if (!resolved.kind)
            throw Error(QStringLiteral("%1 holds no known catalogue.").arg(argument));
        resolved.connectionString = resolved.kind->fileConnectionString(argument);
        return resolved;
    }
    if (argument.contains(u'=')) {
        resolved.kind = kindOfConnectionString(kinds, argument);
        if (!resolved.kind)
            throw Error(QStringLiteral("The connection string names no provider the program knows."));
        resolved.connectionString = argument;
        refusePassword(resolved.connectionString);
        return resolved;
    }
    throw Error(QStringLiteral("No such file, and no address or connection string."));
}

} // namespace ks::cli
