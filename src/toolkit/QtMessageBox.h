#pragma once
// The message boxes of the program as Qt shows them: the flags' icon, buttons and default button,
// with Japanese button texts.

#include "platform/MessageBox.h"

namespace vlz {

class QtMessageBoxHook : public MessageBoxHook {
  public:
    int Show(std::string_view text, std::string_view caption, unsigned flags,
             MessageBoxOwner owner) override;
};

}  // namespace vlz
