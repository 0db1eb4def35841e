// Desktop entries of any shape, as installed applications and users write them, and the command
// the program builds from one to open an address. The address stands whole in exactly one
// argument or in none, however the Exec line quotes, escapes and places its field codes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DesktopEntry.h"
#include "support/FuzzCheck.h"
#include "support/FuzzFolder.h"

namespace {

using vlz::testing::FuzzCheck;

// An address with every character an Exec line gives a meaning to.
constexpr std::string_view Address = "http://h/a b\t\"c\" 'd' \\%u %% $e `f`;g";

void CheckExpansion(const vlz::DesktopEntry& entry) {
    std::optional<std::vector<std::string>> words = vlz::ExpandExec(entry, Address);
    if (!words) {
        return;
    }
    FuzzCheck(!words->empty() && !words->front().empty());
    std::size_t holding = 0;
    for (const std::string& word : *words) {
        // The entry's own name or location may hold the address's text too; only the count of
        // arguments where the address itself landed matters.
        if (word.find(Address) != std::string::npos &&
            entry.Name.find(Address) == std::string::npos &&
            entry.Location.find(Address) == std::string::npos &&
            entry.Icon.find(Address) == std::string::npos) {
            ++holding;
        }
    }
    FuzzCheck(holding <= 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckExpansion(
        {"/usr/share/applications/browser.desktop", "Browser", "browser", std::string(input)});

    static const std::string file = vlz::testing::FuzzFolder() / "browser.desktop";
    vlz::testing::WriteFuzzInput(file, data, size);
    if (std::optional<vlz::DesktopEntry> entry = vlz::ReadDesktopEntry(file)) {
        FuzzCheck(entry->Location == file && !vlz::TrimKeyFileText(entry->Exec).empty());
        CheckExpansion(*entry);
    }
    return 0;
}
