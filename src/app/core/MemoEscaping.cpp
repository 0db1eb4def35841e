#include "app/core/MemoEscaping.h"

#include "platform/Cp932.h"

namespace vlz {

// Both directions copy runs of plain bytes at once and stop only where a match may start.

std::string EscapeMemo(std::string_view cp932) {
    std::string escaped;
    escaped.reserve(cp932.size() + cp932.size() / 16);
    const std::size_t size = cp932.size();
    std::size_t runStart = 0;
    std::size_t i = 0;
    while (i < size) {
        auto byte = static_cast<unsigned char>(cp932[i]);
        if (IsCp932LeadByte(byte)) {
            i += 2;
        } else if (byte == '\r' || byte == '\n') {
            escaped.append(cp932, runStart, i - runStart);
            escaped += "\\n";
            i += (byte == '\r' && i + 1 < size && cp932[i + 1] == '\n') ? 2 : 1;
            runStart = i;
        } else {
            ++i;
        }
    }
    escaped.append(cp932, runStart, std::string_view::npos);
    return escaped;
}

std::string UnescapeMemo(std::string_view cp932) {
    std::string text;
    text.reserve(cp932.size() + cp932.size() / 16);
    const std::size_t size = cp932.size();
    std::size_t runStart = 0;
    std::size_t i = 0;
    while (i < size) {
        auto byte = static_cast<unsigned char>(cp932[i]);
        if (IsCp932LeadByte(byte)) {
            i += 2;
        } else if (byte == '\\' && i + 1 < size && cp932[i + 1] == 'n') {
            text.append(cp932, runStart, i - runStart);
            text += "\r\n";
            i += 2;
            runStart = i;
        } else {
            ++i;
        }
    }
    text.append(cp932, runStart, std::string_view::npos);
    return text;
}

}  // namespace vlz
