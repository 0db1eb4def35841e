#pragma once
// The INI access layer of the note and preferences files: typed reads and writes in UTF-8 over a
// private-profile file in CP932. Reads see the file as it is on disk, plus the changes made
// through this object; writes stay in memory until UpdateFile, which commits them all at once.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/PrivateProfile.h"

namespace vlz {

// A section, by its name or by its position in the file. A position tells apart sections that
// share a name, which a name cannot.
class TIniSection {
  public:
    TIniSection(std::string_view name) : section_(std::string(name)) {}  // NOLINT: implicit
    TIniSection(const char* name) : section_(std::string(name)) {}       // NOLINT: implicit
    TIniSection(const std::string& name) : section_(name) {}             // NOLINT: implicit
    static TIniSection At(std::size_t position) { return TIniSection(position); }

    const std::string* Name() const { return std::get_if<std::string>(&section_); }
    const std::size_t* Position() const { return std::get_if<std::size_t>(&section_); }

  private:
    explicit TIniSection(std::size_t position) : section_(position) {}
    std::variant<std::string, std::size_t> section_;
};

class TIniFile {
  public:
    // The value buffer of the profile functions: a value reads as at most 2047 bytes.
    static constexpr std::size_t ValueBufferSize = 2048;

    // Opens by name; nothing is read or created yet.
    explicit TIniFile(std::string fileName) : profile_(std::move(fileName)) {}

    const std::string& FileName() const { return profile_.FileName(); }

    // Text: the default only for a missing key; a present, empty key reads as empty. Values are
    // cut to 2047 bytes, never inside a double-byte character.
    std::string ReadString(const TIniSection& section, std::string_view key,
                           std::string_view defaultValue);
    // Decimal with an optional sign; hexadecimal after "$", or after "0x"/"0X" in a value longer
    // than two characters (up to 32 bits, so "$FFFFFFFF" is -1). Anything else gives the default.
    std::int32_t ReadInteger(const TIniSection& section, std::string_view key,
                             std::int32_t defaultValue);
    // An integer; anything but 0 is true.
    bool ReadBool(const TIniSection& section, std::string_view key, bool defaultValue);
    // The CP932 bytes of a value, cut like ReadString; nullopt for a missing key.
    std::optional<std::string> ReadRawString(const TIniSection& section, std::string_view key);

    // Writes raise EIniFileException ("%s に書き込めません") for what cannot stand in the file,
    // and ECp932Error for text that CP932 cannot hold.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteRawString(std::string_view section, std::string_view key, std::string_view cp932);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // The names of every section in file order (no limit on their number).
    std::vector<std::string> ReadSections();
    std::size_t SectionCount();
    void EraseSection(std::string_view section);
    // Erases each section of the file, in file order.
    void EraseAllSections();

    // Commits the changes; raises EIniFileException when the file cannot be written, leaving it
    // as it was.
    void UpdateFile() { profile_.Commit(); }

  private:
    std::optional<std::string_view> Raw(const TIniSection& section, std::string_view key);

    TPrivateProfile profile_;
};

// The integer forms of ReadInteger; nullopt for anything else.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

}  // namespace vlz
