#pragma once
// What a search core tells while it runs, for a window that shows progress.

#include <functional>

namespace ks {

// Called before each statement of a search runs, with its number (from 1)
// and the number of statements the search runs. It may end the search by
// throwing; the statement then does not run.
using StatementProgress = std::function<void(int statement, int statements)>;

} // namespace ks
