// Package bytes of any shape: opening, every lookup and the description load must stay sound.

#include <cstddef>
#include <cstdint>

#include "characters/Description.h"
#include "characters/PackageFile2.h"
#include "doubles/ScriptedMessageBoxes.h"
#include "platform/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Boxes are answered with their default button, as a user who just closes them would.
    vlz::testing::ScriptedMessageBoxes boxes;
    vlz::TReadOnlyMemoryStream stream(data, size);
    vlz::TReadPackageFile reader;
    reader.OpenStream(stream);
    for (std::int32_t i = -1; i <= reader.Count(); ++i) {
        vlz::TPackageEntry entry = reader.GetEntry(i);
        if (reader.IndexOf(entry.Name) < 0 && i >= 0 && i < reader.Count()) {
            __builtin_trap();  // an entry must always be found by its own name
        }
        if (reader.Contains(entry)) {
            if (vlz::TStream* entryStream = reader.OpenEntry(entry.Name)) {
                entryStream->Position();
            }
        }
    }
    vlz::TCharacterDescription description;
    try {
        description = vlz::LoadPackageDescription(reader, "fuzz.vlf");
    } catch (const vlz::EReadError&) {
        return 0;  // a description that reaches past the end of the package
    }
    if (description.PatternWidth < 1 || description.PatternHeight < 1 ||
        description.PatternCount < 1 || description.AnimationInterval < 0) {
        __builtin_trap();
    }
    return 0;
}
