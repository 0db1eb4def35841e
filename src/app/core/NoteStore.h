#pragma once
// The notes and preferences on the disk: one save writes the backups (when asked), the note file
// and the preferences file, each in one step, so that a failure leaves every file as it was. When
// the note file cannot be written, the notes go to an emergency copy (EmergencyCopies.h) and the
// error names it, so that a failed save loses nothing either.

#include <optional>
#include <string>
#include <vector>

#include "app/core/EmergencyCopies.h"
#include "app/core/FileLocations.h"
#include "app/core/NoteFile.h"
#include "app/core/Preferences.h"
#include "platform/Exception.h"

namespace vlz {

enum class TSaveKind {
    Full,   // the auto-save timer and the end of the program: the backups rotate first
    Quick,  // soon after an edit: the files only
};

// A save that failed. The message is the write error, and where the notes went instead.
class ESaveError : public Exception {
  public:
    ESaveError(const std::string& message, bool notesKept, bool repeated, std::string copy)
        : Exception(message),
          FNotesKept(notesKept),
          FRepeated(repeated),
          FEmergencyCopy(std::move(copy)) {}

    // The notes are on the disk: in the note file (only the preferences failed) or in an
    // emergency copy.
    bool NotesKept() const { return FNotesKept; }
    // A save that failed as the save before it did, with the same message: the user has been
    // told already.
    bool Repeated() const { return FRepeated; }
    // The copy that holds the notes, or empty.
    const std::string& EmergencyCopy() const { return FEmergencyCopy; }

  private:
    bool FNotesKept;
    bool FRepeated;
    std::string FEmergencyCopy;
};

class TNoteStore {
  public:
    explicit TNoteStore(const TFileLocations& files);

    // Raises ESaveError when a file cannot be written; what was not written stays as it was. A
    // save that fails while the saves before it failed rewrites their emergency copy instead of
    // adding one: the copy the user was told of keeps the newest notes, and is never pruned for
    // newer ones. While saves fail, a full save does not rotate a note file that the first backup
    // holds already, so that the older generation stays.
    void Save(const std::vector<TNote>& notes, const TPreferences& preferences, TSaveKind kind);

    const TEmergencyCopies& EmergencyCopies() const { return FCopies; }

  private:
    [[noreturn]] void FailNotes(const std::string& error, const std::vector<TNote>& notes);
    [[noreturn]] void Fail(const std::string& message, bool notesKept, const std::string& copy);
    void RotateBackups();
    bool FirstBackupHolds(const std::optional<std::string>& noteFile) const;

    std::string FSettingsBase;
    std::string FSettingsFolder;
    TEmergencyCopies FCopies;
    // The note file as it was before the first quick save since the backups last rotated: the
    // backups keep the generations of the rotating saves, as if no quick save had come between.
    // Unset when no quick save has come since; set to nullopt when there was no note file then.
    std::optional<std::optional<std::string>> FBeforeQuickSaves;
    std::string FFailure;     // the message of the last save, when it failed
    std::string FFailedCopy;  // the emergency copy of the failures since the last good save
    // A save failed since the last full save that went well: the backups may hold the note file
    // as it still is.
    bool FFailedSinceRotation = false;
};

}  // namespace vlz
