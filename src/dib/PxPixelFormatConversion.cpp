// TPxInternalDIB::ConvertPixelFormat: the chains from every pixel format to every other.

#include <array>

#include "dib/PxColorMatch1Bit.h"
#include "dib/PxColorReduction.h"
#include "dib/PxDIBError.h"
#include "dib/PxDithering.h"
#include "dib/PxIndexWidening.h"
#include "dib/PxInternalDIB.h"
#include "dib/PxRLE.h"
#include "dib/PxTrueColorExpansion.h"

namespace vlz {
namespace {

// The intermediate images of one conversion. Each step reads the previous step's result (the
// store's own image at first); every block made on the way is released when the chain ends,
// except the final one once it is in the store.
class TConversionChain {
  public:
    explicit TConversionChain(TPxInternalDIB& store) : store_(store) {}
    TConversionChain(const TConversionChain&) = delete;
    TConversionChain& operator=(const TConversionChain&) = delete;
    ~TConversionChain() {
        for (int i = 0; i < count_; ++i) {
            FreeMemory(steps_[i].MappingHandle, steps_[i].Bits, store_.UseFileMapping);
        }
    }

    const TPxDIBInfos& Current() const {
        return count_ == 0 ? store_.DIBInfos : steps_[count_ - 1];
    }

    template <typename Converter>
    void Step(Converter convert) {
        convert(Current(), steps_[count_], store_.UseFileMapping);
        ++count_;
    }

    // Puts the last result into the store, in place of its image and cached palette.
    void Commit() {
        if (count_ == 0) {
            return;
        }
        FreeMemory(store_.DIBInfos.MappingHandle, store_.DIBInfos.Bits, store_.UseFileMapping);
        store_.DIBInfos = steps_[--count_];
        store_.InvalidatePalette();
    }

  private:
    TPxInternalDIB& store_;
    // A chain is at most decode, convert, encode.
    std::array<TPxDIBInfos, 3> steps_{};
    int count_ = 0;
};

// The uncompressed format an RLE format decodes to; the others stay.
TPxPixelFormat Uncompressed(TPxPixelFormat format) {
    return format == pf4BitRLE ? pf4Bit : format == pf8BitRLE ? pf8Bit : format;
}

int BitCountOf(TPxPixelFormat uncompressed) {
    switch (uncompressed) {
        case pf1Bit:
            return 1;
        case pf4Bit:
            return 4;
        case pf8Bit:
            return 8;
        default:
            return 24;
    }
}

void DecodeInto(TConversionChain& chain, TPxPixelFormat format) {
    if (format == pf4BitRLE) {
        chain.Step(Convert4BitRLETo4BitRGB);
    } else if (format == pf8BitRLE) {
        chain.Step(Convert8BitRLETo8BitRGB);
    }
}

}  // namespace

void TPxInternalDIB::ConvertPixelFormat(std::uint8_t target, std::uint8_t colorReduction,
                                        const std::function<void()>& progress,
                                        std::uint32_t rgbColour) {
    const TPxPixelFormat current = GetPixelFormat();
    TConversionChain chain(*this);

    if (target == pf8BitHalftone || target == pf1BitMonochrome) {
        // Dithered even when the image already has 8 or 1 bits: the palette is fixed.
        DecodeInto(chain, current);
        chain.Step(target == pf8BitHalftone ? ConvertToHalftone8Bit : ConvertToMonochrome1Bit);
        chain.Commit();
        return;
    }
    if (target > pf24Bit || target == current) {
        return;
    }

    const int from = BitCountOf(Uncompressed(current));
    const int to = BitCountOf(Uncompressed(static_cast<TPxPixelFormat>(target)));
    if (from == 24 && (to == 4 || to == 8) && colorReduction > 1) {
        // Neither reducer is meant: refuse before anything is done rather than guess.
        throw EPxDIBInvalidDIBPara("TPxInternalDIB.ConvertPixelFormat: Invalid ColorReduction");
    }

    DecodeInto(chain, current);
    auto withColour = [rgbColour](auto convert) {
        return [convert, rgbColour](const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping) {
            convert(src, dst, rgbColour, useFileMapping);
        };
    };
    auto withProgress = [&progress](auto reduce) {
        return [reduce, &progress](const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping) {
            reduce(src, dst, useFileMapping, progress);
        };
    };
    const bool high = colorReduction == 1;
    switch (from * 100 + to) {
        case 104:
            chain.Step(Convert1BitRGBTo4BitRGB);
            break;
        case 108:
            chain.Step(Convert1BitRGBTo8BitRGB);
            break;
        case 124:
            chain.Step(Convert1BitRGBToTrueColor);
            break;
        case 401:
            chain.Step(withColour(Convert4BitRGBTo1BitRGB));
            break;
        case 408:
            chain.Step(Convert4BitRGBTo8BitRGB);
            break;
        case 424:
            chain.Step(Convert4BitRGBToTrueColor);
            break;
        case 801:
            chain.Step(withColour(Convert8BitTo1BitRGB));
            break;
        case 804:
            chain.Step(withProgress(Convert8BitRGBTo4BitRGB));
            break;
        case 824:
            chain.Step(Convert8BitRGBToTrueColor);
            break;
        case 2401:
            chain.Step(withColour(ConvertTrueColorTo1BitRGB));
            break;
        case 2404:
            chain.Step(
                withProgress(high ? ConvertTrueColorTo4BitRGBHigh : ConvertTrueColorTo4BitRGBLow));
            break;
        case 2408:
            chain.Step(
                withProgress(high ? ConvertTrueColorTo8BitRGBHigh : ConvertTrueColorTo8BitRGBLow));
            break;
        default:
            break;  // same bit count: only the compression changes
    }
    if (target == pf4BitRLE) {
        chain.Step(Convert4BitRGBTo4BitRLE);
    } else if (target == pf8BitRLE) {
        chain.Step(Convert8BitRGBTo8BitRLE);
    }
    chain.Commit();
}

}  // namespace vlz
