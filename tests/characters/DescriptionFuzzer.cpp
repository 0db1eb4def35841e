// Description text of any shape: the settings read from it must always be drawable and timeable.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "characters/Description.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto lines = vlz::SplitDescriptionLines(text);
    for (const std::string& line : lines) {
        vlz::ParseDescriptionInteger(line);
    }
    vlz::TCharacterDescription description = vlz::ReadCharacterDescription(lines);
    if (description.PatternWidth < 1 || description.PatternWidth > vlz::MaximumPatternSide ||
        description.PatternHeight < 1 || description.PatternHeight > vlz::MaximumPatternSide ||
        description.PatternCount < 1 || description.AnimationInterval < 0) {
        __builtin_trap();
    }
    return 0;
}
