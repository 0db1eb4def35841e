#pragma once
// Desktop entries (freedesktop "*.desktop" files): what the program needs of an application's
// entry to start it on an address, the way a registered open command would.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vlz {

struct DesktopEntry {
    std::string Location;  // the file it was read from
    std::string Name;
    std::string Icon;
    std::string Exec;  // with the string escapes (\s, \n, \t, \r, \\) already resolved
};

// Reads the [Desktop Entry] group of an application entry. Gives nothing for a missing or
// unreadable file, an entry of another type, a hidden entry, or one without an Exec line.
std::optional<DesktopEntry> ReadDesktopEntry(const std::string& location);

// The entry's command as a program and its arguments. The first file or address field code
// (%f %F %u %U) becomes `placeholder`, any further one is dropped; %i, %c, %k and %% expand as
// the desktop-entry rules say, the deprecated codes vanish. Gives nothing for an empty command or
// a quote that is never closed.
std::optional<std::vector<std::string>> ExpandExec(const DesktopEntry& entry,
                                                   std::string_view placeholder);

// The text without the blanks a key file allows around keys, values and list items.
std::string_view TrimKeyFileText(std::string_view text);

// Calls `entry` with each key and value (both trimmed) of the group `group` of a freedesktop key
// file (desktop entries, mimeapps.list, mimeinfo.cache); false when the file cannot be read.
bool ForEachKeyFileEntry(
    const std::string& location, std::string_view group,
    const std::function<void(std::string_view key, std::string_view value)>& entry);

}  // namespace vlz
