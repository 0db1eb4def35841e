#pragma once
// The private-profile text model: an INI document held as CP932 bytes, read and changed the way the
// Windows profile functions do it, so that files written by the Windows program load the same and
// everything the program does not change survives byte for byte.
//
//   line        := section header | key line | comment | anything else, ended by CR LF, LF or CR
//   header      := [ws] '[' name ']' [anything]        (the name trimmed of spaces and tabs)
//   key line    := [ws] key [ws] '=' [ws] value [ws]   (a first byte of ';' makes a comment)
//
// Names are matched without regard to ASCII case; the bytes of a double-byte character are never
// folded. The first matching section, and in it the first matching key, wins. A value wrapped in a
// pair of double or single quotes reads without them.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vlz {

class TIniDocument {
  public:
    TIniDocument() = default;
    explicit TIniDocument(std::string_view bytes) { Parse(bytes); }
    // Lines point into the document's own storage, which a move keeps in place and a copy would
    // not.
    TIniDocument(const TIniDocument&) = delete;
    TIniDocument& operator=(const TIniDocument&) = delete;
    TIniDocument(TIniDocument&&) = default;
    TIniDocument& operator=(TIniDocument&&) = default;

    // Replaces the content with the parsed bytes; Serialize() gives them back unchanged.
    void Parse(std::string_view bytes);
    std::string Serialize() const;

    // The names of the sections in file order, duplicates included.
    std::vector<std::string> SectionNames() const;
    std::size_t SectionCount() const;

    // The value of the first matching key of the first matching section (or of the section at a
    // position of SectionNames), without surrounding whitespace and quotes; nullopt when missing.
    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;
    std::optional<std::string_view> ValueAt(std::size_t sectionPosition,
                                            std::string_view key) const;

    // Sets a key, creating the section at the end of the document (right after its last line) and
    // the key after the last line of its section that is not blank; an existing key keeps its
    // place. A value that would not read back as
    // itself (surrounding whitespace or quotes) is written inside a pair of double quotes. Names
    // and values that hold a line break are refused with std::invalid_argument, since they would
    // tear the line apart.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);

    // Removes every section of that name with all its lines.
    void EraseSection(std::string_view section);

  private:
    struct Line {
        std::string_view text;    // without its line end; in source_ or owned_
        std::string_view ending;  // "\r\n", "\n", "\r", or "" for a last line without one
        // Where the key and value stand in `text`; keyLength == npos for lines that are no key.
        std::size_t keyStart = 0, keyLength = std::string::npos;
        std::size_t valueStart = 0, valueLength = 0;

        bool IsKey() const { return keyLength != std::string::npos; }
        std::string_view Key() const { return text.substr(keyStart, keyLength); }
        std::string_view RawValue() const { return text.substr(valueStart, valueLength); }
        bool IsBlank() const;
    };
    struct Section {
        std::string name;       // as written, trimmed
        std::string folded;     // Cp932LowerCase(name)
        bool hasHeader = true;  // false for the lines before the first header
        bool erased = false;
        std::vector<Line> lines;  // the header first (when there is one)
    };

    static Line MakeLine(std::string_view text, std::string_view ending);
    // A line whose text the document keeps in owned_.
    Line MakeOwnedLine(std::string text, std::string_view ending);
    const Section* FindSection(std::string_view section) const;
    static const Line* FindKey(const Section& section, std::string_view key);
    void AppendLine(Section& section, Line line);
    void SetValueIn(Section& target, std::string_view key, const std::string& stored);

    const std::vector<std::size_t>& LiveSections() const;

    // The parsed bytes, and the texts of lines written since; lines are views into them, so that
    // a large file costs no allocation per line.
    std::unique_ptr<std::string> source_;
    std::deque<std::string> owned_;
    std::vector<Section> sections_;  // the lines before the first header come first
    // Folded name → indexes of the live sections of that name, in file order.
    std::unordered_map<std::string, std::vector<std::size_t>> sectionsByName_;
    // Indexes of the sections with a header that are not erased, rebuilt after a change.
    mutable std::vector<std::size_t> liveSections_;
    mutable bool liveSectionsStale_ = true;
    std::size_t lastWritten_ = SIZE_MAX;  // the section of the latest SetValue
};

// How a value is written so that reading it gives it back: wrapped in double quotes when it starts
// or ends with whitespace or a quote.
std::string QuoteIniValue(std::string_view value);
// What reading makes of a stored value: one pair of matching surrounding quotes removed.
std::string_view UnquoteIniValue(std::string_view stored);

}  // namespace vlz
