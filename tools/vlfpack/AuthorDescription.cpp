#include "AuthorDescription.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/Cp932.h"

namespace vlz {
namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        std::uint32_t value = lead;
        std::uint32_t minimum = 0;
        if (lead >= 0x80) {
            if ((lead & 0xE0) == 0xC0) {
                length = 2, value = lead & 0x1Fu, minimum = 0x80;
            } else if ((lead & 0xF0) == 0xE0) {
                length = 3, value = lead & 0x0Fu, minimum = 0x800;
            } else if ((lead & 0xF8) == 0xF0) {
                length = 4, value = lead & 0x07u, minimum = 0x10000;
            } else {
                return false;
            }
        }
        if (length > text.size() - i) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (next & 0x3Fu);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

// Every line break as CR LF, the last line ended too. CR and LF never occur inside a UTF-8
// sequence, so this works on the UTF-8 text before conversion.
std::string WithCrLf(std::string_view text) {
    std::string result;
    result.reserve(text.size() + text.size() / 16 + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            result += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            result += text[i];
        }
    }
    if (!result.empty() && !result.ends_with("\r\n")) {
        result += "\r\n";
    }
    return result;
}

// The first character of the (valid) UTF-8 text that CP932 lacks.
std::string FirstCharacterNotInCp932(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 1;
        while (i + length < utf8.size() &&
               (static_cast<unsigned char>(utf8[i + length]) & 0xC0) == 0x80) {
            ++length;
        }
        std::string_view character = utf8.substr(i, length);
        if (!FitsCp932(character)) {
            return std::string(character);
        }
        i += length;
    }
    return {};
}

std::string NotInCp932(std::string_view what, std::string_view utf8) {
    return std::string(what) + " has a character Shift-JIS cannot hold: \"" +
           FirstCharacterNotInCp932(utf8) + "\"";
}

bool SameKeyIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::string_view TrimSpaces(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A line meant for the key that the program does not count for it ("Name = Tobble").
std::optional<std::string> NearMiss(const std::vector<std::string>& lines, std::string_view key) {
    for (const std::string& line : lines) {
        std::size_t equals = line.find('=');
        if (equals != std::string::npos &&
            SameKeyIgnoringCase(TrimSpaces(std::string_view(line).substr(0, equals)), key)) {
            return line;
        }
    }
    return std::nullopt;
}

std::string Requirement(std::string_view key) {
    if (key == "PatternCount") {
        return "a whole number of frames, 1 or more";
    }
    if (key == "AnimationInterval") {
        return "a whole number of milliseconds, 0 or more";
    }
    return "a whole number of pixels from 1 to " + std::to_string(MaximumPatternSide);
}

std::string SettingFault(const std::vector<std::string>& lines, const std::string& key) {
    if (std::optional<std::string> value = DescriptionValue(lines, key)) {
        return key + " is \"" + FromCp932(*value) + "\"; it must be " + Requirement(key);
    }
    if (std::optional<std::string> line = NearMiss(lines, key)) {
        return "the line \"" + FromCp932(*line) + "\" does not count for " + key +
               ": nothing may stand between the key and the \"=\"";
    }
    return "there is no " + key + " line; it must be " + Requirement(key);
}

// Converts a UTF-8 description (line ends already CR LF), naming what Shift-JIS cannot hold.
std::string DescriptionToCp932(const std::string& utf8) {
    try {
        return ToCp932(utf8);
    } catch (const ECp932Error&) {
        std::vector<std::string> lines = SplitDescriptionLines(utf8);
        for (std::size_t index = 0; index < lines.size(); ++index) {
            const std::string& line = lines[index];
            if (FitsCp932(line)) {
                continue;
            }
            if (DescriptionValue({line}, "Name")) {
                throw EDescriptionError(
                    NotInCp932("the name \"" + *DescriptionValue({line}, "Name") + "\"", line));
            }
            throw EDescriptionError(NotInCp932("line " + std::to_string(index + 1), line));
        }
        // Past a NUL byte, where the program stops reading.
        throw EDescriptionError(NotInCp932("the text", utf8));
    }
}

// Reads the settings of a CP932 description as the program does; refuses what it would refuse.
void ReadSettings(TPackageDescription& description) {
    std::vector<std::string> lines = SplitDescriptionLines(description.Text);
    description.Settings = ReadCharacterDescription(lines);
    if (!description.Settings.Complete()) {
        throw EDescriptionError(SettingFault(lines, description.Settings.FailedKey));
    }
    std::string& name = description.Settings.Name;
    name = FromCp932(name);
    if (!DescriptionValue(lines, "Name")) {
        std::optional<std::string> nearMiss = NearMiss(lines, "Name");
        description.Warnings.push_back(
            nearMiss ? "the line \"" + FromCp932(*nearMiss) +
                           "\" does not count for Name: nothing may stand between the key and "
                           "the \"=\"; the character has no name"
                     : "there is no Name line; the character has no name");
    } else if (name.empty()) {
        description.Warnings.push_back("the name is empty");
    } else if (name != TrimSpaces(name)) {
        description.Warnings.push_back("the name \"" + name +
                                       "\" begins or ends with a space, which is part of it");
    }
}

}  // namespace

TPackageDescription MakePackageDescription(const std::vector<std::uint8_t>& source) {
    std::string_view text(reinterpret_cast<const char*>(source.data()), source.size());
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        throw EDescriptionError("it is UTF-16 text; save it as UTF-8 or Shift-JIS");
    }
    TPackageDescription description;
    const bool bom = text.starts_with(Utf8Bom);
    if (bom) {
        text.remove_prefix(Utf8Bom.size());
    }
    // Valid UTF-8 is taken for UTF-8: Shift-JIS text is almost never valid UTF-8, while
    // UTF-8 text is often valid Shift-JIS.
    if ((bom || !IsAscii(text)) && IsUtf8(text)) {
        description.Text = DescriptionToCp932(WithCrLf(text));
        description.Converted = true;
    } else if (bom || FromCp932(text).find(ReplacementCharacter) != std::string::npos) {
        throw EDescriptionError("it is neither UTF-8 nor Shift-JIS text");
    } else {
        description.Text = std::string(text);
    }
    ReadSettings(description);
    return description;
}

TPackageDescription NewPackageDescription(const std::string& name, const std::string& width,
                                          const std::string& height, const std::string& count,
                                          const std::string& interval) {
    if (name.empty()) {
        throw EDescriptionError("the name is empty");
    }
    if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
        throw EDescriptionError("the name must be one line");
    }
    if (!IsUtf8(name)) {
        throw EDescriptionError("the name is not UTF-8 text");
    }
    if (!FitsCp932(name)) {
        throw EDescriptionError(NotInCp932("the name \"" + name + "\"", name));
    }
    std::string text = "Name=" + name + "\r\n";
    const std::pair<const char*, const std::string*> settings[] = {
        {"PatternWidth", &width},
        {"PatternHeight", &height},
        {"PatternCount", &count},
        {"AnimationInterval", &interval},
    };
    for (const auto& [key, value] : settings) {
        // Plain decimal here: the "$" and "0x" forms the program also reads are for old files.
        bool decimal = !value->empty() && std::all_of(value->begin(), value->end(),
                                                      [](char c) { return c >= '0' && c <= '9'; });
        std::optional<std::int32_t> number =
            decimal ? ParseDescriptionInteger(*value) : std::optional<std::int32_t>();
        if (!number) {
            throw EDescriptionError(std::string(key) + " is \"" + *value + "\"; it must be " +
                                    Requirement(key));
        }
        text += std::string(key) + "=" + std::to_string(*number) + "\r\n";
    }
    const std::string cp932 = ToCp932(text);
    if (!IsAscii(cp932) && IsUtf8(cp932)) {
        throw EDescriptionError("the name \"" + name +
                                "\" in Shift-JIS reads as UTF-8 text; choose another name");
    }
    return MakePackageDescription(std::vector<std::uint8_t>(cp932.begin(), cp932.end()));
}

}  // namespace vlz
