// Command lines, the form in which an address reaches the program that opens it. Words joined
// into a line split back into the same words, whatever they hold, so that an address can never
// become two arguments or swallow the next; any line splits without fault, and its words, joined
// again, split the same way.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CommandLine.h"
#include "support/FuzzCheck.h"

namespace {

using vlz::testing::FuzzCheck;

// Words whose line can be written: a program name without a double quote comes first.
void CheckJoinSplitsBack(const std::vector<std::string>& words) {
    const std::string line = vlz::JoinCommandLine(words);
    bool writable =
        !words.empty() && !words.front().empty() && words.front().find('"') == std::string::npos;
    FuzzCheck(line.empty() != writable);
    if (writable) {
        FuzzCheck(vlz::SplitCommandLine(line) == words);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // The input as words, a NUL byte between two.
    std::vector<std::string> words;
    std::size_t start = 0;
    for (std::size_t end; (end = input.find('\0', start)) != std::string_view::npos;
         start = end + 1) {
        words.emplace_back(input.substr(start, end - start));
    }
    words.emplace_back(input.substr(start));
    CheckJoinSplitsBack(words);
    for (const std::string& word : words) {
        FuzzCheck(vlz::SplitCommandLine("program " + vlz::QuoteArgument(word)) ==
                  std::vector<std::string>{"program", word});
    }

    // The input as a line.
    const std::vector<std::string> split = vlz::SplitCommandLine(input);
    if (!split.empty() && !split.front().empty() && split.front().find('"') == std::string::npos) {
        CheckJoinSplitsBack(split);
    }
    return 0;
}
