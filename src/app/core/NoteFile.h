#pragma once
// The note file: one section per note, beside the executable, with two generations of backups.
// Every function takes the executable's path (or any path standing for it, as tests do) and
// derives the file names from it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/IniFile.h"
#include "graphics/Color.h"
#include "graphics/Font.h"

namespace vlz {

// The memo font of a note whose file says nothing: white 9-point "ＭＳ Ｐゴシック", Shift-JIS.
TFont DefaultNoteFont();

// One note as stored in one section.
struct TNote {
    std::string Memo;  // UTF-8, line breaks as CR LF
    std::int32_t WindowLeft = 0;
    std::int32_t WindowTop = 0;
    TFont Font = DefaultNoteFont();
    TColor BGColor = clBlack;
    std::string Character;  // the character's name

    bool operator==(const TNote&) const = default;
};

struct TNoteFileNames {
    explicit TNoteFileNames(std::string_view executablePath);
    std::string NoteFile;      // <exe>.ini
    std::string FirstBackup;   // <exe>.bak
    std::string SecondBackup;  // <exe>.bk2
};

// Every section of the note file, whatever its name, in file order; a missing file gives none.
std::vector<TNote> ReadNotes(std::string_view executablePath);

// ".bak" over ".bk2", then ".ini" over ".bak"; a copy that fails leaves its target as it was.
void RotateBackups(std::string_view executablePath);
// The same, with `noteFile` standing for the note file: its bytes as they were before the saves
// that did not rotate, or nullopt when there was no note file then (".bak" then stays).
void RotateBackups(std::string_view executablePath, const std::optional<std::string>& noteFile);

// Rewrites the note file from the notes, the note at position i in section "i", in one commit.
// Raises EIniFileException ("<file> に書き込めません") when the file cannot be written, and
// ECp932Error for text that CP932 cannot hold; the file is then as it was.
void WriteNotes(std::string_view executablePath, const std::vector<TNote>& notes);

// The eight Font description keys of a section; missing keys take the defaults of
// DefaultNoteFont. A character set outside 0..255 reads as 128 (Shift-JIS).
TFont ReadFont(TIniFile& file, const TIniSection& section);
void WriteFont(TIniFile& file, std::string_view section, const TFont& font);

}  // namespace vlz
