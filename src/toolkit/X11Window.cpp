#include "toolkit/X11Window.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace vlz {

namespace {

// The atoms the program sets on its windows. Asked once, all together: every show of every note
// needs them, each question waits for the server, and the program has one connection for its
// whole run.
struct TWindowAtoms {
    xcb_atom_t Utf8String = XCB_ATOM_NONE;
    xcb_atom_t NetWmName = XCB_ATOM_NONE;
    xcb_atom_t NetWmState = XCB_ATOM_NONE;
    xcb_atom_t SkipTaskbar = XCB_ATOM_NONE;
    xcb_atom_t SkipPager = XCB_ATOM_NONE;
};

const TWindowAtoms& WindowAtoms(xcb_connection_t* connection) {
    static const TWindowAtoms atoms = [connection] {
        constexpr std::array<const char*, 5> names{"UTF8_STRING", "_NET_WM_NAME", "_NET_WM_STATE",
                                                   "_NET_WM_STATE_SKIP_TASKBAR",
                                                   "_NET_WM_STATE_SKIP_PAGER"};
        // Every request first, then every reply: one wait for the server instead of five.
        std::array<xcb_intern_atom_cookie_t, names.size()> cookies{};
        for (std::size_t index = 0; index < names.size(); ++index) {
            cookies[index] = xcb_intern_atom(
                connection, 0, static_cast<std::uint16_t>(std::strlen(names[index])), names[index]);
        }
        std::array<xcb_atom_t, names.size()> found{};
        for (std::size_t index = 0; index < names.size(); ++index) {
            std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
                xcb_intern_atom_reply(connection, cookies[index], nullptr), &std::free);
            found[index] = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        }
        return TWindowAtoms{found[0], found[1], found[2], found[3], found[4]};
    }();
    return atoms;
}

// The X connection, or nullptr off the xcb platform (the offscreen platform answers for X11 too,
// without a connection).
xcb_connection_t* XConnection() {
    if (qGuiApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

}  // namespace

void WriteExactTitle(QWidget& window) {
    if (!window.isWindow() || !window.testAttribute(Qt::WA_WState_Created)) {
        return;
    }
    const Qt::WindowType type = window.windowType();
    if (type != Qt::Window && type != Qt::Dialog && type != Qt::Tool) {
        return;
    }
    xcb_connection_t* connection = XConnection();
    if (connection == nullptr) {
        return;
    }
    const TWindowAtoms& atoms = WindowAtoms(connection);
    const xcb_atom_t utf8 = atoms.Utf8String;
    const xcb_atom_t netName = atoms.NetWmName;
    if (utf8 == XCB_ATOM_NONE || netName == XCB_ATOM_NONE) {
        return;
    }
    const QByteArray title = window.windowTitle().toUtf8();
    const auto id = static_cast<xcb_window_t>(window.winId());
    for (const xcb_atom_t name : {netName, static_cast<xcb_atom_t>(XCB_ATOM_WM_NAME)}) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, name, utf8, 8,
                            static_cast<std::uint32_t>(title.size()), title.constData());
    }
    xcb_flush(connection);
}

void SetSkipTaskbar(QWidget& window) {
    xcb_connection_t* connection = XConnection();
    if (connection == nullptr) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    const TWindowAtoms& known = WindowAtoms(connection);
    const xcb_atom_t state = known.NetWmState;
    const std::array<xcb_atom_t, 2> wanted{known.SkipTaskbar, known.SkipPager};
    if (state == XCB_ATOM_NONE) {
        return;
    }
    // Keep what is already there (Qt merges its own states into the property when it maps).
    std::vector<xcb_atom_t> atoms;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, id, state, XCB_ATOM_ATOM, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* existing = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        atoms.assign(existing, existing + xcb_get_property_value_length(reply.get()) / 4);
    }
    for (const xcb_atom_t atom : wanted) {
        if (atom != XCB_ATOM_NONE && std::find(atoms.begin(), atoms.end(), atom) == atoms.end()) {
            atoms.push_back(atom);
        }
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
    xcb_flush(connection);
}

}  // namespace vlz
