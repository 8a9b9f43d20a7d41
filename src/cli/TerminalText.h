#pragma once
// Text that came from a server (a fetched httpd.conf, a checker's output
// quoting it) is shown on a terminal without letting it talk to the
// terminal: control characters other than tab and line feed, DEL, the C1
// controls and bytes that are not UTF-8 become visible escapes such as
// "\x1b". Output that is not a terminal stays byte for byte (a diff piped
// into a file is still a patch).
#include <string>
#include <string_view>

namespace corvanectl {

// Every byte kept but those escaped as described above.
std::string escapeForTerminal(std::string_view text);
// Writes `text` to standard output (fd 1) or standard error (fd 2),
// escaped when that is a terminal.
void writeFetchedText(int fd, std::string_view text);

} // namespace corvanectl
