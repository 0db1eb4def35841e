#include "app/core/NoteStore.h"

#include <ctime>
#include <filesystem>

#include "platform/ExceptionText.h"
#include "platform/ExecutablePath.h"
#include "platform/FileReplace.h"

namespace vlz {
namespace {

// A file that cannot be read is as one that is not there: the backups' rotation copies neither.
std::optional<std::string> ReadOrNothing(const std::string& path) {
    try {
        return ReadFileIfExists(path);
    } catch (const Exception&) {
        return std::nullopt;
    }
}

}  // namespace

TNoteStore::TNoteStore(const TFileLocations& files)
    : FSettingsBase(files.SettingsBase),
      FSettingsFolder(files.SettingsFolder),
      FCopies(files.EmergencyFolder, ExtractFileName(TNoteFileNames(files.SettingsBase).NoteFile)) {
}

void TNoteStore::Save(const std::vector<TNote>& notes, const TPreferences& preferences,
                      TSaveKind kind) {
    // An installed program's folder is made at its first save; a failure there shows as the note
    // file's own write error.
    MakeUserFolder(FSettingsFolder);
    if (kind == TSaveKind::Full) {
        RotateBackups();
    } else if (!FBeforeQuickSaves) {
        try {
            FBeforeQuickSaves = ReadFileIfExists(TNoteFileNames(FSettingsBase).NoteFile);
        } catch (const Exception&) {
            // A note file that cannot be read cannot be written either: this save fails below, and
            // the next rotating save looks at the file itself.
        }
    }
    try {
        WriteNotes(FSettingsBase, notes);
    } catch (const std::exception& error) {
        FailNotes(WithFullStop(error.what()), notes);
    }
    try {
        WritePreferences(FSettingsBase, preferences);
    } catch (const std::exception& error) {
        Fail(WithFullStop(error.what()), true, std::string());
    }
    FFailure.clear();
    FFailedCopy.clear();
    if (kind == TSaveKind::Full) {
        FFailedSinceRotation = false;
    }
}

void TNoteStore::RotateBackups() {
    // The backups move on only for a note file that takes their place: with none, or with a
    // folder in its place, the save fails or starts afresh, and moving them would only lose the
    // older generation. Nor do they move for the note file the first backup already holds, which
    // only a run of failed saves leaves behind (so the files are compared only then).
    const std::optional<std::optional<std::string>> beforeQuickSaves = FBeforeQuickSaves;
    FBeforeQuickSaves.reset();
    const std::string noteFile = TNoteFileNames(FSettingsBase).NoteFile;
    if (beforeQuickSaves) {
        if (*beforeQuickSaves && !(FFailedSinceRotation && FirstBackupHolds(*beforeQuickSaves))) {
            vlz::RotateBackups(FSettingsBase, *beforeQuickSaves);
        }
    } else if (std::filesystem::is_regular_file(noteFile) &&
               !(FFailedSinceRotation && FirstBackupHolds(ReadOrNothing(noteFile)))) {
        vlz::RotateBackups(FSettingsBase);
    }
}

bool TNoteStore::FirstBackupHolds(const std::optional<std::string>& noteFile) const {
    return noteFile && ReadOrNothing(TNoteFileNames(FSettingsBase).FirstBackup) == noteFile;
}

void TNoteStore::FailNotes(const std::string& error, const std::vector<TNote>& notes) {
    std::string copy;
    if (!FFailedCopy.empty()) {
        try {
            FCopies.Rewrite(FFailedCopy, notes);
            copy = FFailedCopy;
        } catch (const std::exception&) {
            // The copy has gone or cannot be written: a new one, as for a new failure.
        }
    }
    if (copy.empty()) {
        try {
            copy = FCopies.WriteNew(notes, std::time(nullptr));
        } catch (const std::exception& copyError) {
            FFailedCopy.clear();
            Fail(error + "\n付箋の控えも保存できません: " + WithFullStop(copyError.what()), false,
                 std::string());
        }
    }
    FFailedCopy = copy;
    Fail(error + "\n付箋は代わりに " + copy + " に保存しました.", true, copy);
}

void TNoteStore::Fail(const std::string& message, bool notesKept, const std::string& copy) {
    const bool repeated = message == FFailure;
    FFailure = message;
    FFailedSinceRotation = true;
    throw ESaveError(message, notesKept, repeated, copy);
}

}  // namespace vlz
