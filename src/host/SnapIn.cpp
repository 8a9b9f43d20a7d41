#include "host/SnapIn.h"

namespace corvane {

SnapIn::~SnapIn() = default;

} // namespace corvane
