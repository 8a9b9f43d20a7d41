#include "model/EditSession.h"

#include "model/ConfigFile.h"

#include <exception>

namespace corvane {

namespace {

// Puts the model back to the snapshot; a snapshot that cannot be read leaves
// the model as it is (the caller has already been told of the failure).
void restore(ConfigFile& config)
{
    try {
        config.DeSerialize();
    } catch (const std::exception&) {
    }
}

} // namespace

EditOutcome commitEdit(ConfigFile& config, const EditChange& change, bool reload)
{
    EditOutcome out;
    try {
        if (reload)
            config.DeSerialize();
    } catch (const std::exception& e) {
        out.status = EditOutcome::Failed;
        out.message = e.what();
        return out;
    }
    try {
        std::string refusal;
        const bool changed = change(config, refusal);
        // A value the model refused (a line break, NUL, a trailing backslash)
        // refuses the whole change, whatever the caller made of it.
        if (const std::string why = config.TakeRefusal(); !why.empty())
            refusal = why;
        if (!changed || !refusal.empty()) {
            out.status = EditOutcome::Refused;
            out.message = refusal;
            restore(config);
            return out;
        }
        bool written = false;
        if (!config.WriteFile(&written)) {
            out.status = EditOutcome::Failed;
            out.message = "The configuration file could not be written: " + config.FileName();
            restore(config);
            return out;
        }
        if (!written) {
            out.status = EditOutcome::Unchanged;
            return out;
        }
        if (!config.Serialize()) {
            out.status = EditOutcome::Failed;
            out.message = "The configuration snapshot could not be written.";
            return out;
        }
        out.status = EditOutcome::Written;
    } catch (const std::exception& e) {
        out.status = EditOutcome::Failed;
        out.message = e.what();
        restore(config);
    }
    return out;
}

} // namespace corvane
