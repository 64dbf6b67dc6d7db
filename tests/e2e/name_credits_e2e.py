"""The name entry and the credits of the real hexwend binary under a private X server: a name is
spelt with the arrow keys and finished with Enter, which writes it into the state file; the
credits open from the main menu and are left with Escape, after which the menu answers again.

Screenshots of both screens are saved into SHOTS (ImageMagick's import).

Usage: name_credits_e2e.py HEXWEND SHOTS
"""

import os
import time

from e2e_support import (Program, changed_pixels, check, focused_window, game_arguments, press,
                         presses, screenshot, shows_loading, spell_hex, state_fields, state_path)

hexwend, shots = game_arguments()

FIRST_NAME_ELEMENT = 203  # of the state record split at "|"
NAME_SLOTS = 13


def shoot(window, name):
    return screenshot(window, os.path.join(shots, name))


def saved_name(game):
    pieces = state_fields(game)
    codes = [int(p) for p in pieces[FIRST_NAME_ELEMENT:FIRST_NAME_ELEMENT + NAME_SLOTS]]
    return "".join(chr(c + 32) for c in codes)


with Program([hexwend]) as game:
    state_file = state_path(game)
    window = focused_window(game)

    # Loading, then the main list slides in with "Start Game" highlighted; one down is
    # "Name - ...". A fresh player is called "Name".
    start = time.monotonic()
    seen_loading = False
    while time.monotonic() - start < 30:
        time.sleep(0.25)
        probe = shoot(window, "name-credits-loading.png")
        loading = shows_loading(probe)
        seen_loading = seen_loading or loading
        if not loading and (seen_loading or time.monotonic() - start > 3):
            break
    os.remove(probe)
    time.sleep(1.5)
    check(game.running(), "the game is running")
    menu = shoot(window, "name-credits-0-menu.png")
    press("Down")
    press("Return")
    time.sleep(0.3)
    opened = shoot(window, "name-credits-1-name-entry-opened.png")
    check(changed_pixels(menu, opened) > 640 * 480 // 4, "the name entry opened")

    # "Name" becomes "Hex".
    spell_hex()
    time.sleep(0.2)
    shoot(window, "name-credits-2-name-entry.png")
    check(not os.path.exists(state_file), "nothing is saved before the name is finished")

    press("Return")
    time.sleep(0.5)
    check(os.path.exists(state_file), "finishing the name wrote the state file")
    name = saved_name(game)
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
    check(saved_name(game) == name, "the name is kept")
    check(game.running(), "the game runs on")
