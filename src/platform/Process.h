#pragma once
// Starting other programs: the desktop's opener, whose answer the caller waits for, and browsers
// or mail programs, which run on their own. The program is looked up on PATH when its name has no
// slash. Started programs get no standard input and their own session, so they outlive us and
// never read our terminal.

#include <chrono>
#include <string>
#include <vector>

namespace vlz {

// Starts the program words[0] with the other words as its arguments and does not wait for it.
// Returns whether it was started (found, executable, and its image loaded).
bool StartDetached(const std::vector<std::string>& words);

struct ProcessOutcome {
    bool Started = false;  // found and executed
    bool Exited = false;   // ended within the patience given
    int ExitCode = -1;     // its exit status when it ended normally; -1 when a signal ended it
};

// Starts the program and waits up to `patience` for it to end. A program still running after
// that is left to run (and reaped when it ends) and reported as started but not exited.
ProcessOutcome RunProcess(const std::vector<std::string>& words,
                          std::chrono::milliseconds patience);

}  // namespace vlz
