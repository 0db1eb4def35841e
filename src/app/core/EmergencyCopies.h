#pragma once
// Where the notes go when their own file cannot be written (a full disk, a folder that refuses new
// files, a folder standing in the file's place): a note file in the user's state folder, one per
// failure, named after the note file and the moment of the failure,
// "VLZozed-20261207-221503.ini" ("-2", "-3", … for further failures within the same second). Put
// in place of the note file, a copy gives back every note. Only the newest copies are kept, so the
// folder never grows without end.

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

#include "app/core/NoteFile.h"

namespace vlz {

class TEmergencyCopies {
  public:
    static constexpr std::size_t KeptCopies = 10;

    // `folder` (with a trailing '/'; empty when the user has no state folder) is made with mode
    // 0700 at the first copy. `noteFileName` is the note file's name, "VLZozed.ini".
    TEmergencyCopies(std::string folder, const std::string& noteFileName);

    // Writes the notes to a new copy named after `moment` (local time) and removes all but the
    // newest KeptCopies copies; returns the new copy's path. Raises what WriteNotes raises, or
    // Exception when there is no folder, if the copy cannot be written either.
    std::string WriteNew(const std::vector<TNote>& notes, std::time_t moment);

    // Writes the notes over a copy that WriteNew made.
    void Rewrite(const std::string& path, const std::vector<TNote>& notes);

    // The paths of the copies in the folder, oldest first.
    std::vector<std::string> Copies() const;

  private:
    std::string FFolder;
    std::string FStem;  // "VLZozed"
};

}  // namespace vlz
