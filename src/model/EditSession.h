#pragma once
// The one path every change takes, whoever starts it (a page's Apply, a
// dialog's OK, a console command, corvanectl): reload the model from the
// snapshot, apply the caller's change, write the working copy and the
// snapshot, report. If the change fails or is refused, nothing is written and
// the model is put back to what the snapshot holds.
#include <functional>
#include <string>

namespace corvane {

class ConfigFile;

// What the tree is told after a change that wrote something.
inline constexpr const char* kRefreshTreeView = "RefreshTreeView";

struct EditOutcome
{
    enum Status
    {
        Written,   // the working copy and the snapshot hold the change
        Unchanged, // the change left the file as it was; nothing written
        Refused,   // the change said no (message says why); nothing written
        Failed     // reading, changing or writing failed; nothing written
    };
    Status status = Unchanged;
    std::string message; // for Refused and Failed: what the administrator is told

    bool written() const { return status == Written; }
    bool ok() const { return status == Written || status == Unchanged; }
};

// The change returns false to refuse, with the reason in `refusal`. A
// CorvaneError (or any std::exception) thrown inside counts as Failed.
using EditChange = std::function<bool(ConfigFile& config, std::string& refusal)>;

// config must have its FileName (and so its snapshot path) set.
// reload: false when config already holds the snapshot's model (the caller
// has just loaded it); true (the default) reloads it first.
EditOutcome commitEdit(ConfigFile& config, const EditChange& change, bool reload = true);

} // namespace corvane
