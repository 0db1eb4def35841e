#include "platform/OwnEnvironment.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <string_view>

extern char** environ;

namespace vlz {
namespace {

// Each variable the program set for itself, with the value it had before (none: unset).
std::map<std::string, std::optional<std::string>, std::less<>>& OriginalValues() {
    static std::map<std::string, std::optional<std::string>, std::less<>> values;
    return values;
}

}  // namespace

void SetOwnEnvironment(const std::string& name, const std::string& value, bool overwrite) {
    const char* current = std::getenv(name.c_str());
    if (!overwrite && current != nullptr && *current != '\0') {
        return;
    }
    // The first value is the one the program was given; setting a variable twice keeps it.
    OriginalValues().try_emplace(
        name, current != nullptr ? std::optional<std::string>(current) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
}

std::vector<std::string> ChildEnvironment() {
    const auto& originals = OriginalValues();
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const auto original = originals.find(text.substr(0, text.find('=')));
        if (original == originals.end()) {
            entries.emplace_back(text);
        } else if (original->second) {
            entries.push_back(original->first + '=' + *original->second);
        }
    }
    return entries;
}

}  // namespace vlz
