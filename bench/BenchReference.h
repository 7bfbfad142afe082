#pragma once
// The yardstick of the search benchmarks: what SQLite itself needs for a
// list of statements on a catalogue file, with its own built-in functions
// (LIKE, UPPER, LOWER), reading every column of every row the way a client
// reads it. A search that comes close to this time costs no more than the
// engine.

#include <QString>
#include <QStringList>

#include <algorithm>
#include <ctime>
#include <limits>
#include <utility>

struct sqlite3;

namespace ks::bench {

// Which of SQLite's built-in LIKEs the statements get: case-sensitive (under
// PRAGMA case_sensitive_like, an Oracle LIKE on ASCII text) or SQLite's
// default that ignores the case of a to z (a SQL Server LIKE without sets).
enum class BuiltinLike { CaseSensitive, IgnoringCase };

// What a statement that cannot be prepared does to the run: stop the program
// with SQLite's message, or count for nothing (a search that swallows the
// errors of single statements, as the Designer search does).
enum class FailedStatements { Stop, Skip };

// Opens `file` read-only with the SQLite API alone, runs `statements` one
// after the other and steps through every row, reading each column as text,
// integer or real as its type says. Functions that SQLite lacks (INITCAP,
// NVL, TO_CHAR of one value) are given the plainest C implementation on
// ASCII, so that they cost what a function call costs the engine and nothing
// more. Returns the number of rows.
qint64 runWithBuiltins(const QString &file, const QStringList &statements, BuiltinLike like,
    FailedStatements failed = FailedStatements::Stop);

// Runs `statements` on an open SQLite handle and reads every row as above,
// with whatever functions the handle has; returns the number of rows.
qint64 stepThrough(sqlite3 *handle, const QStringList &statements, FailedStatements failed = FailedStatements::Stop);

// Processor time of this process so far, in milliseconds: on a machine
// shared with other work it hardly moves with the load, as wall time does.
inline double processorMilliseconds()
{
    timespec time {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return double(time.tv_sec) * 1e3 + double(time.tv_nsec) / 1e6;
}

// The shortest of `runs` timings of `work`, in milliseconds of processor time.
template <typename Work> double bestOfMilliseconds(int runs, Work &&work)
{
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        const double start = processorMilliseconds();
        work();
        best = std::min(best, processorMilliseconds() - start);
    }
    return best;
}

// The shortest timings of `first` and `second`, run in turn `runs` times
// each, so that a passing load on the machine weighs on both alike.
template <typename First, typename Second>
std::pair<double, double> bestOfAlternating(int runs, First &&first, Second &&second)
{
    std::pair<double, double> best {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    for (int i = 0; i < runs; ++i) {
        best.first = std::min(best.first, bestOfMilliseconds(1, first));
        best.second = std::min(best.second, bestOfMilliseconds(1, second));
    }
    return best;
}

} // namespace ks::bench
