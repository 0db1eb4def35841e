#pragma once
// Which application the desktop opens a kind of document or address with, from the freedesktop
// MIME associations: the mimeapps.list files of the user and of the system, then the caches that
// the system's desktop database keeps. The folders come from the XDG base-directory variables
// ($XDG_CONFIG_HOME, $XDG_CONFIG_DIRS, $XDG_DATA_HOME, $XDG_DATA_DIRS, with their usual
// defaults), read afresh at each lookup, so a change of default takes effect at once.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vlz {

// The folders that hold application entries, most important first.
std::vector<std::string> ApplicationFolders();

// Where the entry with this desktop-file id is installed ("kde-foo.desktop" may also be
// "kde/foo.desktop" in an applications folder), or nothing.
std::optional<std::string> FindDesktopEntryFile(std::string_view desktopId);

// The desktop-file id of the default application for the MIME type ("text/html",
// "x-scheme-handler/mailto"): the first installed entry of the defaults, then of the added
// associations that no more important list removes, then of the system caches.
std::optional<std::string> DefaultApplication(std::string_view mimeType);

}  // namespace vlz
