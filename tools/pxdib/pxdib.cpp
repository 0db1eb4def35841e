// pxdib: looks into BMP files and rewrites them through the program's own bitmap library.
//
//   pxdib info FILE      one "key: value" line per header field and the pixel format
//   pxdib copy IN OUT    loads IN and saves it to OUT
//   pxdib pixel FILE X Y the pixel value at (X, Y), row 0 at the top, in hexadecimal: a
//   colour-table
//                        index, or 0xBBGGRR for 24-bit images
//
// Any failure prints the error's message alone on standard error and exits 1; a wrong command
// line prints the usage and exits 2.

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "dib/PxDIB.h"
#include "dib/PxDIBError.h"
#include "dib/PxInternalDIB.h"
#include "platform/Exception.h"
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
void Save(const TPxInternalDIB& store, const std::string& path) {
    std::string temporary = path + ".pxdib-tmp";
    try {
        {
            TFileStream stream(temporary, TFileStream::Mode::Create);
            store.SaveToStream(stream);
        }
        std::filesystem::rename(temporary, path);
    } catch (const std::filesystem::filesystem_error& error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw EWriteError("Cannot write \"" + path + "\". " + error.code().message());
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw;
    }
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
    std::size_t ArgumentCount;
    int (*Run)(Arguments arguments);
};

constexpr TCommand Commands[] = {
    {"info", "FILE", 1, Info},
    {"copy", "IN OUT", 2, Copy},
    {"pixel", "FILE X Y", 3, Pixel},
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
            if (arguments.size() - 2 != command.ArgumentCount) {
                return Usage();
            }
            try {
                return command.Run(arguments.subspan(2));
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
