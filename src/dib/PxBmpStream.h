#pragma once
// BMP file images in a stream:
//
//   BITMAPFILEHEADER (14) | BITMAPINFOHEADER (40) or BITMAPCOREHEADER (12)
//   | [3 masks with BI_BITFIELDS] | colour table | gap up to bfOffBits | pixels (bfSize −
//   bfOffBits)
//
// Read: 40- and 12-byte headers; 1, 4, 8, 24 bits kept as they are (RLE stays compressed);
// 16 and 32 bits expanded to 24. Written: always a 40-byte header, nothing converted.

#include "dib/PxDIBInfos.h"
#include "platform/Stream.h"

namespace vlz {

// Reads the image at the stream's position into a new record whose block the caller owns (release
// it with FreeMemory and the same flag). On failure nothing is left allocated; the stream's
// position has moved.
TPxDIBInfos ReadBmpStream(TStream& stream, bool useFileMapping);

// Writes `infos` as a BMP file image at the stream's position.
void WriteBmpStream(TStream& stream, const TPxDIBInfos& infos);

}  // namespace vlz
