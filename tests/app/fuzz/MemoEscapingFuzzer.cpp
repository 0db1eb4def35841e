// Memos on their one line of the note file. Any line a file holds comes back from a load and a
// save as the same bytes; any memo a user can make (pieces read from files, joined by line breaks
// of every kind) is stored on one line, and reads back as itself with CR LF line breaks.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/core/MemoEscaping.h"
#include "platform/Cp932.h"
#include "support/FuzzCheck.h"

namespace {

using vlz::testing::FuzzCheck;

// Whether backslash-n stands at a character boundary: a memo typed with it cannot tell it from a
// stored line break, by the format's design.
bool HoldsEscapedBreak(std::string_view cp932) {
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        if (vlz::IsCp932LeadByte(static_cast<unsigned char>(cp932[i]))) {
            ++i;
        } else if (cp932[i] == '\\' && i + 1 < cp932.size() && cp932[i + 1] == 'n') {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // The input's lines as a file stores them, and the memo a user makes of their texts.
    std::string memo;
    std::string plainMemo;  // the same memo with every line break as CR LF
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find_first_of("\r\n", start);
        std::string_view line = input.substr(start, end - start);
        FuzzCheck(vlz::EscapeMemo(vlz::UnescapeMemo(line)) == line);

        std::string text = vlz::FromCp932(line);
        memo += text;
        plainMemo += text;
        if (end == std::string_view::npos) {
            break;
        }
        std::size_t breakSize = input.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        memo += input.substr(end, breakSize);
        plainMemo += "\r\n";
        start = end + breakSize;
    }

    const std::string stored = vlz::EscapeMemo(vlz::ToCp932(memo));
    FuzzCheck(stored.find_first_of("\r\n") == std::string::npos);
    const std::string reread = vlz::FromCp932(vlz::UnescapeMemo(stored));
    if (!HoldsEscapedBreak(vlz::ToCp932(memo))) {
        FuzzCheck(reread == vlz::FromCp932(vlz::ToCp932(plainMemo)));
    }
    // A memo read back is stored as the same line again.
    FuzzCheck(vlz::EscapeMemo(vlz::ToCp932(reread)) == stored);
    return 0;
}
