#include "platform/IniDocument.h"

#include <cstring>
#include <stdexcept>

#include "platform/Cp932.h"
#include "platform/Cp932Case.h"

namespace vlz {
namespace {

constexpr std::string_view CrLf = "\r\n";
constexpr std::string_view Lf = "\n";
constexpr std::string_view Cr = "\r";

bool IsSpace(char byte) {
    return byte == ' ' || byte == '\t';
}

// The first `wanted` in [from, to), or `to`.
const char* FindByte(const char* from, const char* to, char wanted) {
    const void* found = std::memchr(from, wanted, static_cast<std::size_t>(to - from));
    return found != nullptr ? static_cast<const char*>(found) : to;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsQuote(char byte) {
    return byte == '"' || byte == '\'';
}

// The position of `wanted` (a byte below 0x80) outside double-byte characters, or npos.
std::size_t FindSingleByte(std::string_view text, char wanted, std::size_t from = 0) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(text[i]))) {
            ++i;
        } else if (text[i] == wanted) {
            return i;
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::string QuoteIniValue(std::string_view value) {
    if (!value.empty() && (IsSpace(value.front()) || IsSpace(value.back()) ||
                           IsQuote(value.front()) || IsQuote(value.back()))) {
        std::string quoted;
        quoted.reserve(value.size() + 2);
        quoted += '"';
        quoted += value;
        quoted += '"';
        return quoted;
    }
    return std::string(value);
}

namespace {

// GCC 12 warns falsely about chains of operator+ that start with a literal; these build lines.
std::string Joined(std::string_view first, std::string_view second, std::string_view third) {
    std::string joined;
    joined.reserve(first.size() + second.size() + third.size());
    joined += first;
    joined += second;
    joined += third;
    return joined;
}

}  // namespace

std::string_view UnquoteIniValue(std::string_view stored) {
    if (stored.size() >= 2 && IsQuote(stored.front()) && stored.back() == stored.front()) {
        return stored.substr(1, stored.size() - 2);
    }
    return stored;
}

bool TIniDocument::Line::IsBlank() const {
    return Trim(text).empty();
}

TIniDocument::Line TIniDocument::MakeOwnedLine(std::string text, std::string_view ending) {
    owned_.push_back(std::move(text));
    return MakeLine(owned_.back(), ending);
}

TIniDocument::Line TIniDocument::MakeLine(std::string_view text, std::string_view ending) {
    Line line{text, ending};
    std::string_view view = text;
    std::size_t start = 0;
    while (start < view.size() && IsSpace(view[start])) {
        ++start;
    }
    if (start == view.size() || view[start] == ';' || view[start] == '[') {
        return line;
    }
    std::size_t equals = view.find('=', start);  // '=' is never the second byte of a character
    if (equals == std::string_view::npos) {
        return line;
    }
    std::string_view key = Trim(view.substr(start, equals - start));
    std::string_view value = Trim(view.substr(equals + 1));
    line.keyStart = start;
    line.keyLength = key.size();
    line.valueStart =
        value.empty() ? equals + 1 : static_cast<std::size_t>(value.data() - view.data());
    line.valueLength = value.size();
    return line;
}

void TIniDocument::Parse(std::string_view input) {
    source_ = std::make_unique<std::string>(input);
    owned_.clear();
    const std::string_view bytes = *source_;
    sections_.clear();
    sectionsByName_.clear();
    liveSectionsStale_ = true;
    lastWritten_ = SIZE_MAX;
    sections_.push_back(Section{"", "", false, false, {}});

    // A line ends at CR LF, at LF, or at a CR on its own, as the Windows profile functions read
    // it. The next LF is looked up once and kept, so that a file of CR-only lines is read in one
    // pass.
    const char* const start = bytes.data();
    const char* const end = start + bytes.size();
    const char* position = start;
    const char* newline = FindByte(start, end, '\n');
    while (position < end) {
        if (newline < position) {
            newline = FindByte(position, end, '\n');
        }
        // The CR of a CR LF is the line's last byte: only a CR before it ends the line early.
        const bool crLf = newline != end && newline != position && newline[-1] == '\r';
        const char* const carriageReturn = FindByte(position, crLf ? newline - 1 : newline, '\r');
        const char* lineEnd = newline;
        std::string_view ending = newline == end ? std::string_view() : crLf ? CrLf : Lf;
        if (carriageReturn != (crLf ? newline - 1 : newline)) {
            lineEnd = carriageReturn;
            ending = Cr;
        } else if (crLf) {
            lineEnd = newline - 1;
        }
        const std::string_view text(position, static_cast<std::size_t>(lineEnd - position));
        position = lineEnd + ending.size();

        std::string_view trimmed = Trim(text);
        if (!trimmed.empty() && trimmed.front() == '[') {
            std::size_t close = FindSingleByte(trimmed, ']', 1);
            std::string_view name = Trim(
                close == std::string_view::npos ? trimmed.substr(1) : trimmed.substr(1, close - 1));
            Section section{std::string(name), Cp932LowerCase(name), true, false, {}};
            section.lines.reserve(16);  // a note's lines, without regrowing
            section.lines.push_back(Line{text, ending});
            sectionsByName_[section.folded].push_back(sections_.size());
            sections_.push_back(std::move(section));
        } else {
            sections_.back().lines.push_back(MakeLine(text, ending));
        }
    }
}

std::string TIniDocument::Serialize() const {
    std::size_t size = 0;
    for (const Section& section : sections_) {
        if (!section.erased) {
            for (const Line& line : section.lines) {
                size += line.text.size() + line.ending.size();
            }
        }
    }
    std::string bytes;
    bytes.reserve(size);
    for (const Section& section : sections_) {
        if (!section.erased) {
            for (const Line& line : section.lines) {
                bytes += line.text;
                bytes += line.ending;
            }
        }
    }
    return bytes;
}

const std::vector<std::size_t>& TIniDocument::LiveSections() const {
    if (liveSectionsStale_) {
        liveSections_.clear();
        for (std::size_t i = 0; i < sections_.size(); ++i) {
            if (sections_[i].hasHeader && !sections_[i].erased) {
                liveSections_.push_back(i);
            }
        }
        liveSectionsStale_ = false;
    }
    return liveSections_;
}

std::vector<std::string> TIniDocument::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(LiveSections().size());
    for (std::size_t index : LiveSections()) {
        names.push_back(sections_[index].name);
    }
    return names;
}

std::size_t TIniDocument::SectionCount() const {
    return LiveSections().size();
}

const TIniDocument::Section* TIniDocument::FindSection(std::string_view section) const {
    auto found = sectionsByName_.find(Cp932LowerCase(section));
    return found == sectionsByName_.end() ? nullptr : &sections_[found->second.front()];
}

const TIniDocument::Line* TIniDocument::FindKey(const Section& section, std::string_view key) {
    for (const Line& line : section.lines) {
        if (line.IsKey() && Cp932SameIgnoringCase(line.Key(), key)) {
            return &line;
        }
    }
    return nullptr;
}

std::optional<std::string_view> TIniDocument::Value(std::string_view section,
                                                    std::string_view key) const {
    const Section* found = FindSection(section);
    const Line* line = found ? FindKey(*found, key) : nullptr;
    if (!line) {
        return std::nullopt;
    }
    return UnquoteIniValue(line->RawValue());
}

std::optional<std::string_view> TIniDocument::ValueAt(std::size_t sectionPosition,
                                                      std::string_view key) const {
    const std::vector<std::size_t>& live = LiveSections();
    if (sectionPosition >= live.size()) {
        return std::nullopt;
    }
    const Line* line = FindKey(sections_[live[sectionPosition]], key);
    if (!line) {
        return std::nullopt;
    }
    return UnquoteIniValue(line->RawValue());
}

void TIniDocument::AppendLine(Section& section, Line line) {
    // The line before the new one must end; a file's last line may have had no line end.
    for (auto other = sections_.rbegin(); other != sections_.rend(); ++other) {
        if (!other->erased && !other->lines.empty()) {
            if (other->lines.back().ending.empty()) {
                other->lines.back().ending = CrLf;
            }
            break;
        }
    }
    section.lines.push_back(std::move(line));
}

void TIniDocument::SetValue(std::string_view section, std::string_view key,
                            std::string_view value) {
    for (std::string_view text : {section, key, value}) {
        if (text.find('\n') != std::string_view::npos ||
            text.find('\r') != std::string_view::npos) {
            throw std::invalid_argument("an INI name or value cannot hold a line break");
        }
    }
    if (FindSingleByte(section, ']') != std::string_view::npos || Trim(section) != section ||
        key.find('=') != std::string_view::npos || Trim(key) != key ||
        (!key.empty() && (key.front() == ';' || key.front() == '['))) {
        throw std::invalid_argument("this name cannot be written to an INI file");
    }
    std::string stored = QuoteIniValue(value);

    // Writes come section by section; the section of the previous write is checked first.
    if (lastWritten_ < sections_.size() && !sections_[lastWritten_].erased &&
        Cp932SameIgnoringCase(sections_[lastWritten_].name, section)) {
        SetValueIn(sections_[lastWritten_], key, stored);
        return;
    }
    auto found = sectionsByName_.find(Cp932LowerCase(section));
    if (found == sectionsByName_.end()) {
        // A new section goes to the end, right after the last line, as Windows NT writes it (the
        // blank line before it was the Windows 9x layout).
        std::size_t index = sections_.size();
        sections_.push_back(
            Section{std::string(section), Cp932LowerCase(section), true, false, {}});
        sections_.back().lines.reserve(16);  // room for a whole note without regrowing
        AppendLine(sections_.back(), MakeOwnedLine(Joined("[", section, "]"), CrLf));
        sections_.back().lines.push_back(MakeOwnedLine(Joined(key, "=", stored), CrLf));
        sectionsByName_[sections_.back().folded].push_back(index);
        liveSectionsStale_ = true;
        lastWritten_ = index;
        return;
    }
    lastWritten_ = found->second.front();
    SetValueIn(sections_[lastWritten_], key, stored);
}

void TIniDocument::SetValueIn(Section& target, std::string_view key, const std::string& stored) {
    for (Line& line : target.lines) {
        if (line.IsKey() && Cp932SameIgnoringCase(line.Key(), key)) {
            if (line.RawValue() != stored) {
                // The key keeps its place and its spelling.
                line = MakeOwnedLine(Joined(line.Key(), "=", stored), line.ending);
            }
            return;
        }
    }

    // A new key follows the last line of its section that is not blank.
    std::size_t insertAt = target.lines.size();
    while (insertAt > 1 && target.lines[insertAt - 1].IsBlank()) {
        --insertAt;
    }
    if (insertAt > 0 && target.lines[insertAt - 1].ending.empty()) {
        target.lines[insertAt - 1].ending = CrLf;
    }
    target.lines.insert(target.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                        MakeOwnedLine(Joined(key, "=", stored), CrLf));
}

void TIniDocument::EraseSection(std::string_view section) {
    auto found = sectionsByName_.find(Cp932LowerCase(section));
    if (found == sectionsByName_.end()) {
        return;
    }
    for (std::size_t index : found->second) {
        sections_[index].erased = true;
        sections_[index].lines.clear();
        sections_[index].lines.shrink_to_fit();
    }
    sectionsByName_.erase(found);
    liveSectionsStale_ = true;
}

}  // namespace vlz
