#include "platform/Cp932.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>

namespace vlz {
namespace {

constexpr char32_t CarrierBase = 0xF0000;
constexpr char32_t ReplacementCharacter = 0xFFFD;
// Written after a carried lead byte that more text follows, so that the two form one unassigned
// code: 0x7F is never the second byte of a CP932 character.
constexpr char LeadByteStopper = '\x7F';

// One conversion descriptor per direction and thread, opened on first use.
class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1)) {
            throw Exception(std::string("iconv cannot convert from ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns false at the first input it cannot convert, leaving
    // `input` pointing at it.
    bool Convert(std::string_view& input, std::string& output) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char buffer[4096];
        bool ok = true;
        while (inLeft > 0) {
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
            output.append(buffer, out);
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                ok = false;
                break;
            }
        }
        input = std::string_view(in, inLeft);
        return ok;
    }

  private:
    iconv_t handle_;
};

Converter& ToCp932Converter() {
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

Converter& FromCp932Converter() {
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

// The length of the UTF-8 sequence that starts with the byte.
std::size_t Utf8Length(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// The first code point of UTF-8 text that holds one.
char32_t FirstCodePoint(std::string_view utf8) {
    const auto lead = static_cast<unsigned char>(utf8[0]);
    const std::size_t length = Utf8Length(lead);
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length && i < utf8.size(); ++i) {
        code = (code << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    }
    return code;
}

// What each CP932 code decodes to, for the codes that decode to a character that encodes back
// to the same bytes; 0 for the codes that must be carried. Row 0 holds the single bytes, row L
// the codes with the lead byte L. A row is worked out through iconv the first time a byte of it
// is read, so that the converter stays the one authority on CP932, and reading a file is then
// one table look-up per character (several times faster than iconv itself).
class DecodeTable {
  public:
    char16_t Single(unsigned char byte) { return Row(0)[byte]; }
    char16_t Pair(unsigned char lead, unsigned char trail) { return Row(lead)[trail]; }

  private:
    using Codes = std::array<char16_t, 256>;

    const Codes& Row(unsigned char row) {
        if (!rows_[row]) {
            rows_[row] = Build(row);
        }
        return *rows_[row];
    }

    static std::unique_ptr<Codes> Build(unsigned char row) {
        auto codes = std::make_unique<Codes>();
        for (unsigned value = 0; value < 256; ++value) {
            std::string bytes;
            if (row != 0) {
                bytes += static_cast<char>(row);
            }
            bytes += static_cast<char>(value);
            std::string_view input = bytes;
            std::string decoded;
            std::string encoded;
            if (!FromCp932Converter().Convert(input, decoded) || decoded.empty()) {
                continue;
            }
            std::string_view back = decoded;
            const char32_t code = FirstCodePoint(decoded);
            if (ToCp932Converter().Convert(back, encoded) && encoded == bytes && code <= 0xFFFF) {
                (*codes)[value] = static_cast<char16_t>(code);
            }
        }
        return codes;
    }

    std::array<std::unique_ptr<Codes>, 256> rows_;
};

DecodeTable& Table() {
    thread_local DecodeTable table;
    return table;
}

// Writes the code point in UTF-8 and returns the end of what it wrote.
char* PutUtf8(char32_t code, char* out) {
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | (code >> 6));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (code >> 12));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (code >> 18));
        *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

void AppendUtf8(char32_t code, std::string& output) {
    char buffer[4];
    output.append(buffer, PutUtf8(code, buffer));
}

// The byte carrier whose four-byte UTF-8 form starts at `at`, or 0.
char32_t CarrierAt(std::string_view utf8, std::size_t at) {
    // Plane 15 is F3 B0..BF xx xx in UTF-8.
    if (at + 4 > utf8.size() || static_cast<unsigned char>(utf8[at]) != 0xF3) {
        return 0;
    }
    char32_t code = 0x3;
    for (std::size_t i = 1; i < 4; ++i) {
        auto byte = static_cast<unsigned char>(utf8[at + i]);
        if ((byte & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte & 0x3F);
    }
    return IsCp932ByteCarrier(code) ? code : 0;
}

// Where the next byte carrier of the text starts, or npos.
std::size_t FindCarrier(std::string_view utf8) {
    for (std::size_t at = utf8.find('\xF3'); at != std::string_view::npos;
         at = utf8.find('\xF3', at + 1)) {
        if (CarrierAt(utf8, at) != 0) {
            return at;
        }
    }
    return std::string_view::npos;
}

// The UTF-8 sequence at the start of the text, for error messages.
std::string_view FirstCharacter(std::string_view utf8) {
    if (utf8.empty()) {
        return utf8;
    }
    return utf8.substr(0, std::min(Utf8Length(static_cast<unsigned char>(utf8[0])), utf8.size()));
}

}  // namespace

bool IsCp932ByteCarrier(char32_t code) {
    if (code < CarrierBase + 0x80 || code > CarrierBase + 0xFCFF) {
        return false;
    }
    const char32_t bytes = code - CarrierBase;
    return bytes < 0x100 || IsCp932LeadByte(static_cast<unsigned char>(bytes >> 8));
}

std::size_t CarriedByteCount(char32_t carrier) {
    return carrier - CarrierBase < 0x100 ? 1 : 2;
}

char32_t ShownCharacter(char32_t carrier) {
    const char32_t bytes = carrier - CarrierBase;
    if (bytes < 0x100) {
        return ReplacementCharacter;
    }
    const char pair[] = {static_cast<char>(bytes >> 8), static_cast<char>(bytes & 0xFF)};
    std::string_view input(pair, 2);
    std::string decoded;
    if (!FromCp932Converter().Convert(input, decoded) || decoded.empty()) {
        return ReplacementCharacter;
    }
    return FirstCodePoint(decoded);
}

char32_t Cp932CharacterOf(unsigned char lead, unsigned char trail) {
    const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
    const std::string decoded = FromCp932(pair);
    const char32_t code = FirstCodePoint(decoded);
    if (!IsCp932ByteCarrier(code)) {
        return code;
    }
    const char32_t shown = CarriedByteCount(code) == 2 ? ShownCharacter(code) : 0;
    return shown == ReplacementCharacter ? 0 : shown;
}

unsigned Cp932CodeOf(char32_t character) {
    std::string utf8;
    AppendUtf8(character, utf8);
    std::string_view input = utf8;
    std::string encoded;
    if (IsCp932ByteCarrier(character) || !ToCp932Converter().Convert(input, encoded)) {
        return 0;
    }
    unsigned code = 0;
    for (const char byte : encoded) {
        code = code << 8 | static_cast<unsigned char>(byte);
    }
    return encoded.size() <= 2 ? code : 0;
}

std::string ToCp932(std::string_view utf8) {
    std::string result;
    result.reserve(utf8.size());
    // iconv stops at a byte carrier as at any character CP932 lacks; text without carriers, all
    // that users type, takes no other step.
    while (!ToCp932Converter().Convert(utf8, result)) {
        const char32_t carrier = CarrierAt(utf8, 0);
        if (carrier == 0) {
            throw ECp932Error("「" + std::string(FirstCharacter(utf8)) +
                              "」はこのプログラムの文字コード (Shift-JIS) で保存できません。");
        }
        utf8.remove_prefix(4);
        const char32_t bytes = carrier - CarrierBase;
        if (bytes < 0x100) {
            result += static_cast<char>(bytes);
            if (IsCp932LeadByte(static_cast<unsigned char>(bytes)) && !utf8.empty()) {
                result += LeadByteStopper;
            }
        } else {
            result += static_cast<char>(bytes >> 8);
            result += static_cast<char>(bytes & 0xFF);
        }
    }
    return result;
}

std::string FromCp932(std::string_view cp932) {
    std::string result;
    result.reserve(cp932.size() + cp932.size() / 2);
    DecodeTable& table = Table();
    // Characters are put together in a buffer of our own and appended in blocks.
    char buffer[1024];
    char* out = buffer;
    char* const flushAt = buffer + sizeof buffer - 4;
    const std::size_t size = cp932.size();
    std::size_t i = 0;
    while (i < size) {
        if (out > flushAt) {
            result.append(buffer, out);
            out = buffer;
        }
        const auto byte = static_cast<unsigned char>(cp932[i]);
        if (byte < 0x80) {
            *out++ = static_cast<char>(byte);
            ++i;
            continue;
        }
        // A lead byte always takes the byte after it, as every byte scanner of the program does.
        char32_t code = 0;
        if (IsCp932LeadByte(byte) && i + 1 < size) {
            const auto trail = static_cast<unsigned char>(cp932[i + 1]);
            code = table.Pair(byte, trail);
            if (code == 0) {
                code = CarrierBase + (static_cast<char32_t>(byte) << 8 | trail);
            }
            i += 2;
        } else {
            code = IsCp932LeadByte(byte) ? 0 : table.Single(byte);
            if (code == 0) {
                code = CarrierBase + byte;
            }
            ++i;
        }
        out = PutUtf8(code, out);
    }
    result.append(buffer, out);
    return result;
}

bool FitsCp932(std::string_view utf8) {
    // Byte carriers are private-use characters that CP932 lacks, so iconv refuses them too.
    std::string ignored;
    return ToCp932Converter().Convert(utf8, ignored);
}

std::size_t Cp932Length(std::string_view utf8) {
    return ToCp932(utf8).size();
}

std::string Cp932Shown(std::string_view utf8) {
    std::string shown;
    shown.reserve(utf8.size());
    for (std::size_t at = FindCarrier(utf8); at != std::string_view::npos; at = FindCarrier(utf8)) {
        shown.append(utf8.substr(0, at));
        AppendUtf8(ShownCharacter(CarrierAt(utf8, at)), shown);
        utf8.remove_prefix(at + 4);
    }
    shown.append(utf8);
    return shown;
}

std::string_view Cp932Prefix(std::string_view cp932, std::size_t maxBytes) {
    if (cp932.size() <= maxBytes) {
        return cp932;
    }
    std::size_t end = 0;
    while (end < maxBytes) {
        std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(cp932[end])) ? 2 : 1;
        if (end + width > maxBytes) {
            break;
        }
        end += width;
    }
    return cp932.substr(0, end);
}

}  // namespace vlz
