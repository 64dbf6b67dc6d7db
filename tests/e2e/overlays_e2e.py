"""The options screen and the pause menu of the real hexwend binary under a private X server,
driven with xdotool: open the options from the main menu, turn the music down, leave (the
state file then holds the new volume); start a game, pause it, open the options over the
paused play and come back, quit the game from the pause menu. Screenshots of the menu, the
options screen, the pause menu and the options over the pause go into OUTDIR.

Usage: overlays_e2e.py HEXWEND OUTDIR
"""

import os
import time

from e2e_support import (Program, check, exit_status_holding, focused_window, game_arguments,
                         press, presses, screenshot, state_fields)

hexwend, outdir = game_arguments()


def shot(window, name):
    path = screenshot(window, os.path.join(outdir, "overlays-" + name + ".png"))
    check(os.path.getsize(path) > 0, "screenshot " + path)


with Program([hexwend]) as game:
    window = focused_window(game)
    time.sleep(3)  # loading, then the menu slides in
    check(game.running(), "the game is running")
    shot(window, "main_menu")
    check(state_fields(game) == [], "no state file before anything is saved")

    # "Options" is the third entry of the main list.
    press("Down")
    press("Down")
    press("Return")
    time.sleep(0.5)
    # "Music" is the fourth row; the volume starts at 7.
    presses("Down", 3)
    presses("Left", 3)
    time.sleep(0.8)
    shot(window, "options")
    press("Escape")
    time.sleep(0.5)
    fields = state_fields(game)
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
    check(game.running(), "quitting the game leaves the program running")

    status = exit_status_holding(game, "F4")
    check(status == 0, "F4 ends the process with status 0 (got %s)" % status)
