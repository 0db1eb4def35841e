#include "platform/CommandLine.h"

namespace vlz {
namespace {

bool IsBlank(char character) {
    return character == ' ' || character == '\t';
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> words;
    std::size_t position = 0;
    const std::size_t length = commandLine.size();
    while (position < length && IsBlank(commandLine[position])) {
        ++position;
    }
    if (position == length) {
        return words;
    }

    // The program name: quotes only group, backslashes are path separators.
    std::string program;
    if (commandLine[position] == '"') {
        ++position;
        while (position < length && commandLine[position] != '"') {
            program += commandLine[position++];
        }
        if (position < length) {
            ++position;  // the closing quote
        }
    } else {
        while (position < length && !IsBlank(commandLine[position])) {
            program += commandLine[position++];
        }
    }
    words.push_back(std::move(program));

    std::string word;
    bool inWord = false;
    bool quoted = false;
    while (position < length) {
        char character = commandLine[position];
        if (IsBlank(character) && !quoted) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
            ++position;
        } else if (character == '\\') {
            std::size_t backslashes = 0;
            while (position < length && commandLine[position] == '\\') {
                ++backslashes;
                ++position;
            }
            if (position < length && commandLine[position] == '"') {
                word.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    word += '"';
                    ++position;
                }
            } else {
                word.append(backslashes, '\\');
            }
            inWord = true;
        } else if (character == '"') {
            if (quoted && position + 1 < length && commandLine[position + 1] == '"') {
                word += '"';
                position += 2;
            } else {
                quoted = !quoted;
                ++position;
            }
            inWord = true;
        } else {
            word += character;
            inWord = true;
            ++position;
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

std::string QuoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
        return std::string(argument);
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char character : argument) {
        if (character == '\\') {
            ++backslashes;
            continue;
        }
        if (character == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += character;
    }
    // Backslashes before the closing quote must not escape it.
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

std::string JoinCommandLine(const std::vector<std::string>& words) {
    if (words.empty() || words.front().empty() || words.front().find('"') != std::string::npos) {
        return {};
    }
    std::string line;
    const std::string& program = words.front();
    if (program.find_first_of(" \t") != std::string::npos) {
        line = '"' + program + '"';
    } else {
        line = program;
    }
    for (std::size_t index = 1; index < words.size(); ++index) {
        line += ' ';
        line += QuoteArgument(words[index]);
    }
    return line;
}

}  // namespace vlz
