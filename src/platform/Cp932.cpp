#include "platform/Cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace vlz {
namespace {

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

// The UTF-8 sequence at the start of the text, for error messages.
std::string_view FirstCharacter(std::string_view utf8) {
    if (utf8.empty()) {
        return utf8;
    }
    auto lead = static_cast<unsigned char>(utf8[0]);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return utf8.substr(0, std::min(length, utf8.size()));
}

}  // namespace

std::string ToCp932(std::string_view utf8) {
    std::string result;
    result.reserve(utf8.size());
    std::string_view rest = utf8;
    if (!ToCp932Converter().Convert(rest, result)) {
        throw ECp932Error("「" + std::string(FirstCharacter(rest)) +
                          "」はこのプログラムの文字コード (Shift-JIS) で保存できません。");
    }
    return result;
}

std::string FromCp932(std::string_view cp932) {
    std::string result;
    result.reserve(cp932.size() + cp932.size() / 2);
    std::string_view rest = cp932;
    while (!FromCp932Converter().Convert(rest, result)) {
        // Skip one byte (or a whole unassigned double-byte code) and mark it.
        std::size_t skip =
            (IsCp932LeadByte(static_cast<unsigned char>(rest[0])) && rest.size() >= 2) ? 2 : 1;
        result += "\xEF\xBF\xBD";
        rest.remove_prefix(skip);
    }
    return result;
}

bool FitsCp932(std::string_view utf8) {
    std::string ignored;
    std::string_view rest = utf8;
    return ToCp932Converter().Convert(rest, ignored);
}

std::size_t Cp932Length(std::string_view utf8) {
    return ToCp932(utf8).size();
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
