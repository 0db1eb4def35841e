#pragma once
// Hints to the kernel about fresh memory that is about to be written from end to end, and memory
// handed back once a burst of work is over.

#include <cstddef>

namespace vlz {

// Maps the whole-page part of [block, block + size) in one go (huge pages where the kernel allows
// them for that memory) instead of one page fault per page as the block is filled. Only a hint:
// nothing happens where the kernel does not support it. Use it only on blocks whose every byte
// is about to be written, as it makes all their pages resident at once.
void PrepareForWriting(void* block, std::size_t size);

// Gives the memory that the allocator holds free (left by work that is over, such as a program's
// start-up) back to the system.
void ReturnFreeMemory();

// Unmaps the pages of the program's code, its libraries and the read-only files it maps (fonts)
// that are mapped now: a start-up touches many that a quiet program never needs again, and what
// it does need maps back in, a page at a time, when it is touched. The files' pages stay in the
// system's cache, shared with other programs; private copies (relocated data) stay as they are.
// Call only while no other thread maps or unmaps files: the mappings are listed first and advised
// after, and memory mapped in the place of a listed file mapping in between would be emptied.
void ReleaseFilePages();

}  // namespace vlz
