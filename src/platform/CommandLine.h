#pragma once
// Command lines as one string, the way the program was designed to hand them to WinExec: the
// program first, then its arguments, split by the rules Windows programs use. Registered open
// commands and the address appended to them travel in this form.

#include <string>
#include <string_view>
#include <vector>

namespace vlz {

// Splits a command line into the program and its arguments. The program name ends at the first
// blank, or at the closing quote when it starts with one (no backslash rules there). Arguments are
// separated by blanks (space, tab); double quotes keep blanks inside a word; 2n backslashes before
// a quote give n backslashes and the quote toggles quoting, 2n+1 give n backslashes and a literal
// quote; "" inside quotes is a literal quote; other backslashes are literal.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Quotes one argument so that SplitCommandLine gives it back unchanged.
std::string QuoteArgument(std::string_view argument);

// Joins a program and its arguments into one line that SplitCommandLine splits into the same
// words. The program name cannot hold a double quote in this form; one that does is refused
// (empty result).
std::string JoinCommandLine(const std::vector<std::string>& words);

}  // namespace vlz
