#pragma once
// Starting the program at login: a desktop entry in the user's autostart folder
// ($XDG_CONFIG_HOME/autostart/), which every freedesktop session starts when the user logs in.
// The entry is all there is; nothing about it goes into the program's own files.

#include <string>

namespace vlz {

class TAutostartEntry {
  public:
    // `entryPath`: the entry's file (empty when the user has no autostart folder, which leaves
    // the feature off); `executablePath`: the absolute path the entry starts.
    TAutostartEntry(std::string entryPath, std::string executablePath);

    bool Available() const { return !entryPath_.empty(); }
    const std::string& EntryPath() const { return entryPath_; }

    // True when the entry is there and not switched off (Hidden=true, or GNOME's
    // X-GNOME-Autostart-enabled=false, which the session also honours).
    bool Enabled() const;

    // Enable(true) writes the entry (its folder is made when missing); an entry that is on and
    // starts this executable already is left as the user may have edited it. Enable(false)
    // removes it. Raises Exception with a clear message when that cannot be done, and the entry
    // is then as it was.
    void Enable(bool enabled) const;

    // The entry's text: UTF-8, the executable quoted by the desktop-entry rules. Raises Exception
    // for a path that a desktop entry cannot hold (not UTF-8).
    std::string EntryText() const;

  private:
    bool StartsThisExecutable() const;

    std::string entryPath_;
    std::string executablePath_;
};

// One argument of an Exec line: in double quotes, with the characters that quoting reserves
// escaped, then written as a desktop-entry string (so a backslash ends up doubled twice) and with
// '%' doubled, since the launcher would read it as a field code.
std::string QuoteExecArgument(const std::string& argument);

}  // namespace vlz
