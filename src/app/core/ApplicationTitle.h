#pragma once
// The program's title: the title of its application window, by which a second start finds the
// running one, the caption of the boxes the program shows and the tray icon's tip.

namespace vlz {

inline constexpr char ApplicationTitle[] = "Velloric付箋";

}  // namespace vlz
