#pragma once
// A search as a window's bar asked for it, made ready by its catalogue kind:
// the task the background runner runs, what a viewer opened from its rows
// marks, and the definition behind a row. The window's frame asks it, and
// never needs to know the kind.

#include "search/KsSearchRunner.h"
#include "text/KsMatchHighlight.h"

#include <QString>

#include <optional>

namespace ks {

// What a double-click on a row shows: the viewer's caption, and the task
// that writes the text into it line by line.
struct DefinitionFetch {
    QString caption;
    SearchTask task;
};

class PreparedSearch {
public:
    virtual ~PreparedSearch() = default;

    // The search, for the background runner.
    virtual SearchTask task() const = 0;
    // What a viewer opened from the search's rows marks; nothing by default.
    virtual SearchHighlight highlight() const { return {}; }
    // The definition behind a row of this search, or none for rows that show
    // nothing; `windowCaption` is the caption of the window that lists it.
    virtual std::optional<DefinitionFetch> definition(const ResultRow &row, const QString &windowCaption) const;

protected:
    PreparedSearch() = default;
    PreparedSearch(const PreparedSearch &) = delete;
    PreparedSearch &operator=(const PreparedSearch &) = delete;
};

// A fetch task that announces its one statement and hands each line that
// `write(connection, output)` writes to the viewer as it comes.
template <typename Write> SearchTask definitionTask(Write write)
{
    return [write = std::move(write)](SearchContext &context) {
        context.statementStarted(1, 1);
        SearchLineOutput output(context);
        write(context.connection(), output);
    };
}

// The fetch of a kind's definition, or none for none: its caption, and the
// task that writes it with `write(connection, definition, output)`.
template <typename Definition, typename Write>
std::optional<DefinitionFetch> definitionFetch(const std::optional<Definition> &definition, Write write)
{
    if (!definition)
        return std::nullopt;
    return DefinitionFetch {definition->caption,
        definitionTask([definition = *definition, write](Connection &connection, TKsStringOutput &output) {
            write(connection, definition, output);
        })};
}

} // namespace ks
