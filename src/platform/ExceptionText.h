#pragma once
// The text a failure is shown with: its message as a sentence, a full stop added when it does not
// end in one.

#include <exception>
#include <string>

namespace vlz {

// The text with "." added unless it ends in ".", "。" or "．".
std::string WithFullStop(std::string text);

// The message of the exception (of any type: "Unknown exception" when it carries none), with a
// full stop.
std::string ExceptionText(std::exception_ptr error);

}  // namespace vlz
