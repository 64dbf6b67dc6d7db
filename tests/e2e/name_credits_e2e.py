"""The name entry and the credits of the real hexwend binary under a private X server: a name is
spelt with the arrow keys and finished with Enter, which writes it into the state file; the
credits open from the main menu and are left with Escape, after which the menu answers again.

Screenshots of both screens are saved into SHOTS (ImageMagick's import).

Usage: name_credits_e2e.py HEXWEND SHOTS
"""

import os
import subprocess
import sys
import time

from e2e_util import Program, check, find_window

hexwend, shots = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
os.makedirs(shots, exist_ok=True)
# Sound through OpenAL Soft's silent driver, so the check needs no sound device.
os.environ.setdefault("ALSOFT_DRIVERS", "null")

LOADING_COLOUR = (180, 160, 120)  # the loading screen's backdrop
FIRST_NAME_ELEMENT = 203  # of the state record split at "|"
NAME_SLOTS = 13


def shoot(window, name):
    path = os.path.join(shots, name)
    subprocess.run(["import", "-window", window, path], check=True, capture_output=True)
    return path


def pixel(path, x, y):
    """The colour of one pixel of a screenshot as (r, g, b) in 0 ... 255."""
    channels = ",".join("%%[fx:int(255*p{%d,%d}.%s+0.5)]" % (x, y, c) for c in "rgb")
    out = subprocess.run(["convert", path, "-format", channels, "info:"],
                         capture_output=True, text=True, check=True).stdout
    return tuple(int(v) for v in out.split(","))


def changed_pixels(a, b):
    """The number of pixels that differ by more than 10 % between two screenshots."""
    result = subprocess.run(["compare", "-metric", "AE", "-fuzz", "10%", a, b, "null:"],
                            capture_output=True, text=True)
    return int(float(result.stderr.split()[0]))


def saved_name(state_file):
    with open(state_file, encoding="utf-8") as f:
        pieces = f.read().split("|")
    codes = [int(p) for p in pieces[FIRST_NAME_ELEMENT:FIRST_NAME_ELEMENT + NAME_SLOTS]]
    return "".join(chr(c + 32) for c in codes)


game = Program([hexwend])
state_file = os.path.join(game.cwd, ".vorpixstate")
try:
    window = find_window("Hexwend", timeout=40)
    check(window is not None, "the game's window appeared")
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)

    def press(key, held=0.1):
        # Held for a few updates (a held direction repeats only after half a second).
        subprocess.run(["xdotool", "keydown", key], check=True)
        time.sleep(held)
        subprocess.run(["xdotool", "keyup", key], check=True)
        time.sleep(0.12)

    def presses(key, count):
        for _ in range(count):
            press(key)

    # Loading, then the main list slides in with "Start Game" highlighted; one down is
    # "Name - ...". A fresh player is called "Name".
    start = time.monotonic()
    seen_loading = False
    while time.monotonic() - start < 30:
        time.sleep(0.25)
        probe = shoot(window, "name-credits-loading.png")
        loading = all(abs(c - t) <= 6 for c, t in zip(pixel(probe, 4, 4), LOADING_COLOUR))
        seen_loading = seen_loading or loading
        if not loading and (seen_loading or time.monotonic() - start > 3):
            break
    os.remove(probe)
    time.sleep(1.5)
    check(game.process.poll() is None, "the game is running")
    menu = shoot(window, "name-credits-0-menu.png")
    press("Down")
    press("Return")
    time.sleep(0.3)
    opened = shoot(window, "name-credits-1-name-entry-opened.png")
    check(changed_pixels(menu, opened) > 640 * 480 // 4, "the name entry opened")

    # "Name" becomes "Hex": N down to H, a up to e, m up to x, and the e rubbed out (which
    # steps the cursor back onto the x).
    presses("Down", 6)
    press("Right")
    presses("Up", 4)
    press("Right")
    presses("Up", 11)
    press("Right")
    press("x")
    time.sleep(0.2)
    shoot(window, "name-credits-2-name-entry.png")
    check(not os.path.exists(state_file), "nothing is saved before the name is finished")

    press("Return")
    time.sleep(0.5)
    check(os.path.exists(state_file), "finishing the name wrote the state file")
    name = saved_name(state_file)
    check(name == "Hex" + " " * 10, "the state file records the name (%r)" % name)
    shoot(window, "name-credits-3-menu-after-name.png")

    # Two down from "Name" is "Credits".
    presses("Down", 2)
    press("Return")
    time.sleep(1.5)
    credits = shoot(window, "name-credits-4-credits.png")
    time.sleep(2.5)
    later = shoot(window, "name-credits-5-credits-later.png")
    check(changed_pixels(credits, later) > 2000, "the credits move on")

    # Escape leaves; the menu answers: up twice to "Name", Enter opens the name entry and
    # Enter finishes it again, writing the state file anew.
    press("Escape")
    time.sleep(0.5)
    os.remove(state_file)
    shoot(window, "name-credits-6-menu-after-credits.png")
    presses("Up", 2)
    press("Return")
    time.sleep(0.3)
    press("Return")
    time.sleep(0.5)
    check(os.path.exists(state_file),
          "after leaving the credits the menu led to the name entry, which saved again")
    check(saved_name(state_file) == name, "the name is kept")
    check(game.process.poll() is None, "the game runs on")
finally:
    game.kill()
    if game.lines:
        print("program output:\n  " + "\n  ".join(game.lines[-20:]))
