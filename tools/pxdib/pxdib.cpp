// pxdib: looks into BMP files and rewrites them through the program's own bitmap library.
//
//   pxdib info FILE      one "key: value" line per header field and the pixel format
//   pxdib copy IN OUT    loads IN and saves it to OUT
//   pxdib convert IN OUT --to FORMAT [--reduction low|high] [--mask RRGGBB]
//                        loads IN, converts it to FORMAT (pf1Bit, pf4Bit, pf4BitRLE, pf8Bit,
//                        pf8BitRLE, pf24Bit, pf8BitHalftone, pf1BitMonochrome) and saves it to
//                        OUT; --reduction picks the colour reducer for 24-bit images going to 4 or
//                        8 bits (default low), --mask the colour that stays white in conversions
//                        to pf1Bit (default FFFFFF). On a terminal the conversion's progress is
//                        shown as a bar on standard error.
//   pxdib pixel FILE X Y the pixel value at (X, Y), row 0 at the top, in hexadecimal: a
//                        colour-table index, or 0xBBGGRR for 24-bit images
//
// Any failure prints the error's message alone on standard error and exits 1; a wrong command
// line prints the usage and exits 2.

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "dib/PxDIB.h"
#include "dib/PxDIBError.h"
#include "dib/PxInternalDIB.h"
#include "platform/Exception.h"
#include "platform/ScopeGuard.h"
#include "platform/Stream.h"

namespace vlz {
namespace {

using Arguments = std::span<char* const>;

void Load(TPxInternalDIB& store, const std::string& path) {
    TFileStream stream(path, TFileStream::Mode::Read);
    store.LoadFromStream(stream);
}

// Writes through a temporary file beside the target, so that a failed save never leaves a
// half-written or emptied file behind.
void Save(const std::string& path, const std::function<void(TStream&)>& write) {
    std::string temporary = path + ".pxdib-tmp";
    TScopeFailure removing([&temporary] {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    });
    {
        TFileStream stream(temporary, TFileStream::Mode::Create);
        write(stream);
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        throw EWriteError("Cannot write \"" + path + "\". " + error.message());
    }
}

void Save(const TPxInternalDIB& store, const std::string& path) {
    Save(path, [&store](TStream& stream) { store.SaveToStream(stream); });
}

const char* FormatName(TPxPixelFormat format) {
    static constexpr const char* Names[] = {"pf1Bit", "pf4Bit",    "pf4BitRLE",
                                            "pf8Bit", "pf8BitRLE", "pf24Bit"};
    return format <= pf24Bit ? Names[format] : "?";
}

int Info(Arguments arguments) {
    TPxInternalDIB store(false);
    Load(store, arguments[0]);
    const BITMAPINFOHEADER& header = store.DIBInfos.Header;
    std::cout << "width: " << header.biWidth << '\n'
              << "height: " << header.biHeight << '\n'
              << "bitcount: " << header.biBitCount << '\n'
              << "compression: " << header.biCompression << '\n'
              << "clrused: " << header.biClrUsed << '\n'
              << "imagesize: " << store.DIBInfos.ImageSize << '\n';
    std::string format;
    try {
        format = FormatName(store.GetPixelFormat());
    } catch (const EPxDIBInvalidDIB& error) {
        format = error.what();
    }
    std::cout << "format: " << format << '\n';
    return 0;
}

int Copy(Arguments arguments) {
    TPxInternalDIB store(false);
    Load(store, arguments[0]);
    Save(store, arguments[1]);
    return 0;
}

// A command line that names something unknown: reported with the usage.
class EUsageError : public Exception {
  public:
    using Exception::Exception;
};

constexpr std::string_view TargetNames[] = {"pf1Bit",         "pf4Bit",          "pf4BitRLE",
                                            "pf8Bit",         "pf8BitRLE",       "pf24Bit",
                                            "pf8BitHalftone", "pf1BitMonochrome"};

std::uint8_t ParseTarget(std::string_view name) {
    for (std::size_t i = 0; i < std::size(TargetNames); ++i) {
        if (TargetNames[i] == name) {
            return static_cast<std::uint8_t>(i);
        }
    }
    throw EUsageError("Unknown pixel format \"" + std::string(name) + "\"");
}

// RRGGBB as in web colours, to the library's 0x00BBGGRR.
std::uint32_t ParseMask(std::string_view text) {
    std::uint32_t rgb = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, rgb, 16);
    if (text.size() != 6 || error != std::errc{} || stop != end) {
        throw EUsageError("The mask colour must be six hexadecimal digits RRGGBB, not \"" +
                          std::string(text) + "\"");
    }
    return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

// Draws the bitmap's progress events as one line that is rewritten in place.
void DrawProgressBar(TObject&, TProgressStage stage, std::uint8_t percentDone, bool, const TRect&,
                     const std::string& message) {
    constexpr int Width = 30;
    const int filled = percentDone * Width / 100;
    std::cerr << '\r' << message << " [" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(Width - filled), '.') << "] "
              << static_cast<int>(percentDone) << '%';
    if (stage == psEnding) {
        std::cerr << '\n';
    }
    std::cerr.flush();
}

int Convert(Arguments arguments) {
    std::optional<std::uint8_t> target;
    std::uint8_t reduction = 0;
    std::uint32_t mask = 0x00FFFFFF;
    for (std::size_t i = 2; i < arguments.size(); i += 2) {
        const std::string_view option = arguments[i];
        if (i + 1 == arguments.size()) {
            throw EUsageError("Missing value after " + std::string(option));
        }
        const std::string_view value = arguments[i + 1];
        if (option == "--to") {
            target = ParseTarget(value);
        } else if (option == "--reduction") {
            if (value != "low" && value != "high") {
                throw EUsageError("The reduction must be low or high, not \"" + std::string(value) +
                                  "\"");
            }
            reduction = value == "high" ? 1 : 0;
        } else if (option == "--mask") {
            mask = ParseMask(value);
        } else {
            throw EUsageError("Unknown option " + std::string(option));
        }
    }
    if (!target) {
        throw EUsageError("Missing --to FORMAT");
    }

    TPxDIB dib;
    {
        TFileStream stream(arguments[0], TFileStream::Mode::Read);
        dib.LoadFromStream(stream);
    }
    dib.ColorReduction = reduction;
    dib.MaskColor = static_cast<TColor>(mask);
    if (isatty(STDERR_FILENO)) {
        dib.OnProgress = DrawProgressBar;
    }
    dib.SetPixelFormat(static_cast<TPxPixelFormat>(*target));
    Save(arguments[1], [&dib](TStream& stream) { dib.SaveToStream(stream); });
    return 0;
}

// A whole argument as a decimal integer.
bool ParseCoordinate(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end;
}

int Pixel(Arguments arguments) {
    int x = 0, y = 0;
    if (!ParseCoordinate(arguments[1], x) || !ParseCoordinate(arguments[2], y)) {
        std::cerr << "X and Y must be whole numbers\n";
        return 2;
    }
    TPxDIB dib;
    TFileStream stream(arguments[0], TFileStream::Mode::Read);
    dib.LoadFromStream(stream);
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(dib.GetPixels(x, y)));
    std::cout << text << '\n';
    return 0;
}

struct TCommand {
    std::string_view Name;
    std::string_view Parameters;
    std::size_t MinimumArguments;
    std::size_t MaximumArguments;
    int (*Run)(Arguments arguments);
};

constexpr TCommand Commands[] = {
    {"info", "FILE", 1, 1, Info},
    {"copy", "IN OUT", 2, 2, Copy},
    {"convert", "IN OUT --to FORMAT [--reduction low|high] [--mask RRGGBB]", 4, 8, Convert},
    {"pixel", "FILE X Y", 3, 3, Pixel},
};

int Usage() {
    std::cerr << "usage:\n";
    for (const TCommand& command : Commands) {
        std::cerr << "  pxdib " << command.Name << ' ' << command.Parameters << '\n';
    }
    return 2;
}

int Main(Arguments arguments) {
    if (arguments.size() < 2) {
        return Usage();
    }
    for (const TCommand& command : Commands) {
        if (arguments[1] == command.Name) {
            const std::size_t count = arguments.size() - 2;
            if (count < command.MinimumArguments || count > command.MaximumArguments) {
                return Usage();
            }
            try {
                return command.Run(arguments.subspan(2));
            } catch (const EUsageError& error) {
                std::cerr << error.what() << '\n';
                return Usage();
            } catch (const std::exception& error) {
                std::cerr << error.what() << '\n';
                return 1;
            }
        }
    }
    return Usage();
}

}  // namespace
}  // namespace vlz

int main(int argc, char** argv) {
    return vlz::Main(std::span<char* const>(argv, static_cast<std::size_t>(argc)));
}
