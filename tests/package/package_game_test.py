"""The built hexwend package, unpacked into a folder of its own, played through its launcher
under a private X server: started from another working folder with HOME pointing at a fresh
folder, the main menu appears; after the options screen is left the record is in
$HOME/.local/share/hexwend/.vorpixstate and in no other place; F4 ends the game through the
launcher with status 0.

Usage: package_game_test.py PACKAGES SHOTS
"""

import os
import sys
import time

from package_support import check, files_below, package_files, temp_folder, unpack

from e2e_support import (STATE_FILE, Program, changed_pixels, exit_status_holding,  # noqa: E402
                         focused_window, press, screenshot, shows_loading)

packages, shots = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
os.makedirs(shots, exist_ok=True)
work = temp_folder("package-game")
root, home, elsewhere = (os.path.join(work, name) for name in ("root", "home", "elsewhere"))
for folder in (home, elsewhere):
    os.makedirs(folder)
unpack(package_files(packages)["hexwend"], root)

os.environ["HOME"] = home
os.environ.pop("XDG_DATA_HOME", None)
os.environ.setdefault("ALSOFT_DRIVERS", "null")
record = os.path.join(home, ".local/share/hexwend", STATE_FILE)


def shoot(window, name):
    return screenshot(window, os.path.join(shots, "package-" + name))


with Program([os.path.join(root, "usr/games/hexwend")], cwd=elsewhere) as game:
    window = focused_window(game)
    # The loading takes about a second, then the menu art, the title and the main list slide
    # in, which takes another two.
    deadline = time.monotonic() + 30
    menu = shoot(window, "menu.png")
    while shows_loading(menu) and time.monotonic() < deadline:
        time.sleep(0.5)
        menu = shoot(window, "menu.png")
    time.sleep(3)
    menu = shoot(window, "menu.png")
    check(game.running() and not shows_loading(menu), "the main menu appeared")
    check(not os.path.exists(record), "no record before anything is saved")

    # "Options" is two down from "Start Game"; Escape leaves the options and saves.
    press("Down")
    press("Down")
    press("Return")
    time.sleep(1.0)
    options = shoot(window, "options.png")
    check(changed_pixels(menu, options) > 640 * 480 // 4, "the options screen opened")
    press("Escape")
    deadline = time.monotonic() + 10
    while not os.path.exists(record) and time.monotonic() < deadline:
        time.sleep(0.2)
    with open(record, encoding="utf-8") as f:
        check(f.read().startswith("QUZO_v2.0|"), "leaving the options wrote the record in %s"
              % os.path.relpath(record, home))
    everywhere = [p for p in files_below(work) if os.path.basename(p) == STATE_FILE]
    check(everywhere == [os.path.relpath(record, work)],
          "and there is no other record anywhere: %s" % everywhere)

    status = exit_status_holding(game, "F4")
    check(status == 0, "F4 ends the game through the launcher with status 0 (got %s)" % status)
