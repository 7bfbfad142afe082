#pragma once
// A kind of catalogue the program searches (the Oracle dictionary, a SQL
// Server catalogue, a Designer repository): what the rest of the program asks
// of it without naming it. Each kind lives in a folder of its own under
// src/kinds, with its statements, row mapping, connect dialog and window, and
// is listed once, in src/kinds/CMakeLists.txt; src/kinds/KsKinds.h hands out
// the list.

#include "db/KsConnectionTarget.h"
#include "search/KsSearchSettings.h"

#include <QString>
#include <QStringList>

#include <memory>

class QUrl;

namespace ks {

class Connection;
class PreparedSearch;

// What an address ("oracle://scott@orcl") names: the connection string a
// window would open, without a password, and the search options the address
// carries (a Designer address's application system).
struct ConnectionAddress {
    QString connectionString;
    QHash<QString, QString> values;
};

class CatalogueKind {
public:
    virtual ~CatalogueKind() = default;

    // Its short name, as command lines, addresses and files write it ("oracle").
    virtual QString id() const = 0;
    // What users call it ("Oracle").
    virtual QString displayName() const = 0;
    // The caption of a window on the connection string.
    virtual QString caption(const QString &connectionString) const = 0;
    // What a catalogue file of this kind holds (its id, as the kind's
    // registered signature tells its files); a file that holds another kind
    // is refused before anything is opened.
    CatalogueFileKind fileKind() const { return {id()}; }

    // The options its search takes, in the order its window's bar shows them.
    virtual QList<SearchOption> searchOptions() const = 0;
    // The search these settings ask for: the same search the window's bar
    // asks for with its controls set to the same values. Raises ks::Error,
    // naming the option, for a value the kind cannot take.
    virtual std::shared_ptr<const PreparedSearch> prepareSearch(const SearchSettings &settings) const = 0;

    // The connection an address of this kind names (its scheme is id());
    // raises ks::Error saying what is missing or wrong.
    virtual ConnectionAddress resolveAddress(const QUrl &address) const = 0;
    // The connection string of a catalogue file of this kind.
    virtual QString fileConnectionString(const QString &path) const;
    // Whether opening the string needs a password that it lacks: a login
    // that names a user, on a server rather than a catalogue file.
    virtual bool needsPassword(const QString &connectionString) const;
    // The tables of its catalogue files, as SQLite statements, for a
    // snapshot of a server; empty where snapshots of its servers cannot be
    // taken. A snapshot fills each table's columns from the server's table
    // of that name.
    virtual QString snapshotSchema() const { return {}; }
    // The same, for a kind whose tables depend on what the source holds: it
    // may read the source here. By default snapshotSchema().
    virtual QString snapshotSchema(Connection &source) const;
    // The statement that reads a table of snapshotSchema() from the source,
    // its columns in that order: by default the source's table of that name.
    virtual QString snapshotSelect(const QString &table, const QStringList &columns, bool fromFile) const;
    // The statement that opens a read-only transaction in which a snapshot
    // reads every table from one state of the server; empty where the engine
    // offers no consistent read of its catalogue. The capture ends it with
    // COMMIT, or ROLLBACK when it fails.
    virtual QString snapshotTransaction() const { return {}; }
    // The statement that reads the server's version, or empty.
    virtual QString serverVersionStatement() const { return {}; }
    // The connection string with that password.
    QString withPassword(const QString &connectionString, const QString &password) const;

protected:
    CatalogueKind() = default;
    CatalogueKind(const CatalogueKind &) = delete;
    CatalogueKind &operator=(const CatalogueKind &) = delete;
};

// "user @ data source (suffix)", or "user (suffix)" without a data source:
// the caption of a kind whose connection names a user and a data source.
QString userAtDataSourceCaption(const QString &connectionString, const QString &suffix);

// "provider=<provider>;user id=<user>;data source=<source>" of an address
// scheme://user@source: the source is the host, its port after ":", and with
// `pathInSource` the path (an Easy Connect host:port/service). Raises
// ks::Error for an address without a user or source, or with a password
// (addresses are command-line text, which others can read).
QString userAtDataSourceConnectionString(const QUrl &address, const QString &provider, bool pathInSource);
// Raises ks::Error when the address carries a password.
void refusePasswordInAddress(const QUrl &address);

} // namespace ks
