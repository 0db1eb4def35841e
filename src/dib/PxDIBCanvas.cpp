#include "dib/PxDIBCanvas.h"

#include <algorithm>

#include "dib/PxDIBError.h"
#include "platform/ScopeGuard.h"
#include "platform/SharedMemory.h"

namespace vlz {

TPxDIBCanvas::TPxDIBCanvas(TPxDIB* dib) {
    if (dib == nullptr || !dib->GetUseFileMapping()) {
        throw EPxDIBCanvasFailed("TPxDIBCanvas.Create: Cannot Create Canvas");
    }
    FDIB = dib;
    // The destructor does not run for a constructor that throws: a failed creation is undone here.
    TScopeFailure closing([this] { Close(); });
    dib->MakeUnique();
    const TPxDIBInfos& infos = dib->FInternalDIB->DIBInfos;
    const BITMAPINFOHEADER& header = infos.Header;
    int bits = header.biBitCount;
    bool drawable = header.biCompression == BI_RGB &&
                    (bits == 1 || bits == 4 || bits == 8 || bits == 24) &&
                    infos.MappingHandle != NoMapping;
    if (drawable) {
        FView = MapSection(infos.MappingHandle);
    }
    if (FView.Data == nullptr || FView.Size < static_cast<std::size_t>(infos.ImageSize)) {
        throw EOutOfResources("TPxDIBCanvas.Create: Cannot Create Memory DC");
    }
    FSectionHeader = header;
    std::copy(infos.Colors, infos.Colors + 256, FSectionColors);
    SetHandle({&FSectionHeader, FSectionColors, FView.Data});
}

TPxDIBCanvas::~TPxDIBCanvas() {
    Close();
}

void TPxDIBCanvas::Close() {
    SetHandle({});
    // The view alone: the image's store may have been replaced, and its section closed, since.
    UnmapSection(FView);
    if (FDIB != nullptr) {
        FDIB->CheckPaletteChanged();
        FDIB->SetModified(true);
        FDIB = nullptr;
    }
}

}  // namespace vlz
