#pragma once
// One application object for the whole test program, prepared as the program prepares its own
// (Japanese fonts in place of the Windows faces, system colours from the palette), made by the
// first test that needs it and kept until the program ends.

#include "toolkit/Application.h"

namespace vlz::testing {

inline TApplication& TestApplication() {
    static int argumentCount = 1;
    static char name[] = "vlz-test";
    static char* arguments[] = {name, nullptr};
    static TApplication* application = [] {
        auto* made = new TApplication(argumentCount, arguments);
        PrepareDesktop(*made);
        return made;
    }();
    return *application;
}

}  // namespace vlz::testing
