#include "app/core/IniFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/Cp932.h"

namespace vlz {
namespace {

// Names and most values are ASCII, which CP932 holds byte for byte; they skip the converter.
bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

std::string Encode(std::string_view utf8) {
    return IsAscii(utf8) ? std::string(utf8) : ToCp932(utf8);
}

std::string Decode(std::string_view cp932) {
    return IsAscii(cp932) ? std::string(cp932) : FromCp932(cp932);
}

}  // namespace

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    bool hexadecimal = false;
    if (!text.empty() && text.front() == '$') {
        text.remove_prefix(1);
        hexadecimal = true;
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        hexadecimal = true;
    }
    if (hexadecimal) {
        std::uint32_t value = 0;
        if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text.front()))) {
            return std::nullopt;
        }
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
        if (error != std::errc() || end != text.data() + text.size()) {
            return std::nullopt;
        }
        return static_cast<std::int32_t>(value);
    }
    bool plus = !text.empty() && text.front() == '+';
    if (plus) {
        text.remove_prefix(1);
    }
    if (text.empty() || (plus && text.front() == '-')) {
        return std::nullopt;
    }
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string_view> TIniFile::Raw(const TIniSection& section, std::string_view key) {
    std::optional<std::string_view> value;
    std::string cp932Key = Encode(key);
    if (const std::size_t* position = section.Position()) {
        value = profile_.Document().ValueAt(*position, cp932Key);
    } else {
        value = profile_.Document().Value(Encode(*section.Name()), cp932Key);
    }
    if (value) {
        value = Cp932Prefix(*value, ValueBufferSize - 1);
    }
    return value;
}

std::optional<std::string> TIniFile::ReadRawString(const TIniSection& section,
                                                   std::string_view key) {
    std::optional<std::string_view> value = Raw(section, key);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

std::string TIniFile::ReadString(const TIniSection& section, std::string_view key,
                                 std::string_view defaultValue) {
    std::optional<std::string_view> value = Raw(section, key);
    return value ? Decode(*value) : std::string(defaultValue);
}

std::int32_t TIniFile::ReadInteger(const TIniSection& section, std::string_view key,
                                   std::int32_t defaultValue) {
    std::optional<std::string_view> value = Raw(section, key);
    if (!value) {
        return defaultValue;
    }
    return ParseIniInteger(*value).value_or(defaultValue);
}

bool TIniFile::ReadBool(const TIniSection& section, std::string_view key, bool defaultValue) {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteRawString(std::string_view section, std::string_view key,
                              std::string_view cp932) {
    profile_.SetValue(Encode(section), Encode(key), cp932);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    WriteRawString(section, key, Encode(value));
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteRawString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteRawString(section, key, value ? "1" : "0");
}

std::vector<std::string> TIniFile::ReadSections() {
    std::vector<std::string> names = profile_.Document().SectionNames();
    for (std::string& name : names) {
        name = Decode(name);
    }
    return names;
}

std::size_t TIniFile::SectionCount() {
    return profile_.Document().SectionCount();
}

void TIniFile::EraseSection(std::string_view section) {
    profile_.EraseSection(Encode(section));
}

void TIniFile::EraseAllSections() {
    // By their stored bytes: a name that is no valid CP932 would not survive a trip through UTF-8.
    for (const std::string& name : profile_.Document().SectionNames()) {
        profile_.EraseSection(name);
    }
}

}  // namespace vlz
