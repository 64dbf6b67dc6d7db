"""The options screen and the pause menu of the real hexwend binary under a private X server,
driven with xdotool: open the options from the main menu, turn the music down, leave (the
state file then holds the new volume); start a game, pause it, open the options over the
paused play and come back, quit the game from the pause menu. Screenshots of the menu, the
options screen, the pause menu and the options over the pause go into OUTDIR.

Usage: overlays_e2e.py HEXWEND OUTDIR
"""

import os
import subprocess
import sys
import time

from e2e_util import Program, check, find_window

hexwend, outdir = sys.argv[1], sys.argv[2]
os.makedirs(outdir, exist_ok=True)
# The sound is not what is checked here.
os.environ["ALSOFT_DRIVERS"] = "null"


def press(key, held=0.1):
    """Holds a key for a few updates, as a player would, then lets the game see it go."""
    subprocess.run(["xdotool", "keydown", key], check=True)
    time.sleep(held)
    subprocess.run(["xdotool", "keyup", key], check=True)
    time.sleep(0.15)


def shot(window, name):
    path = os.path.join(outdir, "overlays-" + name + ".png")
    subprocess.run(["import", "-window", window, path], check=True)
    check(os.path.getsize(path) > 0, "screenshot " + path)


def state_fields(folder):
    path = os.path.join(folder, ".vorpixstate")
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        return f.read().split("|")


game = Program([hexwend])
try:
    window = find_window("Hexwend")
    check(window is not None, "the game's window appeared")
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    time.sleep(3)  # loading, then the menu slides in
    check(game.process.poll() is None, "the game is running")
    shot(window, "main_menu")
    check(state_fields(game.cwd) == [], "no state file before anything is saved")

    # "Options" is the third entry of the main list.
    press("Down")
    press("Down")
    press("Return")
    time.sleep(0.5)
    # "Music" is the fourth row; the volume starts at 7.
    for _ in range(3):
        press("Down")
    for _ in range(3):
        press("Left")
    time.sleep(0.8)
    shot(window, "options")
    press("Escape")
    time.sleep(0.5)
    fields = state_fields(game.cwd)
    check(len(fields) > 2 and fields[0] == "QUZO_v2.0", "leaving the options wrote the state file")
    check(fields[1] == "4", "the state file holds the new music volume (got %s)" % fields[1:2])

    # Back up to "Start Game", then "Normal".
    press("Up")
    press("Up")
    press("Return")
    time.sleep(0.5)
    press("Return")
    time.sleep(2)
    press("Escape")  # pause
    time.sleep(1.5)  # the icon column slides in
    shot(window, "pause_menu")

    # Options over the paused play, then back to the pause menu.
    press("Down")
    press("Return")
    time.sleep(1)
    shot(window, "pause_options")
    press("Escape")
    time.sleep(0.5)
    shot(window, "pause_menu_again")

    # Quit the game: the selection is on options, quit is two up.
    press("Up")
    press("Up")
    press("Return")
    time.sleep(1)
    shot(window, "quit_game")
    time.sleep(3)
    check(game.process.poll() is None, "quitting the game leaves the program running")

    subprocess.run(["xdotool", "keydown", "F4"], check=True)
    status = game.wait_exit(10)
    subprocess.run(["xdotool", "keyup", "F4"])
    check(status == 0, "F4 ends the process with status 0 (got %s)" % status)
finally:
    game.kill()
    if game.lines:
        print("program output:\n  " + "\n  ".join(game.lines[-20:]))
