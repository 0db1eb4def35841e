#pragma once
// The shell services the program asks for when it opens a web or mail address: the shell's
// default action on a file or address (ShellExecuteA), the registered open commands under
// HKEY_CLASSES_ROOT, and starting a command line (WinExec). The desktop implementation answers
// them from the freedesktop desktop (xdg-open, MIME associations, detached processes); tests
// install a double.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vlz {

// Window show commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

// Results below the success thresholds.
constexpr std::intptr_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::intptr_t SE_ERR_NOASSOC = 31;
// ShellExecute succeeds above 32, WinExec above 31.
constexpr std::intptr_t ShellExecuteSuccessAbove = 32;
constexpr unsigned WinExecSuccessAbove = 31;

class ShellHook {
  public:
    virtual ~ShellHook() = default;
    // The default action on `file` (no owner, verb, parameters or folder).
    virtual std::intptr_t ShellExecute(std::string_view file, int showCommand) = 0;
    // The whole default (unnamed) value of the key HKEY_CLASSES_ROOT\subkey, or nothing when the
    // key or its value does not exist. Key names are matched without regard to case.
    virtual std::optional<std::string> ReadClassesRootDefault(std::string_view subkey) = 0;
    // Starts a command line (program and arguments in one string) without waiting for it.
    virtual unsigned WinExec(std::string_view commandLine, int showCommand) = 0;
};

// The desktop's answers:
// - ShellExecute runs the opener `xdg-open` found on PATH and waits for it; success is an opener
//   that exits with status 0 (or is still busy handing the address over after a few seconds);
// - ".htm" / ".html" give the desktop-file id of the default application for text/html;
//   "<id>.desktop\shell\open\command" gives that entry's command, "<scheme>\shell\open\command"
//   the command of the default handler of x-scheme-handler/<scheme> ("mailto"), each a command
//   line whose file or address field code is the placeholder "%1";
// - WinExec splits the line as Windows programs split their command line and starts the program
//   detached. The show command has no meaning for another program's windows here.
class DesktopShell : public ShellHook {
  public:
    std::intptr_t ShellExecute(std::string_view file, int showCommand) override;
    std::optional<std::string> ReadClassesRootDefault(std::string_view subkey) override;
    unsigned WinExec(std::string_view commandLine, int showCommand) override;
};

// Installs the implementation (nullptr restores the desktop one); returns the previous.
ShellHook* InstallShellHook(ShellHook* hook);
ShellHook& Shell();

}  // namespace vlz
