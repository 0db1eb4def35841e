#include "platform/MessageBox.h"

#include <iostream>

namespace vlz {
namespace {

class StandardErrorMessageBox : public MessageBoxHook {
  public:
    int Show(std::string_view text, std::string_view caption, unsigned flags,
             MessageBoxOwner) override {
        std::cerr << (caption.empty() ? std::string_view() : caption)
                  << (caption.empty() ? "" : ": ") << text << '\n';
        return DefaultAnswer(flags);
    }
};

StandardErrorMessageBox standardErrorHook;
MessageBoxHook* installedHook = &standardErrorHook;

}  // namespace

MessageBoxHook* InstallMessageBoxHook(MessageBoxHook* hook) {
    MessageBoxHook* previous = installedHook;
    installedHook = hook ? hook : &standardErrorHook;
    return previous;
}

int ShowMessageBox(std::string_view text, std::string_view caption, unsigned flags,
                   MessageBoxOwner owner) {
    return installedHook->Show(text, caption, flags, owner);
}

int DefaultAnswer(unsigned flags) {
    bool second = (flags & MB_DEFMASK) == MB_DEFBUTTON2;
    switch (flags & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return second ? IDCANCEL : IDOK;
        case MB_YESNO:
            return second ? IDNO : IDYES;
        default:
            return IDOK;
    }
}

}  // namespace vlz
