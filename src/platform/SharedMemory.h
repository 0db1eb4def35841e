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
// A mapping of a whole section. It keeps the length it was made with: the section may be closed,
// and its number taken by a newer section of another size, before the view is unmapped.
struct TSectionView {
    std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
};

// A view of the whole section; Data is nullptr when none can be made.
TSectionView MapSection(SectionHandle section);
// Unmaps a view made by MapSection (an empty view is ignored) and empties it.
void UnmapSection(TSectionView& view);
// Writes `size` bytes into the section at `offset` without going through a view: the kernel fills
// whole pages at once instead of taking one fault per page. False when not all could be written.
bool WriteSection(SectionHandle section, std::size_t offset, const void* data, std::size_t size);
// Closes the section; views stay valid until unmapped.
void CloseSection(SectionHandle section);

}  // namespace vlz
