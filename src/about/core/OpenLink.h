#pragma once
// What a hyperlink label does with its caption: web addresses ("http://…") go to the shell, and
// failing that to the browser registered for HTML documents; everything else goes to the
// registered mail program. Every failure is silent: nothing is shown and nothing changes.

#include <string>
#include <string_view>

namespace vlz {

// Opens a web or mail address; `showCommand` is a window show command (SW_SHOW).
void OpenLink(std::string_view target, int showCommand);

// The registered command without its placeholder: a quoted "%1" goes together with the character
// before it (the space after the program), else an unquoted %1 the same way; else unchanged.
std::string RemovePlaceholder(std::string command);

// The default value of HKEY_CLASSES_ROOT\subkey as the 260-byte buffer of the registry read gives
// it: the text up to its first NUL; a value of 260 bytes or more (in CP932) does not fit and the
// read fails.
bool ReadRegistryDefault(std::string_view subkey, std::string& value);

}  // namespace vlz
