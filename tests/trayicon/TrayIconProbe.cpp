// Puts one real icon into the desktop's tray and writes every event of the component to a log
// file, one line each, for the end-to-end test to read:
//   Visible <registered 0|1>
//   MouseDown <left|right|middle> <x> <y>      MouseUp <button> <x> <y>
//   Click   DblClick   MenuShown <x> <y>
// Options: --log <file> (required), --menu (the left button pops a menu), --mouse-up (assign
// OnMouseUp, which takes the place of OnClick).

#include <QApplication>
#include <QMenu>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "toolkit/QtDesktop.h"
#include "toolkit/QtNotifyIconShell.h"
#include "trayicon/TrayIcon.h"

namespace {

const char* ButtonName(vlz::TMouseButton button) {
    switch (button) {
        case vlz::mbLeft:
            return "left";
        case vlz::mbRight:
            return "right";
        default:
            return "middle";
    }
}

// A 16 × 16 picture that is easy to see on a screenshot: a yellow square with a dark frame.
std::vector<std::uint32_t> ProbePicture() {
    std::vector<std::uint32_t> pixels(16 * 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            bool frame = x == 0 || y == 0 || x == 15 || y == 15;
            pixels[static_cast<std::size_t>(y * 16 + x)] = frame ? 0xFF303030u : 0xFFFFD020u;
        }
    }
    return pixels;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::string logPath;
    bool withMenu = false;
    bool withMouseUp = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--log") == 0 && i + 1 < argc) {
            logPath = argv[++i];
        } else if (std::strcmp(argv[i], "--menu") == 0) {
            withMenu = true;
        } else if (std::strcmp(argv[i], "--mouse-up") == 0) {
            withMouseUp = true;
        }
    }
    if (logPath.empty()) {
        std::cerr << "usage: trayicon_probe --log <file> [--menu] [--mouse-up]\n";
        return 2;
    }
    std::ofstream log(logPath, std::ios::app);
    auto write = [&log](const std::string& line) { log << line << std::endl; };

    vlz::QtNotifyIconShell shell;
    vlz::QtDesktop desktop;
    QWidget form;
    QMenu menu;
    menu.addAction("メニュー項目");
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        QPoint at = menu.pos();
        write("MenuShown " + std::to_string(at.x()) + " " + std::to_string(at.y()));
    });

    vlz::TIcon picture;
    picture.SetPixels(16, 16, ProbePicture());
    vlz::TTrayIcon tray(&form);
    tray.SetTipHelp("trayicon probe");
    tray.SetIcon(&picture);
    if (withMenu) {
        tray.SetLBPopupMenu(&menu);
    }
    tray.SetOnMouseDown([&](QObject*, vlz::TMouseButton button, vlz::TShiftState, int x, int y) {
        write(std::string("MouseDown ") + ButtonName(button) + " " + std::to_string(x) + " " +
              std::to_string(y));
    });
    if (withMouseUp) {
        tray.SetOnMouseUp([&](QObject*, vlz::TMouseButton button, vlz::TShiftState, int x, int y) {
            write(std::string("MouseUp ") + ButtonName(button) + " " + std::to_string(x) + " " +
                  std::to_string(y));
        });
    }
    tray.SetOnClick([&](QObject*) { write("Click"); });
    tray.SetOnDblClick([&](QObject*) { write("DblClick"); });
    tray.SetVisible(true);
    write(std::string("Visible ") + (tray.Registered() ? "1" : "0"));
    return application.exec();
}
