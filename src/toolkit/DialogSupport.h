#pragma once
// What the program's dialogs share: their design font, their place in the middle of the screen,
// the default button that Enter presses, and the animation frame of a tick counter.

#include <QFont>
#include <cstdint>

class QKeyEvent;
class QPushButton;
class QWidget;

namespace vlz {

// A face at a height of 12 pixels, as the forms were designed (96 dots per inch, not scaled).
QFont DesignFont(const char* face, bool bold = false);

// Centres the window on the screen it is on (the primary screen before it is shown).
void CentreOnScreen(QWidget& window);

// Enter presses the focused button, or the default button when the focus is elsewhere. Returns
// whether the key was used.
bool PressDefaultButton(QKeyEvent* event, QWidget* focus, QPushButton* defaultButton);

// The frame a tick counter shows: counter mod pattern count. A counter that has wrapped past the
// largest value still gives a frame of the loop, and a character without frames shows frame 0.
int FrameOfTick(std::int32_t counter, std::int32_t patternCount);

// The counter after one more tick; it wraps instead of overflowing.
std::int32_t NextTick(std::int32_t counter);

}  // namespace vlz
