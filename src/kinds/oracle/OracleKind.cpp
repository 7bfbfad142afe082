#include "kinds/oracle/OracleKind.h"

#include "base/KsStrings.h"
#include "db/KsConnectionString.h"
#include "db/KsFileDialect.h"
#include "kinds/oracle/OracleFileDialect.h"
#include "search/KsPreparedSearch.h"

#include <QFile>
#include <QUrl>

namespace ks::oracle {

namespace {

const QList<SearchOption> &options()
{
    using Type = SearchOption::Type;
    static const QList<SearchOption> list {
        {QStringLiteral("dictionary"), Type::Value,
            QStringLiteral("user, all or dba: which dictionary views are searched"), QStringLiteral("user"), false,
            QStringLiteral("cbDict")},
        {QStringLiteral("schema"), Type::Value, QStringLiteral("search the objects of that user only"), QString(),
            false, QStringLiteral("cbSchema")},
        {QStringLiteral("ignore-case"), Type::Switch, QStringLiteral("ignore letter case"), QStringLiteral("1"), false,
            QStringLiteral("cbIgnoreCase")},
        {QStringLiteral("definitions"), Type::Switch, QStringLiteral("search view definitions"), QStringLiteral("1"),
            true, QStringLiteral("cbIncViewDefs")},
        {QStringLiteral("code"), Type::Switch, QStringLiteral("search PL/SQL code"), QStringLiteral("1"), true,
            QStringLiteral("cbIncPlSql")},
        {QStringLiteral("comments"), Type::Switch, QStringLiteral("search comments"), QStringLiteral("1"), true,
            QStringLiteral("cbIncComments")},
        {QStringLiteral("triggers"), Type::Switch, QStringLiteral("search trigger code"), QStringLiteral("1"), true,
            QStringLiteral("cbIncTriggers")},
    };
    return list;
}

SearchRequest requestOf(const SearchSettings &settings)
{
    const QList<SearchOption> &list = options();
    SearchRequest request;
    request.prefix = settingValue(list, settings, QStringLiteral("dictionary")).trimmed().toUpper();
    if (!kDictPrefixes.contains(request.prefix))
        throw Error(QStringLiteral("--dictionary takes user, all or dba, not \"%1\".")
                        .arg(settingValue(list, settings, QStringLiteral("dictionary"))));
    request.searchText = settings.text;
    request.mode = settings.mode;
    request.schema = settingValue(list, settings, QStringLiteral("schema")).trimmed();
    // The window's schema list starts with "(all)"; a schema is any later entry.
    request.schemaIndex = request.schema.isEmpty() ? 0 : 1;
    request.ignoreCase = settingSwitch(list, settings, QStringLiteral("ignore-case"));
    request.viewDefinitions = settingSwitch(list, settings, QStringLiteral("definitions"));
    request.plSqlCode = settingSwitch(list, settings, QStringLiteral("code"));
    request.comments = settingSwitch(list, settings, QStringLiteral("comments"));
    request.triggerCode = settingSwitch(list, settings, QStringLiteral("triggers"));
    return request;
}

class OracleKind final : public CatalogueKind {
public:
    // Catalogue files of the Oracle provider (dictionaries and Designer
    // repositories alike) speak Oracle's SQL.
    OracleKind()
    {
        registerFileDialect(QStringLiteral("OraOLEDB.Oracle"), &installFileDialect);
        // The views Oracle's probes read; other kinds' files may carry some,
        // so the others tell first.
        registerCatalogueFileKind({id(), QStringLiteral("an Oracle data dictionary"),
            {QStringLiteral("DBA_USERS"), QStringLiteral("ALL_USERS"), QStringLiteral("USER_USERS")}, kTellsLast});
    }

    QString id() const override { return QStringLiteral("oracle"); }
    QString displayName() const override { return QStringLiteral("Oracle"); }
    QString caption(const QString &connectionString) const override
    {
        return userAtDataSourceCaption(connectionString, QStringLiteral("Oracle"));
    }
    QList<SearchOption> searchOptions() const override { return options(); }
    std::shared_ptr<const PreparedSearch> prepareSearch(const SearchSettings &settings) const override
    {
        return oracle::prepareSearch(requestOf(settings));
    }
    // oracle://user@alias, or an Easy Connect oracle://user@host:port/service.
    ConnectionAddress resolveAddress(const QUrl &address) const override
    {
        return {userAtDataSourceConnectionString(address, QStringLiteral("OraOLEDB.Oracle"), true), {}};
    }
    QString fileConnectionString(const QString &path) const override
    {
        return QStringLiteral("provider=OraOLEDB.Oracle;data source=") + connectionStringValue(path);
    }
    // The dictionary tables of the catalogue files, filled from the DBA_
    // views (which a snapshot of a server needs the rights to read).
    QString snapshotSchema() const override
    {
        QFile schema(QStringLiteral(":/kinds/oracle/oracle-dictionary.sql"));
        if (!schema.open(QIODevice::ReadOnly))
            throw Error(QStringLiteral("The Oracle dictionary tables are missing from the program."));
        return QString::fromUtf8(schema.readAll());
    }
    // A server knows its session user from the login; a file keeps it.
    QString snapshotSelect(const QString &table, const QStringList &columns, bool fromFile) const override
    {
        if (table == QStringLiteral("CATALOGUE_SESSION") && !fromFile)
            return QStringLiteral("SELECT USER AS USERNAME FROM DUAL");
        return CatalogueKind::snapshotSelect(table, columns, fromFile);
    }
    // Every dictionary view read as of the transaction's start.
    QString snapshotTransaction() const override { return QStringLiteral("SET TRANSACTION READ ONLY"); }
    QString serverVersionStatement() const override
    {
        return QStringLiteral("SELECT BANNER FROM V$VERSION WHERE ROWNUM = 1");
    }
};

class OracleSearch final : public PreparedSearch {
public:
    explicit OracleSearch(const SearchRequest &request)
        : m_request(request)
        , m_state(makeSearchState(request))
    {
    }
    SearchTask task() const override
    {
        return [state = m_state, request = m_request](SearchContext &context) {
            runSearch(context.connection(), state, request, context.rowSink(), context.progressSink());
        };
    }
    SearchHighlight highlight() const override
    {
        return m_state.matcher->highlight(SearchHighlight::oracleSearch(m_request.searchText, m_request.ignoreCase));
    }
    std::optional<DefinitionFetch> definition(const ResultRow &row, const QString &windowCaption) const override
    {
        return definitionFetch(definitionFor(row, m_state, windowCaption), &writeDefinition);
    }

private:
    SearchRequest m_request;
    SearchState m_state;
};

} // namespace

std::shared_ptr<const PreparedSearch> prepareSearch(const SearchRequest &request)
{
    return std::make_shared<OracleSearch>(request);
}

const CatalogueKind &catalogueKind()
{
    static const OracleKind kind;
    return kind;
}

} // namespace ks::oracle
