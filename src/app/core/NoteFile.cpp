#include "app/core/NoteFile.h"

#include <utility>

#include "app/core/MemoEscaping.h"
#include "platform/Cp932.h"
#include "platform/ExecutablePath.h"
#include "platform/FileReplace.h"

namespace vlz {

TFont DefaultNoteFont() {
    TFont font;
    font.Name = "ＭＳ Ｐゴシック";
    font.Size = 9;
    font.Color = clWhite;
    font.Charset = SHIFTJIS_CHARSET;
    return font;
}

TNoteFileNames::TNoteFileNames(std::string_view executablePath)
    : NoteFile(ChangeFileExt(executablePath, ".ini")),
      FirstBackup(ChangeFileExt(executablePath, ".bak")),
      SecondBackup(ChangeFileExt(executablePath, ".bk2")) {}

TFont ReadFont(TIniFile& file, const TIniSection& section) {
    TFont defaults = DefaultNoteFont();
    TFont font;
    font.Name = file.ReadString(section, "FontName", defaults.Name);
    font.Size = file.ReadInteger(section, "FontSize", defaults.Size);
    font.Color = file.ReadInteger(section, "FontColor", defaults.Color);
    std::int32_t charset = file.ReadInteger(section, "FontCharSet", defaults.Charset);
    // The character set is one byte; a value beyond it is no character set at all.
    font.Charset =
        (charset >= 0 && charset <= 255) ? static_cast<TFontCharset>(charset) : defaults.Charset;
    font.Style = {};
    const std::pair<const char*, TFontStyle> styleKeys[] = {
        {"FontStyleBold", TFontStyle::fsBold},
        {"FontStyleItalic", TFontStyle::fsItalic},
        {"FontStyleUnderline", TFontStyle::fsUnderline},
        {"FontStyleStrikeOut", TFontStyle::fsStrikeOut},
    };
    for (const auto& [key, style] : styleKeys) {
        if (file.ReadBool(section, key, false)) {
            font.Style.Include(style);
        }
    }
    return font;
}

void WriteFont(TIniFile& file, std::string_view section, const TFont& font) {
    file.WriteString(section, "FontName", font.Name);
    file.WriteInteger(section, "FontSize", font.Size);
    file.WriteInteger(section, "FontColor", font.Color);
    file.WriteInteger(section, "FontCharSet", font.Charset);
    file.WriteBool(section, "FontStyleBold", font.Style.Contains(TFontStyle::fsBold));
    file.WriteBool(section, "FontStyleItalic", font.Style.Contains(TFontStyle::fsItalic));
    file.WriteBool(section, "FontStyleUnderline", font.Style.Contains(TFontStyle::fsUnderline));
    file.WriteBool(section, "FontStyleStrikeOut", font.Style.Contains(TFontStyle::fsStrikeOut));
}

std::vector<TNote> ReadNotes(std::string_view executablePath) {
    TIniFile file(TNoteFileNames(executablePath).NoteFile);
    std::vector<TNote> notes;
    std::size_t count = file.SectionCount();
    notes.reserve(count);
    // Sections are taken by position, so that two sections of the same name still make two
    // notes with their own values.
    for (std::size_t position = 0; position < count; ++position) {
        TIniSection section = TIniSection::At(position);
        TNote& note = notes.emplace_back();
        note.Memo = FromCp932(UnescapeMemo(file.ReadRawString(section, "Memo").value_or("")));
        note.WindowLeft = file.ReadInteger(section, "WindowLeft", 0);
        note.WindowTop = file.ReadInteger(section, "WindowTop", 0);
        note.Font = ReadFont(file, section);
        note.BGColor = file.ReadInteger(section, "BGColor", clBlack);
        note.Character = file.ReadString(section, "Character", "");
    }
    return notes;
}

void RotateBackups(std::string_view executablePath) {
    TNoteFileNames names(executablePath);
    CopyFile(names.FirstBackup, names.SecondBackup, false);
    CopyFile(names.NoteFile, names.FirstBackup, false);
}

void RotateBackups(std::string_view executablePath, const std::optional<std::string>& noteFile) {
    TNoteFileNames names(executablePath);
    CopyFile(names.FirstBackup, names.SecondBackup, false);
    if (noteFile) {
        try {
            ReplaceFile(names.FirstBackup, *noteFile);
        } catch (const Exception&) {
            // As a failed copy: the backup stays as it was.
        }
    }
}

void WriteNotes(std::string_view executablePath, const std::vector<TNote>& notes) {
    TIniFile file(TNoteFileNames(executablePath).NoteFile);
    file.EraseAllSections();
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const TNote& note = notes[i];
        std::string section = std::to_string(i);
        file.WriteRawString(section, "Memo", EscapeMemo(ToCp932(note.Memo)));
        file.WriteInteger(section, "WindowLeft", note.WindowLeft);
        file.WriteInteger(section, "WindowTop", note.WindowTop);
        WriteFont(file, section, note.Font);
        file.WriteInteger(section, "BGColor", note.BGColor);
        file.WriteString(section, "Character", note.Character);
    }
    file.UpdateFile();
}

}  // namespace vlz
