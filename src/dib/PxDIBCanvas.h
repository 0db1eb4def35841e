#pragma once
// A canvas that draws straight into the pixels of one TPxDIB: it maps a second view of the
// shared-memory section behind the image's store and hands that to the canvas as its surface, so
// every drawing operation changes the image in place, without a copy. Opening it makes the image's
// store its own; closing it signals the image's change once.
//
// While the canvas is open the image's store must stay the same: replacing or copying it
// (loading, assigning, resizing, converting) leaves the canvas drawing into the old memory.

#include <cstdint>

#include "dib/PxDIB.h"
#include "graphics/Canvas.h"
#include "platform/SharedMemory.h"

namespace vlz {

class TPxDIBCanvas : public TCanvas {
  public:
    // EPxDIBCanvasFailed "TPxDIBCanvas.Create: Cannot Create Canvas" for no image or an image whose
    // pixels are not in a section; EOutOfResources "TPxDIBCanvas.Create: Cannot Create Memory DC"
    // when no drawable view can be made (a compressed image, for one).
    explicit TPxDIBCanvas(TPxDIB* dib);
    ~TPxDIBCanvas() override;
    TPxDIBCanvas(const TPxDIBCanvas&) = delete;
    TPxDIBCanvas& operator=(const TPxDIBCanvas&) = delete;
    std::string ClassName() const override { return "TPxDIBCanvas"; }

  private:
    // Releases exactly what has been made; the destructor and a failed construction share it.
    void Close();

    TPxDIB* FDIB = nullptr;
    // The section's own header and colour table, copied when it is made, as a DIB section keeps
    // the BITMAPINFO it was created with.
    BITMAPINFOHEADER FSectionHeader;
    RGBQUAD FSectionColors[256] = {};
    // The canvas's own mapping of the store's section, with the length it was made with.
    TSectionView FView;
};

}  // namespace vlz
