#pragma once
// Pictures from Qt into the component's icon: a form's or the application's QIcon, or an image the
// program draws, become a TIcon that the notification-area shell can show.

#include "graphics/Icon.h"

class QIcon;
class QImage;

namespace vlz {

// Copies the image into the icon (any format; converted to ARGB). A null image empties it.
void AssignQImage(TIcon& icon, const QImage& image);

// Copies the icon's picture at the given size (16 × 16 for the notification area); false, and
// the icon unchanged, when the QIcon has no picture.
bool AssignQIcon(TIcon& icon, const QIcon& source, int size = 16);

}  // namespace vlz
