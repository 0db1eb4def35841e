#pragma once
// Anonymous shared-memory sections (in place of paging-file mappings). The section is a memfd
// descriptor; each view is a read-write mapping of the whole section. A second view of the same
// section sees and changes the same bytes. New sections are zero-filled.

#include <cstddef>
#include <cstdint>

namespace vlz {

using SectionHandle = int;
constexpr SectionHandle NoSection = -1;

// A new section of `size` bytes (at least 1), or NoSection.
SectionHandle CreateSection(std::size_t size);
// The section's size in bytes, or 0 for an invalid handle.
std::size_t SectionSize(SectionHandle section);
// A view of the whole section, or nullptr.
std::uint8_t* MapSection(SectionHandle section);
// Unmaps a view made by MapSection.
void UnmapSection(SectionHandle section, std::uint8_t* view);
// Writes `size` bytes into the section at `offset` without going through a view: the kernel fills
// whole pages at once instead of taking one fault per page. False when not all could be written.
bool WriteSection(SectionHandle section, std::size_t offset, const void* data, std::size_t size);
// Closes the section; views stay valid until unmapped.
void CloseSection(SectionHandle section);

}  // namespace vlz
