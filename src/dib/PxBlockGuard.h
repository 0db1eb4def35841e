#pragma once
// Owns a freshly obtained pixel block until the image it belongs to is complete: a loader or codec
// that fails half-way gives the block back on the way out.

#include "dib/PxDIBInfos.h"
#include "dib/PxMemory.h"

namespace vlz {

class TPxBlockGuard {
  public:
    // Obtains a zeroed block of `size` bytes into `infos` (Bits, MappingHandle, ImageSize).
    TPxBlockGuard(TPxDIBInfos& infos, std::int32_t size, bool useFileMapping)
        : infos_(infos), useFileMapping_(useFileMapping) {
        GetMemory(size, infos.MappingHandle, infos.Bits, useFileMapping);
        infos.ImageSize = size;
    }
    ~TPxBlockGuard() {
        if (!released_) {
            FreeMemory(infos_.MappingHandle, infos_.Bits, useFileMapping_);
        }
    }
    TPxBlockGuard(const TPxBlockGuard&) = delete;
    TPxBlockGuard& operator=(const TPxBlockGuard&) = delete;

    // The image is complete; the block now belongs to whoever takes `infos`.
    void Release() { released_ = true; }

  private:
    TPxDIBInfos& infos_;
    bool useFileMapping_;
    bool released_ = false;
};

}  // namespace vlz
