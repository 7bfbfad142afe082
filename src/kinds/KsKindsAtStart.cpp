// Makes the kinds before main, and with them the registration of their
// catalogue-file dialects. The program and quillmere-search ask for the kinds
// before they open anything; tests and benchmarks that open catalogue files
// without asking link this instead.

#include "kinds/KsKinds.h"

namespace {

const bool kKindsMade = !ks::catalogueKinds().empty();

} // namespace
