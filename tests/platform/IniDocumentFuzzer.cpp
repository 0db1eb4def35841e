// Any bytes parse and give themselves back; a key written to any section reads back as written,
// and an erased section is gone.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/IniDocument.h"
#include "support/FuzzCheck.h"

using vlz::testing::FuzzCheck;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    vlz::TIniDocument document(bytes);
    FuzzCheck(document.Serialize() == bytes);

    std::vector<std::string> names = document.SectionNames();
    for (std::size_t i = 0; i < names.size() && i < 64; ++i) {
        (void)document.Value(names[i], "Memo");
        (void)document.ValueAt(i, "FontName");
    }

    // A value made of the input's last bytes, written to the first section and to a new one.
    std::string value(bytes.substr(size - std::min<std::size_t>(size, 24)));
    for (const std::string& section :
         {names.empty() ? std::string("S") : names.front(), std::string("new section")}) {
        try {
            document.SetValue(section, "Key", value);
        } catch (const std::invalid_argument&) {
            continue;  // a line break, or a name that cannot be written: refused, not written
        }
        vlz::TIniDocument reread(document.Serialize());
        auto stored = reread.Value(section, "key");
        FuzzCheck(stored.has_value() && *stored == value);
    }

    if (!names.empty()) {
        document.EraseSection(names.front());
        vlz::TIniDocument reread(document.Serialize());
        FuzzCheck(!reread.Value(names.front(), "key").has_value() ||
                  names.front() == "new section");
    }
    return 0;
}
