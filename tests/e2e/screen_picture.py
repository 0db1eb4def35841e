"""What a VirtualDesktop's screen shows, pixel by pixel, for end-to-end tests.

    picture = ScreenPicture(desktop)
    colour = picture.pixel(10, 20)            # (red, green, blue)
    area = picture.area(100, 80, 640, 220)    # rows of (red, green, blue)
    keep_screenshot(desktop, "notes.png", crop="600x200+0+0")
"""

import os
import subprocess


class ScreenPicture:
    """One screenshot of the whole screen, 8 bits a channel."""

    def __init__(self, desktop):
        self.width = desktop.width
        self.height = desktop.height
        self._data = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                                    check=True, capture_output=True,
                                    env=desktop.environment()).stdout

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self._data[at:at + 3])

    def area(self, x, y, width, height):
        return [[self.pixel(x + column, y + row) for column in range(width)]
                for row in range(height)]

    def find(self, colour, x, y, width, height):
        """Where the colour appears within the rectangle, as [(x, y)]."""
        return [(x + column, y + row) for row in range(height) for column in range(width)
                if self.pixel(x + column, y + row) == colour]


def keep_screenshot(desktop, name, crop):
    """A screenshot in the desktop's log folder; with VLZ_SCREENSHOT_DIR set, also the part of
    it that `crop` (ImageMagick's WxH+X+Y) names, there, for the documentation."""
    path = desktop.screenshot(os.path.join(desktop.log_dir, name))
    target = os.environ.get("VLZ_SCREENSHOT_DIR")
    if target:
        subprocess.run(["convert", path, "-crop", crop, "+repage", os.path.join(target, name)],
                       check=True)
    return path
