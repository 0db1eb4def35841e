#pragma once
// Message boxes, as the program asks for them: a text, a caption and the Windows flag bits for
// buttons, icon and default button. The Qt layer installs the real implementation; tests install a
// double that records each box and answers with a scripted button. Without one, boxes go to
// standard error and are answered with the default button (command-line tools).

#include <string>
#include <string_view>

namespace vlz {

// Buttons.
constexpr unsigned MB_OK = 0x0000;
constexpr unsigned MB_OKCANCEL = 0x0001;
constexpr unsigned MB_YESNO = 0x0004;
constexpr unsigned MB_TYPEMASK = 0x000F;
// Icons.
constexpr unsigned MB_ICONERROR = 0x0010;
constexpr unsigned MB_ICONQUESTION = 0x0020;
constexpr unsigned MB_ICONWARNING = 0x0030;
constexpr unsigned MB_ICONINFORMATION = 0x0040;
constexpr unsigned MB_ICONMASK = 0x00F0;
// Default button.
constexpr unsigned MB_DEFBUTTON2 = 0x0100;
constexpr unsigned MB_DEFMASK = 0x0F00;

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Who owns the box: the application's window, or no window at all (a box that stands alone).
enum class MessageBoxOwner { Application, None };

class MessageBoxHook {
  public:
    virtual ~MessageBoxHook() = default;
    virtual int Show(std::string_view text, std::string_view caption, unsigned flags,
                     MessageBoxOwner owner) = 0;
};

// Installs the implementation (nullptr restores the standard-error one); returns the previous.
MessageBoxHook* InstallMessageBoxHook(MessageBoxHook* hook);

// Shows a box through the installed hook and returns the button that closed it.
int ShowMessageBox(std::string_view text, std::string_view caption, unsigned flags,
                   MessageBoxOwner owner = MessageBoxOwner::Application);

// The answer of a box that nobody can see: its default button.
int DefaultAnswer(unsigned flags);

}  // namespace vlz
