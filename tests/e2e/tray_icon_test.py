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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import VirtualDesktop, read_lines  # noqa: E402

PROBE = None
# Longer than the double-click time (Qt's default, 400 ms) plus 50 ms, with room for a slow build.
CLICK_SETTLE = 1.2


class TrayIconEndToEndTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = VirtualDesktop()
        cls.desktop.start()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop()

    def setUp(self):
        handle, self.log = tempfile.mkstemp(prefix="trayicon-probe-", suffix=".log")
        os.close(handle)
        self.probe = None

    def tearDown(self):
        if self.probe is not None:
            self.desktop.stop_process(self.probe)
        os.unlink(self.log)

    def start_probe(self, *options):
        self.probe = self.desktop.run([PROBE, "--log", self.log, *options], name="probe")
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
        time.sleep(CLICK_SETTLE)
        self.desktop.click_window(icon, button=3)
        self.desktop.click_window(icon, button=2)
        self.wait_for_events(4)
        self.desktop.click_window(icon, button=1, repeat=2, delay_ms=60)
        self.wait_for_events(6)
        time.sleep(CLICK_SETTLE)

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
        time.sleep(0.3)
        self.assertEqual([event.split()[0] for event in self.events()], ["MouseDown"])
        self.desktop.release(button=3)
        self.wait_for_events(2)

        self.desktop.click_window(icon, button=1)
        self.wait_for_events(4)
        time.sleep(CLICK_SETTLE)
        self.assertEqual([" ".join(event.split()[:2]) for event in self.events()],
                         ["MouseDown right", "MouseUp right", "MouseDown left", "MouseUp left"],
                         "with OnMouseUp assigned a click raises no OnClick")

    def test_left_button_pops_the_menu_up_at_the_cursor(self):
        icon = self.start_probe("--menu")
        self.desktop.click_window(icon, button=1)
        shown = self.wait_for_events(1)
        self.assertTrue(shown[0].startswith("MenuShown"), shown)
        menus = self.desktop.wait_until(
            lambda: [window for window in self.desktop.search_windows(class_name="trayicon_probe")
                     if window != icon.id], 10, "no menu window")
        menu = self.desktop.window(menus[0])
        self.assertGreater(menu.width, 1)
        self.assertLess(abs(menu.y - icon.center[1]), 40, f"{menu} is far from {icon}")
        screenshot = self.desktop.screenshot(os.path.join(self.desktop.log_dir, "menu.png"))
        self.assertGreater(os.path.getsize(screenshot), 0)
        self.desktop.key("Escape")
        time.sleep(CLICK_SETTLE)
        self.assertNotIn("MouseDown left", " ".join(self.events()))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PROBE = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
