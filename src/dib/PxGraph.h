#pragma once
// The library's abstract graphic: a TGraphic with progress reporting, a palette reached through
// GetPalette / SetPalette, and its own clipboard format, which it takes from the clipboard object
// when assigned from it.

#include <cstdint>
#include <functional>
#include <string>

#include "graphics/Geometry.h"
#include "graphics/Graphic.h"
#include "graphics/Palette.h"

namespace vlz {

enum TProgressStage : std::uint8_t { psStarting, psRunning, psEnding };

using TProgressEvent =
    std::function<void(TObject& sender, TProgressStage stage, std::uint8_t percentDone,
                       bool redrawNow, const TRect& rect, const std::string& message)>;

class TPxGraphic : public TGraphic {
  public:
    std::string ClassName() const override { return "TPxGraphic"; }

    TProgressEvent OnProgress;
    // Raises OnProgress when it is assigned.
    void Progress(TObject& sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow,
                  const TRect& rect, const std::string& message);

    // The caller does not own the palette it receives.
    virtual HPALETTE GetPalette() = 0;
    virtual void SetPalette(HPALETTE palette) = 0;
    virtual TClipboardFormat GetClipboardFormat() const = 0;

    // From the clipboard object: loads this graphic's own clipboard format (with CF_PALETTE), the
    // clipboard closed again on every path. Anything else goes the inherited way.
    void Assign(const TPersistent* source) override;
};

}  // namespace vlz
