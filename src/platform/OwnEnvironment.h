#pragma once
// Environment variables the program sets for the libraries it runs on (the display platform, the
// bus address, ...). They are meant for this process alone: the programs it starts get the
// environment the program itself was given.

#include <string>
#include <vector>

namespace vlz {

// Sets `name` to `value` in this process (only when it is unset or empty unless `overwrite`) and
// remembers what the variable was before. Not thread-safe: call before other threads start.
void SetOwnEnvironment(const std::string& name, const std::string& value, bool overwrite = true);

// The environment as NAME=value entries, with every variable set by SetOwnEnvironment back as it
// was before (or left out when it was not there).
std::vector<std::string> ChildEnvironment();

}  // namespace vlz
