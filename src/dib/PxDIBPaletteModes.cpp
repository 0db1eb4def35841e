// TPxDIB's palette modes and pixel-format setting: the two fixed palettes, drawing through them,
// and the PixelFormat setter with its progress reports.

#include <memory>

#include "dib/PxConversionProgress.h"
#include "dib/PxConvertPixelFormat.h"
#include "dib/PxDIB.h"
#include "dib/PxDIBCanvas.h"
#include "graphics/Canvas.h"
#include "graphics/HeldPalettes.h"
#include "platform/ScopeGuard.h"

namespace vlz {
namespace {

HPALETTE halftonePalette = nullptr;
HPALETTE monochromePalette = nullptr;

HPALETTE MakeFixedPalette(const PALETTEENTRY* entries, int count) {
    HPALETTE palette = CreatePalette(entries, count);
    if (palette == nullptr) {
        throw EOutOfResources("TPxDIB.GetPalette: Cannot Make Palette(1)");
    }
    return HoldPalette(palette);
}

}  // namespace

void ReleaseFixedPalettes() {
    DeleteHeldPalette(halftonePalette);
    DeleteHeldPalette(monochromePalette);
    halftonePalette = monochromePalette = nullptr;
}

HPALETTE HalftonePalette() {
    if (halftonePalette == nullptr) {
        // 6 levels of red, 7 of green and 5 of blue, then five system greys and tints.
        static constexpr std::uint8_t Reds[] = {0, 51, 102, 153, 204, 255};
        static constexpr std::uint8_t Greens[] = {0, 43, 85, 128, 171, 214, 255};
        static constexpr std::uint8_t Blues[] = {0, 64, 128, 192, 255};
        PALETTEENTRY entries[215];
        for (int red = 0; red < 6; ++red) {
            for (int green = 0; green < 7; ++green) {
                for (int blue = 0; blue < 5; ++blue) {
                    entries[red * 35 + green * 5 + blue] = {Reds[red], Greens[green], Blues[blue],
                                                            0};
                }
            }
        }
        entries[210] = {128, 0, 0, 0};
        entries[211] = {128, 128, 0, 0};
        entries[212] = {128, 0, 128, 0};
        entries[213] = {192, 192, 192, 0};
        entries[214] = {128, 128, 128, 0};
        halftonePalette = MakeFixedPalette(entries, 215);
    }
    return halftonePalette;
}

HPALETTE MonochromePalette() {
    if (monochromePalette == nullptr) {
        PALETTEENTRY entries[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        monochromePalette = MakeFixedPalette(entries, 2);
    }
    return monochromePalette;
}

void TPxDIB::DrawThroughFixedPalette(TCanvas& canvas, const TRect& rect) {
    if (rect.Width() == 0 || rect.Height() == 0) {
        return;
    }
    TPxDIB temporary;
    temporary.SetWidth(rect.Width() < 0 ? -rect.Width() : rect.Width());
    temporary.SetHeight(rect.Height() < 0 ? -rect.Height() : rect.Height());
    temporary.SetBitCount(BitCount());
    temporary.SetPalette(CopyPalette(OwnPalette()));
    {
        TPxDIBCanvas drawing(&temporary);
        TPxPaletteMode mode = PaletteMode;
        PaletteMode = pmOwn;
        TScopeExit restoring([this, mode] { PaletteMode = mode; });
        drawing.StretchDraw(Rect(0, 0, rect.Width(), rect.Height()), *this);
    }
    temporary.SetPixelFormat(PaletteMode == pmHalftone ? pf8BitHalftone : pf1BitMonochrome);
    temporary.Draw(canvas, rect);
}

void TPxDIB::InitProgress(std::int32_t total, const std::string& message) {
    FProgressTotal = total;
    FProgressMsg = message;
    FProgressCount = 0;
}

void TPxDIB::ProgressStart() {
    Progress(*this, psStarting, 0, false, Rect(0, 0, Width(), Height()), FProgressMsg);
}

void TPxDIB::ProgressStep() {
    ++FProgressCount;
    if (FProgressCount == FProgressTotal) {
        return;
    }
    auto percent = static_cast<std::uint8_t>(FProgressCount * 100 / FProgressTotal);
    Progress(*this, psRunning, percent, false, Rect(0, 0, Width(), Height()), FProgressMsg);
}

void TPxDIB::ProgressEnd() {
    Progress(*this, psEnding, 100, true, Rect(0, 0, Width(), Height()), FProgressMsg);
}

void TPxDIB::SetPixelFormat(TPxPixelFormat target) {
    TPxPixelFormat current = PixelFormat();
    if (target == current) {
        return;
    }
    MakeUnique();
    const auto plan = ConversionProgressPlan(current, target);
    if (plan) {
        InitProgress(plan->Total, plan->Message);
        ProgressStart();
    }
    const bool reporting = plan.has_value();
    {
        // A failed conversion still reports its end and a palette it has already changed.
        TScopeExit finishing([this, reporting] {
            CheckPaletteChanged();
            if (reporting) {
                ProgressEnd();
            }
        });
        // Only the planned conversions reduce colours, the only steps there are to count.
        ConvertPixelFormat(
            *FInternalDIB, target, ColorReduction,
            reporting ? TPxProgressCallback([this] { ProgressStep(); }) : TPxProgressCallback(),
            static_cast<std::uint32_t>(ColorToRGB(MaskColor)));
    }
    SetModified(true);
}

}  // namespace vlz
