#pragma once
// One QApplication for the whole test program, made by the first test that needs it and kept
// until the program ends (widgets of later tests need it too).

#include <QApplication>

namespace vlz::testing {

inline QApplication& TestApplication() {
    static int argumentCount = 1;
    static char name[] = "vlz-test";
    static char* arguments[] = {name, nullptr};
    static QApplication* application = new QApplication(argumentCount, arguments);
    return *application;
}

}  // namespace vlz::testing
