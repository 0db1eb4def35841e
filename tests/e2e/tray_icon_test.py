"""End-to-end test of the tray icon component on a virtual desktop.

Usage: tray_icon_test.py <path of trayicon_probe>

The probe puts one real icon into trayer's tray and logs the component's events; this test finds
the icon, clicks it with xdotool and reads the log.
"""

import os
import sys
import tempfile
import time
import unittest

from desktop import DOUBLE_CLICK_TIME, DesktopTestCase, read_lines

PROBE = None
# The component counts a single click once the double-click time and 50 ms have passed without a
# second one; a click that has not come this long after a press does not come.
SINGLE_CLICK_DELAY = DOUBLE_CLICK_TIME + 0.05 + 0.5
# How long a press is held when the test asks what happens before its release.
HOLD = 0.3


class TrayIconEndToEndTest(DesktopTestCase):
    def setUp(self):
        super().setUp()
        handle, self.log = tempfile.mkstemp(prefix="trayicon-probe-", suffix=".log")
        os.close(handle)
        self.addCleanup(os.unlink, self.log)

    def start_probe(self, *options):
        self.run_program([PROBE, "--log", self.log, *options], name="probe")
        self.desktop.wait_until(lambda: read_lines(self.log), 20, "the probe wrote nothing")
        self.assertEqual(read_lines(self.log)[0], "Visible 1")
        icon = self.desktop.wait_for_tray_icon(class_name="trayicon_probe", timeout=20)
        self.assertTrue(self.desktop.tray_window().contains(*icon.center))
        return icon

    def events(self):
        return read_lines(self.log)[1:]

    def wait_for_events(self, count):
        return self.desktop.wait_until(lambda: len(self.events()) >= count and self.events(), 10,
                                       f"fewer than {count} events: {self.events()}")

    def assert_at(self, icon, event):
        x, y = (int(value) for value in event.split()[-2:])
        self.assertTrue(icon.contains(x, y), f"{event} lies outside {icon}")

    def test_clicks_raise_mouse_down_click_and_double_click(self):
        icon = self.start_probe()

        self.desktop.click_window(icon, button=1)
        self.wait_for_events(2)  # the single click, once the double-click time has passed
        self.desktop.click_window(icon, button=3)
        self.desktop.click_window(icon, button=2)
        self.wait_for_events(4)
        self.desktop.click_window(icon, button=1, repeat=2, delay_ms=60)
        self.wait_for_events(6)
        time.sleep(SINGLE_CLICK_DELAY)  # no single click may follow the double click

        events = self.events()
        self.assertEqual([" ".join(event.split()[:2]) for event in events],
                         ["MouseDown left", "Click", "MouseDown right", "MouseDown middle",
                          "MouseDown left", "DblClick"])
        for event in events:
            if event.startswith("MouseDown"):
                self.assert_at(icon, event)

    def test_button_up_comes_with_the_real_release(self):
        icon = self.start_probe("--mouse-up")
        x, y = icon.center
        self.desktop.press(x, y, button=3)
        self.wait_for_events(1)
        time.sleep(HOLD)
        self.assertEqual([event.split()[0] for event in self.events()], ["MouseDown"])
        self.desktop.release(button=3)
        self.wait_for_events(2)

        self.desktop.click_window(icon, button=1)
        self.wait_for_events(4)
        time.sleep(SINGLE_CLICK_DELAY)  # with OnMouseUp assigned, no single click follows
        self.assertEqual([" ".join(event.split()[:2]) for event in self.events()],
                         ["MouseDown right", "MouseUp right", "MouseDown left", "MouseUp left"],
                         "with OnMouseUp assigned a click raises no OnClick")

    def test_pointer_over_the_icon_raises_mouse_move(self):
        icon = self.start_probe("--mouse-move")
        self.desktop.move_mouse(icon.x + 2, icon.y + 2)
        self.desktop.move_mouse(*icon.center)
        moves = self.wait_for_events(1)
        self.assertTrue(all(event.startswith("MouseMove") for event in moves), moves)
        self.assert_at(icon, moves[-1])

    def test_left_button_pops_the_menu_up_at_the_cursor(self):
        icon = self.start_probe("--menu")
        self.desktop.click_window(icon, button=1)
        shown = self.wait_for_events(1)
        self.assertTrue(shown[0].startswith("MenuShown"), shown)
        menu = self.desktop.wait_for_popup_menu("trayicon_probe")
        self.assertGreater(menu.width, 1)
        self.assertLess(abs(menu.y - icon.center[1]), 40, f"{menu} is far from {icon}")
        screenshot = self.desktop.screenshot(os.path.join(self.desktop.log_dir, "menu.png"))
        self.assertGreater(os.path.getsize(screenshot), 0)
        self.desktop.key("Escape")
        self.desktop.wait_for_no_popup_menu("trayicon_probe")
        # The press that opened the menu was logged before the menu showed.
        self.assertNotIn("MouseDown left", " ".join(self.events()))


class LateTrayTest(DesktopTestCase):
    desktop_options = {"tray": False}

    def test_icon_docks_when_a_tray_appears_later(self):
        handle, log = tempfile.mkstemp(prefix="trayicon-probe-", suffix=".log")
        os.close(handle)
        self.addCleanup(os.unlink, log)
        self.run_program([PROBE, "--log", log], name="probe")
        self.desktop.wait_until(lambda: read_lines(log), 20, "the probe wrote nothing")
        self.assertEqual(read_lines(log)[0], "Visible 1",
                         "an icon is added without a tray on the desktop")
        self.desktop.start_tray()
        icon = self.desktop.wait_for_tray_icon(class_name="trayicon_probe", timeout=20)
        self.desktop.click_window(icon, button=3)
        self.desktop.wait_until(lambda: len(read_lines(log)) > 1, 10, "no event")
        self.assertTrue(read_lines(log)[1].startswith("MouseDown right"))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PROBE = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
