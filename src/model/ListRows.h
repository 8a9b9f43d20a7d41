#pragma once
// The rows of a report-style list, as the model reads them: each row is its
// first-column text followed by its sub-item texts 1, 2, ...
#include <string>
#include <vector>

namespace corvane {

using ListRow = std::vector<std::string>;
using ListRows = std::vector<ListRow>;

} // namespace corvane
