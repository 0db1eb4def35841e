#include "toolkit/Application.h"

#include <QFont>
#include <QFontMetrics>
#include <QLibraryInfo>
#include <QLocale>
#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "graphics/Color.h"
#include "platform/Exception.h"
#include "platform/ExceptionText.h"
#include "platform/MessageBox.h"
#include "platform/OwnEnvironment.h"
#include "toolkit/Form.h"
#include "toolkit/X11Window.h"

namespace vlz {

namespace {

TApplication* CurrentApplication = nullptr;

// The Japanese face every Windows face of the program stands for, so that text metrics stay the
// same everywhere.
constexpr const char* JapaneseFace = "Noto Sans CJK JP";

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    CurrentApplication = this;
    setQuitOnLastWindowClosed(false);
}

TApplication::~TApplication() {
    CurrentApplication = nullptr;
}

TApplication* TApplication::Instance() {
    return CurrentApplication;
}

void TApplication::SetTitle(const std::string& title) {
    // Not Qt's application display name: the window systems' Qt platforms append that to every
    // window title, and each window's caption is its own.
    FTitle = title;
}

void TApplication::SetMainForm(TForm* form) {
    FMainForm = form;
}

void TApplication::Terminate() {
    FTerminated = true;
    QTimer::singleShot(0, this, [] { QCoreApplication::exit(0); });
}

int TApplication::Run() {
    if (FTerminated) {
        return 0;
    }
    return exec();
}

void TApplication::HandleException(std::exception_ptr error) {
    ShowException(ExceptionText(error));
}

void TApplication::ShowException(const std::string& message) {
    ShowMessageBox(message, FTitle, MB_OK | MB_ICONERROR);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        // Every window keeps its own title on the screen, whatever Qt's platform makes of it.
        const bool titled =
            event->type() == QEvent::Show || event->type() == QEvent::WindowTitleChange;
        const QPointer<QWidget> window = titled ? qobject_cast<QWidget*>(receiver) : nullptr;
        const bool handled = QApplication::notify(receiver, event);
        if (window != nullptr) {
            WriteExactTitle(*window);
        }
        return handled;
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

void Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        if (CurrentApplication != nullptr) {
            CurrentApplication->HandleException(std::current_exception());
        } else {
            std::fprintf(stderr, "%s\n", ExceptionText(std::current_exception()).c_str());
        }
    }
}

bool PrepareDisplay() {
    const char* display = std::getenv("DISPLAY");
    const bool hasX = display != nullptr && *display != '\0';
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool hasWayland = wayland != nullptr && *wayland != '\0';
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool platformChosen = platform != nullptr && *platform != '\0';
    // The notes repaint small rectangles of small windows several times a second. Through shared
    // memory each such repaint first waits for the X server to have read the previous one (a round
    // trip, two thread wake-ups); sending the few pixels along with the request waits for nothing.
    SetOwnEnvironment("QT_XCB_NO_MITSHM", "1", false);
    // Without a session bus address the tray's first look for a StatusNotifierItem host makes the
    // bus library fork a helper that would find or start a bus for the display. Forked while
    // other threads of the program run, that child can stay stuck before it starts the helper,
    // and the tray, so start-up, waits for it for ever. A session without the address has no
    // tray host on a bus to find: the icon goes to the XEmbed tray at once.
    SetOwnEnvironment("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/no-session-bus", false);
    if (platformChosen) {
        return true;
    }
    if (hasX) {
        // Also in a Wayland session: windows on Wayland cannot place themselves, so the notes
        // would lose their places; on XWayland they keep them, and the tray works as on X11.
        SetOwnEnvironment("QT_QPA_PLATFORM", "xcb");
        return true;
    }
    if (hasWayland) {
        std::fprintf(stderr,
                     "VLZozed: this Wayland session has no X display (DISPLAY is unset); "
                     "VLZozed runs on XWayland, so that the notes keep their places. "
                     "Enable XWayland in the compositor and start VLZozed again.\n");
    } else {
        std::fprintf(stderr,
                     "VLZozed: no display found (DISPLAY and WAYLAND_DISPLAY are unset); "
                     "the notes need a desktop to appear on.\n");
    }
    return false;
}

std::jthread PrepareFonts() {
    // The memo's face as the notes ask for it, and the interface face: the text of both first
    // lays itself out in them, and each needs the list of faces that stand in for it.
    QFont memo(QStringLiteral("ＭＳ Ｐゴシック"));
    memo.setPixelSize(12);
    const QFont interface = QApplication::font();
    return std::jthread([memo, interface] {
        for (const QFont& font : {memo, interface}) {
            QFontMetrics(font).horizontalAdvance(QStringLiteral("あA1"));
        }
    });
}

void PrepareDesktop(TApplication& application) {
    auto* translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    }

    for (const char* face :
         {"ＭＳ Ｐゴシック", "ＭＳ ゴシック", "MS UI Gothic", "MS PGothic", "MS Gothic"}) {
        QFont::insertSubstitution(QString::fromUtf8(face), QString::fromLatin1(JapaneseFace));
    }
    // Menus and Qt's own dialogs speak Japanese too: in a Latin face every kana would come from
    // a fallback face, and every control would load and keep a face that shows nothing of ours.
    QFont interfaceFont = QApplication::font();
    interfaceFont.setFamilies({QString::fromLatin1(JapaneseFace)});
    QApplication::setFont(interfaceFont);

    const QPalette palette = QApplication::palette();
    const auto set = [&](int index, QPalette::ColorRole role) {
        const QColor color = palette.color(QPalette::Active, role);
        SetSystemColor(index, RGB(static_cast<std::uint8_t>(color.red()),
                                  static_cast<std::uint8_t>(color.green()),
                                  static_cast<std::uint8_t>(color.blue())));
    };
    set(COLOR_WINDOW, QPalette::Base);
    set(COLOR_WINDOWTEXT, QPalette::Text);
    set(COLOR_BTNFACE, QPalette::Button);
    set(COLOR_BTNTEXT, QPalette::ButtonText);
    set(COLOR_HIGHLIGHT, QPalette::Highlight);
    set(COLOR_HIGHLIGHTTEXT, QPalette::HighlightedText);
}

}  // namespace vlz
