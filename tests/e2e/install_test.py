"""End-to-end tests of the installed program: the Debian package, what it holds, and the program
run from the tree it unpacks to, on a virtual desktop (Xvfb + openbox + trayer).

Usage: install_test.py <build folder> <cpack> <version>

The package is made once with `cpack -G DEB` from the build folder into a temporary folder and
unpacked there with `dpkg-deb -x`; each test that runs the program gives it a home and XDG folders
of its own, and checks where its files went. The portable program (the build's app folder) runs
in the same way for comparison.
"""

import gzip
import os
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import program  # noqa: E402
from desktop import read_lines  # noqa: E402
from program import ProgramTestCase, read_ini, write_ini  # noqa: E402

BUILD_DIR = None
CPACK = None
VERSION = None
APP_ID = "org.example.vlzozed"
CHARACTERS = ["Fuwari", "Kerro", "Mikan", "Pip", "Tobble"]
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
# The settings dialog: "ログイン時に起動する(&L)" at 12, 117 below the buttons, OK at 64, 88.
LOGIN_BOX = (12 + 8, 117 + 8)
OK_BUTTON = (64 + 38, 88 + 10)


def run(args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kwargs)


def read_bytes(path):
    with open(path, "rb") as file:
        return file.read()


def png_size(path):
    with open(path, "rb") as file:
        header = file.read(24)
    if header[:8] != b"\x89PNG\r\n\x1a\n" or header[12:16] != b"IHDR":
        raise AssertionError(f"{path} is not a PNG file")
    return struct.unpack(">II", header[16:24])


class Package:
    """The Debian package made from the build, and the tree it unpacks to."""

    def __init__(self):
        self.work = tempfile.mkdtemp(prefix="vlzozed-install-")
        try:
            output = os.path.join(self.work, "cpack")
            result = subprocess.run([CPACK, "-G", "DEB", "-B", output], cwd=BUILD_DIR,
                                    capture_output=True, text=True)
            if result.returncode != 0:
                raise AssertionError("cpack failed:\n" + result.stdout + result.stderr)
            architecture = run(["dpkg", "--print-architecture"]).stdout.strip()
            self.deb = os.path.join(output, f"vlzozed_{VERSION}_{architecture}.deb")
            self.root = os.path.join(self.work, "root")
            run(["dpkg-deb", "-x", self.deb, self.root])
        except BaseException:
            self.remove()
            raise
        self.prefix = os.path.join(self.root, "usr")

    def remove(self):
        shutil.rmtree(self.work, ignore_errors=True)


PACKAGE = None


def setUpModule():
    global PACKAGE
    PACKAGE = Package()


def tearDownModule():
    if PACKAGE is not None:
        PACKAGE.remove()


class Home:
    """A user's home with the XDG folders set explicitly or left to their defaults."""

    def __init__(self, root, explicit=True):
        self.path = os.path.join(root, "home")
        os.makedirs(self.path, exist_ok=True)
        self.config = os.path.join(root, "xdg-config") if explicit else \
            os.path.join(self.path, ".config")
        self.data = os.path.join(root, "xdg-data") if explicit else \
            os.path.join(self.path, ".local", "share")
        self.state = os.path.join(root, "xdg-state") if explicit else \
            os.path.join(self.path, ".local", "state")
        self.environment = {"HOME": self.path}
        for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"):
            self.environment[name] = ""
        if explicit:
            self.environment.update(XDG_CONFIG_HOME=self.config, XDG_DATA_HOME=self.data,
                                    XDG_STATE_HOME=self.state)

    def settings(self, name):
        return os.path.join(self.config, "vlzozed", name)

    @property
    def autostart_entry(self):
        return os.path.join(self.config, "autostart", APP_ID + ".desktop")


class PackageTest(unittest.TestCase):
    """What the package holds; nothing of it runs here."""

    def setUp(self):
        self.deb = PACKAGE.deb
        self.prefix = PACKAGE.prefix

    # ---- the package ----

    def test_the_package_holds_exactly_the_program_its_characters_and_desktop_files(self):
        contents = run(["dpkg-deb", "-c", self.deb]).stdout.splitlines()
        files = sorted(line.split()[-1].lstrip(".") for line in contents
                       if not line.startswith("d"))
        expected = sorted(
            [f"/usr/bin/{name}" for name in ("VLZozed", "pxdib", "vlfpack")]
            + [f"/usr/share/vlzozed/characters/{name}.vlf" for name in CHARACTERS]
            + [f"/usr/share/applications/{APP_ID}.desktop",
               f"/usr/share/metainfo/{APP_ID}.metainfo.xml"]
            + [f"/usr/share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png"
               for size in ICON_SIZES]
            + [f"/usr/share/man/man1/{page}.1.gz" for page in ("VLZozed", "pxdib", "vlfpack")])
        self.assertEqual(files, expected)

        fields = run(["dpkg-deb", "-f", self.deb, "Package", "Depends", "Recommends"]).stdout
        self.assertIn("Package: vlzozed", fields)
        # Worked out from the programs' libraries, not written by hand.
        self.assertRegex(fields, r"Depends: .*libqt6widgets6")
        self.assertRegex(fields, r"Depends: .*libc6")
        self.assertRegex(fields, r"Recommends: .*fonts-noto-cjk")

        for name in ("VLZozed", "pxdib", "vlfpack"):
            mode = os.stat(os.path.join(self.prefix, "bin", name)).st_mode
            self.assertTrue(mode & stat.S_IXOTH, name + " is not executable by everyone")

    def test_the_desktop_entry_and_the_metainfo_validate(self):
        entry = os.path.join(self.prefix, "share", "applications", APP_ID + ".desktop")
        result = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
        self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))
        with open(entry, encoding="utf-8") as file:
            lines = file.read().splitlines()
        self.assertIn("Name=Velloric付箋", lines)
        self.assertIn("Categories=Utility;", lines)
        self.assertIn("Icon=" + APP_ID, lines)
        self.assertIn("StartupWMClass=VLZozed", lines)
        self.assertTrue(any(line.startswith("Comment=") for line in lines))
        self.assertTrue(any(line.startswith("Comment[ja]=") for line in lines))

        metainfo = os.path.join(self.prefix, "share", "metainfo", APP_ID + ".metainfo.xml")
        result = subprocess.run(["appstreamcli", "validate", "--no-net", "--pedantic", metainfo],
                                capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        with open(metainfo, encoding="utf-8") as file:
            text = file.read()
        self.assertIn(f"<launchable type=\"desktop-id\">{APP_ID}.desktop</launchable>", text)
        self.assertIn("screenshot.png</image>", text)

    def test_the_icons_are_the_tray_art_enlarged_by_whole_factors(self):
        for size in ICON_SIZES:
            path = os.path.join(self.prefix, "share", "icons", "hicolor", f"{size}x{size}",
                                "apps", APP_ID + ".png")
            self.assertEqual(png_size(path), (size, size))
            # Nearest-neighbour keeps the art's ten colours and the transparent background; any
            # smoothing would mix new ones.
            colours = run(["identify", "-format", "%k", path]).stdout
            self.assertLessEqual(int(colours), 11, f"{size}x{size}: {colours} colours")

    def test_the_manual_pages_are_compressed_pages_of_section_1(self):
        for page in ("VLZozed", "pxdib", "vlfpack"):
            path = os.path.join(self.prefix, "share", "man", "man1", page + ".1.gz")
            with gzip.open(path, "rt", encoding="utf-8") as manual:
                lines = manual.read().splitlines()
            self.assertTrue(lines[0].endswith("coding: UTF-8 -*-"), lines[0])
            self.assertTrue(lines[1].startswith(f".TH {page.upper()} 1 "), lines[1])


class InstalledProgramTest(ProgramTestCase):
    """The program run from the unpacked tree and from a portable folder, each with a home and
    XDG folders of its own."""

    def setUp(self):
        super().setUp()
        self.prefix = PACKAGE.prefix
        self.scratch = tempfile.mkdtemp(prefix="vlzozed-user-", dir=PACKAGE.work)
        self.addCleanup(shutil.rmtree, self.scratch, ignore_errors=True)

    def installed(self, name="VLZozed"):
        return os.path.join(self.prefix, "bin", name)

    def run_once(self, home, executable=None):
        """Starts the program for this home, waits for its first note and exits it."""
        self.start(executable=executable, env=home.environment)
        self.assertEqual(self.exit_program(), 0)

    def settings_dialog(self, toggle_login):
        """Opens the settings dialog, clicks the login box when asked, and confirms with OK."""
        self.menu_command("c")  # "環境設定(&C)..."
        dialog = self.wait_for_dialog("設定")
        if toggle_login:
            self.desktop.click(dialog.x + LOGIN_BOX[0], dialog.y + LOGIN_BOX[1])
        self.desktop.click(dialog.x + OK_BUTTON[0], dialog.y + OK_BUTTON[1])
        self.wait_until_gone("設定")

    def make_character(self, folder, name):
        """A package of the user's own: Tobble's picture under another name, made with the
        installed vlfpack."""
        vlfpack = self.installed("vlfpack")
        shipped = os.path.join(self.prefix, "share", "vlzozed", "characters", "Tobble.vlf")
        stage = os.path.join(self.scratch, "stage")
        os.makedirs(stage, exist_ok=True)
        run([vlfpack, "extract", shipped, "image.bmp", os.path.join(stage, "image.bmp")])
        with open(os.path.join(stage, "desc.txt"), "wb") as desc:
            desc.write((f"Name={name}\r\nPatternWidth=32\r\nPatternHeight=32\r\n"
                        "PatternCount=1\r\nAnimationInterval=250\r\n").encode("cp932"))
        os.makedirs(folder, exist_ok=True)
        run([vlfpack, "create", os.path.join(folder, name + ".vlf"),
             os.path.join(stage, "desc.txt"), os.path.join(stage, "image.bmp")])

    def test_the_installed_program_keeps_its_files_in_the_users_folders(self):
        home = Home(self.scratch)
        self.make_character(os.path.join(home.data, "vlzozed", "characters"), "Mine")
        # The first start's note takes the default character, here the user's own.
        os.makedirs(os.path.dirname(home.settings("x")))
        write_ini(home.settings("VLZozed_pref.ini"),
                  [("DefaultZozedProperty", {"Character": "Mine"})])
        before = sorted(os.listdir(os.path.join(self.prefix, "bin")))
        self.run_once(home, self.installed())

        sections = read_ini(home.settings("VLZozed.ini"))
        self.assertEqual([name for name, _ in sections], ["0"])
        self.assertEqual(sections[0][1]["Character"], "Mine")
        preferences = dict(read_ini(home.settings("VLZozed_pref.ini")))
        self.assertEqual(preferences["System"]["BootCount"], "1")
        self.assertEqual(sorted(os.listdir(os.path.join(self.prefix, "bin"))), before)
        self.assertEqual(
            sorted(os.listdir(os.path.join(self.prefix, "share", "vlzozed", "characters"))),
            [name + ".vlf" for name in CHARACTERS])

        # A second run rotates the backups beside the note file.
        first = read_bytes(home.settings("VLZozed.ini"))
        self.run_once(home, self.installed())
        self.assertEqual(read_bytes(home.settings("VLZozed.bak")), first)

    def test_an_installation_anywhere_makes_its_folder_private_under_the_defaults(self):
        # The tree moved to the user's own prefix, ~/.local, with every XDG variable unset.
        home = Home(self.scratch, explicit=False)
        local = os.path.join(home.path, ".local")
        shutil.copytree(self.prefix, local, symlinks=True)
        self.run_once(home, os.path.join(local, "bin", "VLZozed"))
        folder = os.path.join(home.path, ".config", "vlzozed")
        self.assertEqual(stat.S_IMODE(os.stat(folder).st_mode), 0o700)
        self.assertEqual(sorted(os.listdir(folder)), ["VLZozed.ini", "VLZozed_pref.ini"])
        self.assertEqual(sorted(os.listdir(os.path.join(local, "bin"))),
                         ["VLZozed", "pxdib", "vlfpack"])

    def test_the_portable_program_keeps_everything_beside_itself(self):
        # The test's program folder is a copy of the build's app folder: the program and the
        # packages, nothing else.
        home = Home(self.scratch)
        self.run_once(home)
        self.assertIn("VLZozed.ini", os.listdir(self.folder.path))
        self.assertIn("VLZozed_pref.ini", os.listdir(self.folder.path))
        for unused in (home.config, home.data, home.state):
            self.assertFalse(os.path.exists(unused), unused + " was made")

    def test_the_login_box_writes_and_removes_the_autostart_entry(self):
        home = Home(self.scratch)
        executable = self.installed()
        # An entry the user switched off counts as off: the box starts unchecked.
        os.makedirs(os.path.dirname(home.autostart_entry))
        with open(home.autostart_entry, "w", encoding="utf-8") as entry:
            entry.write(f"[Desktop Entry]\nType=Application\nName=x\nExec={executable}\n"
                        "Hidden=true\n")
        self.start(executable=executable, env=home.environment)
        self.settings_dialog(toggle_login=True)

        def written_entry():
            lines = read_lines(home.autostart_entry)
            return lines if lines and "Hidden=true" not in lines else None

        lines = self.desktop.wait_until(written_entry,
                                        message="the login box wrote no autostart entry")
        self.assertIn(f'Exec="{executable}"', lines)
        self.assertNotIn("Hidden=true", lines)
        result = subprocess.run(["desktop-file-validate", home.autostart_entry],
                                capture_output=True, text=True)
        self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))

        # The box now opens checked; one click unchecks it, and OK removes the entry.
        self.settings_dialog(toggle_login=True)
        self.desktop.wait_until(lambda: not os.path.exists(home.autostart_entry),
                                message="the autostart entry stayed")
        self.assertEqual(self.exit_program(), 0)
        preferences = read_bytes(home.settings("VLZozed_pref.ini"))
        self.assertNotIn(b"autostart", preferences.lower())
        self.assertNotIn(b"login", preferences.lower())


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    BUILD_DIR = os.path.abspath(sys.argv.pop(1))
    CPACK = sys.argv.pop(1)
    VERSION = sys.argv.pop(1)
    program.PROGRAM_DIR = os.path.join(BUILD_DIR, "app")
    # A sanitizer build: the desktop's own libraries (D-Bus) keep a few blocks until exit.
    os.environ.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    unittest.main(verbosity=2)
