#pragma once
// A control as version gating sees it: the directive name in its tag and an
// enabled state. The GUI wraps its widgets in this; tests use plain objects.
#include <string>

namespace corvane {

class GatedControl
{
public:
    virtual ~GatedControl() = default;
    virtual std::string tag() const = 0;
    virtual void setEnabled(bool enabled) = 0;
};

} // namespace corvane
