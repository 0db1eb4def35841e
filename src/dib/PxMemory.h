#pragma once
// Pixel blocks. Every block of a store comes from GetMemory and goes back through FreeMemory with
// the same UseFileMapping flag. The mapped kind is an anonymous shared-memory section whose handle
// is kept as the mapping handle, so that a second view of the same pixels can be made (the DIB
// canvas draws through one). Both kinds start out zeroed.

#include <cstdint>

#include "platform/SharedMemory.h"

namespace vlz {

using MappingHandle = SectionHandle;
constexpr MappingHandle NoMapping = NoSection;

// Obtains a zero-filled block of `size` bytes. Raises EOutOfResources
// "GetMemory: Cannot Make File Mapping Object" / "GetMemory: Cannot Make View of File Map" for
// the mapped kind, and EOutOfMemory for the heap kind.
void GetMemory(std::int32_t size, MappingHandle& mapping, std::uint8_t*& bits, bool useFileMapping);

// Releases a block obtained by GetMemory; a null block is ignored. Resets both outputs.
void FreeMemory(MappingHandle& mapping, std::uint8_t*& bits, bool useFileMapping);

}  // namespace vlz
