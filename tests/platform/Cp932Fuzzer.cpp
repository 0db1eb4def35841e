// Any bytes read as text come back from writing that text as the same bytes, take as many bytes
// as they are long, and show without failing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = vlz::FromCp932(bytes);
    if (vlz::ToCp932(text) != bytes || vlz::Cp932Length(text) != size) {
        std::abort();
    }
    (void)vlz::Cp932Shown(text);
    return 0;
}
