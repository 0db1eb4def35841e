#include "app/MemoEscaping.h"

#include "platform/Cp932.h"

namespace vlz {

std::string EscapeMemo(std::string_view cp932) {
    std::string escaped;
    escaped.reserve(cp932.size() + cp932.size() / 16);
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        char byte = cp932[i];
        if (IsCp932LeadByte(static_cast<unsigned char>(byte)) && i + 1 < cp932.size()) {
            escaped += byte;
            escaped += cp932[++i];
        } else if (byte == '\r' || byte == '\n') {
            if (byte == '\r' && i + 1 < cp932.size() && cp932[i + 1] == '\n') {
                ++i;
            }
            escaped += "\\n";
        } else {
            escaped += byte;
        }
    }
    return escaped;
}

std::string UnescapeMemo(std::string_view cp932) {
    std::string text;
    text.reserve(cp932.size() + cp932.size() / 16);
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        char byte = cp932[i];
        if (IsCp932LeadByte(static_cast<unsigned char>(byte)) && i + 1 < cp932.size()) {
            text += byte;
            text += cp932[++i];
        } else if (byte == '\\' && i + 1 < cp932.size() && cp932[i + 1] == 'n') {
            ++i;
            text += "\r\n";
        } else {
            text += byte;
        }
    }
    return text;
}

}  // namespace vlz
