#pragma once
// Packed DIBs, the data of the clipboard format CF_DIB: a BMP image without its file header,
// held in a global memory block.
//
//   BITMAPINFOHEADER (40) | [3 masks with BI_BITFIELDS] | colour table | pixels (rest of block)
//   or BITMAPCOREHEADER (12) | RGB triples | pixels

#include "dib/PxDIBInfos.h"
#include "platform/GlobalMemory.h"

namespace vlz {

// Reads the packed DIB in `handle` into a new record whose block the caller owns. The global
// block is locked while it is read and unlocked on every path; it is never freed here.
TPxDIBInfos ReadPackedDIB(HGLOBAL handle, bool useFileMapping);

// A new movable, zero-initialised global block holding `infos` as a packed DIB (RLE data stays
// compressed). Raises EOutOfMemory when no block can be had.
HGLOBAL WritePackedDIB(const TPxDIBInfos& infos);

}  // namespace vlz
