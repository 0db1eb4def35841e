#include "characters/Description.h"

#include <limits>

#include "characters/PackageFile2.h"
#include "platform/Cp932.h"
#include "platform/Cp932Case.h"
#include "platform/MessageBox.h"

namespace vlz {
namespace {

int DigitValue(char c, int base) {
    int value = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : 99;
    return value < base ? value : -1;
}

}  // namespace

std::vector<std::string> SplitDescriptionLines(std::string_view text) {
    if (auto nul = text.find('\0'); nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

std::optional<std::string> DescriptionValue(const std::vector<std::string>& lines,
                                            std::string_view key) {
    for (const std::string& line : lines) {
        std::size_t equals = line.find('=');
        if (equals != std::string::npos &&
            Cp932SameIgnoringCase(std::string_view(line).substr(0, equals), key)) {
            return line.substr(equals + 1);
        }
    }
    return std::nullopt;
}

std::optional<std::int32_t> ParseDescriptionInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    // Decimal allows up to 2^31 for a negative value; hexadecimal any 32-bit pattern.
    const std::uint64_t limit =
        base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        int digit = DigitValue(text[i], base);
        if (digit < 0) {
            return std::nullopt;
        }
        magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative) {
        bits = ~bits + 1;
    }
    return static_cast<std::int32_t>(bits);
}

TCharacterDescription ReadCharacterDescription(const std::vector<std::string>& lines) {
    TCharacterDescription description;
    description.Name = DescriptionValue(lines, "Name").value_or("");

    struct Setting {
        const char* key;
        std::int32_t* field;
        std::int32_t minimum;
        std::int32_t maximum;
    };
    const Setting settings[] = {
        {"PatternWidth", &description.PatternWidth, 1, MaximumPatternSide},
        {"PatternHeight", &description.PatternHeight, 1, MaximumPatternSide},
        {"PatternCount", &description.PatternCount, 1, std::numeric_limits<std::int32_t>::max()},
        {"AnimationInterval", &description.AnimationInterval, 0,
         std::numeric_limits<std::int32_t>::max()},
    };
    for (const Setting& setting : settings) {
        std::optional<std::string> text = DescriptionValue(lines, setting.key);
        std::optional<std::int32_t> value =
            text ? ParseDescriptionInteger(*text) : std::optional<std::int32_t>();
        if (!value || *value < setting.minimum || *value > setting.maximum) {
            description.FailedKey = setting.key;
            break;
        }
        *setting.field = *value;
    }
    return description;
}

TCharacterDescription LoadPackageDescription(TReadPackageFile& reader,
                                             const std::string& fileName) {
    std::vector<std::string> lines;
    std::int32_t index = reader.IndexOf("desc.txt");
    TPackageEntry entry = reader.GetEntry(index);
    // An entry of negative size (or one that would start before the file) counts as no
    // description: the character still loads with what its picture gives, and the user is told.
    TStream* stream = index >= 0 && entry.Size >= 0 ? reader.OpenEntry("desc.txt") : nullptr;
    if (stream != nullptr) {
        // One that reaches past the end of the package is a read error, as a half-copied package
        // gives it; the size is checked before anything is allocated for it.
        if (stream->Remaining() < entry.Size) {
            throw EReadError("Stream read error");
        }
        std::string text(static_cast<std::size_t>(entry.Size), '\0');
        stream->ReadBuffer(text.data(), text.size());
        lines = SplitDescriptionLines(text);
    } else {
        ShowMessageBox("FileOpenError: desc.txt", "", MB_ICONERROR);
    }
    TCharacterDescription description = ReadCharacterDescription(lines);
    description.Name = FromCp932(description.Name);
    if (!description.Complete()) {
        ShowMessageBox(fileName + "(desc.txt) 読み込み中のエラー.", "エラー", MB_ICONERROR);
    }
    return description;
}

}  // namespace vlz
