#pragma once
// Where the program keeps its files. A program folder without `../share/vlzozed/` beside it is
// portable: the note file, its backups, the preferences file and the character packages all lie
// beside the executable, as they always did. An installed program (a package lays out
// `<prefix>/bin/VLZozed` and `<prefix>/share/vlzozed/`) keeps the same files, under the same
// names and with the same bytes, in the user's folders of the XDG base directories, and reads its
// characters from the prefix first and then from the user's own folder.
//
// This is the one place that knows; everything else asks it.

#include <string>
#include <string_view>
#include <vector>

namespace vlz {

// The program's name on the desktop: its desktop entry, its icon and its autostart entry.
inline constexpr char ApplicationId[] = "org.example.vlzozed";

struct TFileLocations {
    bool Installed = false;
    // The path the note and preferences file names are made from, as they were made from the
    // executable's path: the executable itself when portable, `<settings folder><executable's
    // file name>` when installed (so that copies under other names, which run side by side, never
    // share a file).
    std::string SettingsBase;
    // The folder of the note and preferences files, with a trailing '/'.
    std::string SettingsFolder;
    // Folders searched for "*.vlf", in this order, each with a trailing '/'; no folder twice.
    std::vector<std::string> CharacterFolders;
    // Where a save that failed leaves its emergency copy, with a trailing '/' (in both modes: a
    // portable folder that refused the save would likely refuse the copy too). Empty when the
    // user has no home folder.
    std::string EmergencyFolder;
    // The user's autostart entry for the program; empty when the user has no home folder.
    std::string AutostartEntry;
};

// The layout for the executable at `executablePath`, after the environment of this process
// ($HOME, $XDG_CONFIG_HOME, $XDG_DATA_HOME, $XDG_STATE_HOME; unset, empty or relative values take
// the defaults of the XDG base directories). Raises Exception when the program is installed and
// the user has no home folder to keep the notes in.
TFileLocations LocateFiles(std::string_view executablePath);

// The portable layout for the executable, whatever lies beside its folder.
TFileLocations PortableFileLocations(std::string_view executablePath);

// Makes the folder and any missing parent, each new one with mode 0700 (the XDG rule for folders
// a program creates for the user). True when the folder exists afterwards.
bool MakeUserFolder(const std::string& folder);

}  // namespace vlz
