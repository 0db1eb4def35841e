#include "app/core/NoteStore.h"

#include <ctime>
#include <filesystem>

#include "platform/ExceptionText.h"
#include "platform/ExecutablePath.h"
#include "platform/FileReplace.h"

namespace vlz {

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
        // The backups move on only for a note file that takes their place: with none, or with a
        // folder in its place, the save fails or starts afresh, and moving them would only lose
        // the older generation.
        if (FBeforeQuickSaves) {
            if (*FBeforeQuickSaves) {
                RotateBackups(FSettingsBase, *FBeforeQuickSaves);
            }
            FBeforeQuickSaves.reset();
        } else if (std::filesystem::is_regular_file(TNoteFileNames(FSettingsBase).NoteFile)) {
            RotateBackups(FSettingsBase);
        }
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
        FailNotes(WithFullStop(error.what()), notes, kind);
    }
    try {
        WritePreferences(FSettingsBase, preferences);
    } catch (const std::exception& error) {
        Fail(WithFullStop(error.what()), true, kind, std::string());
    }
    FFailure.clear();
    FFailedCopy.clear();
}

void TNoteStore::FailNotes(const std::string& error, const std::vector<TNote>& notes,
                           TSaveKind kind) {
    std::string copy;
    if (kind == TSaveKind::Quick && !FFailedCopy.empty()) {
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
                 kind, std::string());
        }
    }
    FFailedCopy = copy;
    Fail(error + "\n付箋は代わりに " + copy + " に保存しました.", true, kind, copy);
}

void TNoteStore::Fail(const std::string& message, bool notesKept, TSaveKind kind,
                      const std::string& copy) {
    const bool repeated = kind == TSaveKind::Quick && message == FFailure;
    FFailure = message;
    throw ESaveError(message, notesKept, repeated, copy);
}

}  // namespace vlz
