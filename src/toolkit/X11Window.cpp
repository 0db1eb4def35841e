#include "toolkit/X11Window.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace vlz {

namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
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
    // Asked once: every show of every note comes here, and each question is a round trip. The
    // program has one connection for its whole run.
    static const xcb_atom_t utf8 = InternAtom(connection, "UTF8_STRING");
    static const xcb_atom_t netName = InternAtom(connection, "_NET_WM_NAME");
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
    const xcb_atom_t state = InternAtom(connection, "_NET_WM_STATE");
    const std::array<xcb_atom_t, 2> wanted{InternAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                           InternAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
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
