// How long the result list takes to fill with 100,000 rows arriving in random
// Name order, with a tree view attached and shown, inside a batch as a search
// fills it and row by row outside one. Best of several runs.

#include "search/KsResultModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTreeView>

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

namespace {

constexpr int RowCount = 100000;
constexpr int Runs = 3;

std::vector<ks::ResultRow> makeRows()
{
    static const char *const types[] = {"Table", "View", "Column", "Package", "Package Body", "Trigger"};
    static const char *const schemas[] = {"HR", "SALES", "SCOTT", "SYS", "APEX_040200"};
    static const char *const comments[]
        = {"Table Name", "View Name", "Column Name", "View Definition", "Package Body Source", "Trigger Code"};
    QRandomGenerator random(2024);
    std::vector<ks::ResultRow> rows;
    rows.reserve(RowCount);
    for (int i = 0; i < RowCount; ++i) {
        QString name;
        const int length = 4 + int(random.bounded(16));
        for (int c = 0; c < length; ++c)
            name += QChar(char16_t(random.bounded(8) == 0 ? u'_' : u'A' + random.bounded(26)));
        const int kind = int(random.bounded(int(std::size(types))));
        rows.push_back(ks::ResultRow {name, QString::fromLatin1(types[kind]),
            QString::fromLatin1(schemas[random.bounded(int(std::size(schemas)))]), QString::fromLatin1(comments[kind]),
            3, kind + 1});
    }
    return rows;
}

double bestMilliseconds(const std::function<void()> &prepare, const std::function<void()> &run)
{
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < Runs; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);

    const std::vector<ks::ResultRow> rows = makeRows();
    ks::KsResultModel model;
    QTreeView view;
    // As the connection windows show it: a flat list in report mode.
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true);
    view.setModel(&model);
    view.resize(800, 600);
    view.show();
    QCoreApplication::processEvents();

    const auto clear = [&] {
        model.clear();
        QCoreApplication::processEvents();
    };
    // The time runs until the view has laid out and painted the new rows.
    const auto fill = [&](bool inBatch) {
        {
            std::optional<ks::KsResultModel::Batch> batch;
            if (inBatch)
                batch.emplace(model);
            for (const ks::ResultRow &row : rows)
                model.addRow(row);
        }
        QCoreApplication::processEvents();
    };

    out << "Filling the result list with " << RowCount << " rows in random Name order, view attached, best of " << Runs
        << " runs" << Qt::endl;
    out << QStringLiteral("  inside a batch:         %1 ms")
               .arg(bestMilliseconds(clear, [&] { fill(true); }), 8, 'f', 1)
        << Qt::endl;
    out << QStringLiteral("  row by row, no batch:   %1 ms")
               .arg(bestMilliseconds(clear, [&] { fill(false); }), 8, 'f', 1)
        << Qt::endl;

    const auto filled = [&] {
        clear();
        fill(true);
    };
    const auto sortBy = [&](int column) {
        model.sortByColumn(column);
        QCoreApplication::processEvents();
    };
    out << QStringLiteral("  sort by Type:           %1 ms")
               .arg(bestMilliseconds(filled, [&] { sortBy(ks::KsResultModel::TypeColumn); }), 8, 'f', 1)
        << Qt::endl;
    out << QStringLiteral("  one row after that sort: %1 ms")
               .arg(bestMilliseconds(
                        [&] {
                            filled();
                            sortBy(ks::KsResultModel::TypeColumn);
                        },
                        [&] {
                            model.addRow(rows.front());
                            QCoreApplication::processEvents();
                        }),
                   7, 'f', 1)
        << Qt::endl;
    return 0;
}
