#include "platform/DesktopEntry.h"

#include <fstream>

namespace vlz {
namespace {

// The escapes of a desktop-entry string value.
std::string Unescape(std::string_view value) {
    std::string result;
    for (std::size_t index = 0; index < value.size(); ++index) {
        if (value[index] != '\\' || index + 1 == value.size()) {
            result += value[index];
            continue;
        }
        switch (value[++index]) {
            case 's':
                result += ' ';
                break;
            case 'n':
                result += '\n';
                break;
            case 't':
                result += '\t';
                break;
            case 'r':
                result += '\r';
                break;
            case '\\':
                result += '\\';
                break;
            default:
                // Not a string escape: the Exec rules read it later (\" \$ \`).
                result += '\\';
                result += value[index];
                break;
        }
    }
    return result;
}

}  // namespace

std::string_view TrimKeyFileText(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool ForEachKeyFileEntry(
    const std::string& location, std::string_view group,
    const std::function<void(std::string_view key, std::string_view value)>& entry) {
    std::ifstream file(location, std::ios::binary);
    if (!file) {
        return false;
    }
    bool inGroup = false;
    std::string line;
    while (std::getline(file, line)) {
        std::string_view text = TrimKeyFileText(line);
        if (text.empty() || text.front() == '#') {
            continue;
        }
        if (text.front() == '[') {
            inGroup = text.size() == group.size() + 2 && text.substr(1, group.size()) == group;
            continue;
        }
        std::size_t equals = text.find('=');
        if (inGroup && equals != std::string_view::npos) {
            entry(TrimKeyFileText(text.substr(0, equals)),
                  TrimKeyFileText(text.substr(equals + 1)));
        }
    }
    return true;
}

std::optional<DesktopEntry> ReadDesktopEntry(const std::string& location) {
    DesktopEntry entry;
    entry.Location = location;
    std::string type;
    bool hidden = false;
    bool read = ForEachKeyFileEntry(location, "Desktop Entry",
                                    [&](std::string_view key, std::string_view raw) {
                                        std::string value = Unescape(raw);
                                        if (key == "Type") {
                                            type = value;
                                        } else if (key == "Name") {
                                            entry.Name = value;
                                        } else if (key == "Icon") {
                                            entry.Icon = value;
                                        } else if (key == "Exec") {
                                            entry.Exec = value;
                                        } else if (key == "Hidden") {
                                            hidden = value == "true";
                                        }
                                    });
    if (!read) {
        return std::nullopt;
    }
    if (type != "Application" || hidden || TrimKeyFileText(entry.Exec).empty()) {
        return std::nullopt;
    }
    return entry;
}

std::optional<std::vector<std::string>> ExpandExec(const DesktopEntry& entry,
                                                   std::string_view placeholder) {
    std::vector<std::string> words;
    bool placed = false;
    const std::string& exec = entry.Exec;
    std::size_t position = 0;
    while (position < exec.size()) {
        if (exec[position] == ' ' || exec[position] == '\t') {
            ++position;
            continue;
        }
        std::string word;
        bool literal = false;  // quoted text counts even when it is empty
        bool onlyFieldCode = true;
        std::size_t start = position;
        while (position < exec.size() && exec[position] != ' ' && exec[position] != '\t') {
            char character = exec[position];
            if (character == '"') {
                ++position;
                literal = true;
                onlyFieldCode = false;
                for (;;) {
                    if (position == exec.size()) {
                        return std::nullopt;
                    }
                    char inner = exec[position++];
                    if (inner == '"') {
                        break;
                    }
                    if (inner == '\\' && position < exec.size()) {
                        inner = exec[position++];
                    }
                    word += inner;
                }
            } else if (character == '%' && position + 1 < exec.size()) {
                char code = exec[position + 1];
                position += 2;
                bool whole =
                    start + 2 == position &&
                    (position == exec.size() || exec[position] == ' ' || exec[position] == '\t');
                switch (code) {
                    case 'f':
                    case 'F':
                    case 'u':
                    case 'U':
                        if (!placed) {
                            word += placeholder;
                            placed = true;
                        }
                        break;
                    case 'i':
                        if (whole && !entry.Icon.empty()) {
                            words.emplace_back("--icon");
                            word += entry.Icon;
                        }
                        break;
                    case 'c':
                        word += entry.Name;
                        break;
                    case 'k':
                        word += entry.Location;
                        break;
                    case '%':
                        word += '%';
                        onlyFieldCode = false;
                        break;
                    default:
                        break;
                }
            } else {
                word += character;
                onlyFieldCode = false;
                ++position;
            }
        }
        // A field code that stands alone and expands to nothing leaves no empty argument.
        if (!word.empty() || literal || !onlyFieldCode) {
            words.push_back(std::move(word));
        }
    }
    if (words.empty() || words.front().empty()) {
        return std::nullopt;
    }
    return words;
}

}  // namespace vlz
