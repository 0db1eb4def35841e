#pragma once
// The bitmap library's exceptions: one level under EPxDIBError, each carrying its message.

#include "platform/Exception.h"

namespace vlz {

class EPxDIBError : public Exception {
  public:
    using Exception::Exception;
};

#define VLZ_DIB_ERROR(Name)             \
    class Name : public EPxDIBError {   \
      public:                           \
        using EPxDIBError::EPxDIBError; \
    }

VLZ_DIB_ERROR(EPxDIBInvalidDIB);         // malformed bitmap data
VLZ_DIB_ERROR(EPxDIBInvalidDIBFile);     // the stream is not a BMP file
VLZ_DIB_ERROR(EPxDIBInvalidDIBPara);     // bad creation parameters
VLZ_DIB_ERROR(EPxDIBBadDIBType);         // a converter got a store of the wrong pixel format
VLZ_DIB_ERROR(EPxDIBCompressionFailed);  // an RLE encoder ran out of room
VLZ_DIB_ERROR(EPxDIBPixelPositionRange);
VLZ_DIB_ERROR(EPxDIBInvalidPalette);
VLZ_DIB_ERROR(EPxDIBCanvasFailed);

#undef VLZ_DIB_ERROR

}  // namespace vlz
