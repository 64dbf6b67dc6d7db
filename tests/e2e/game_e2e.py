"""A whole game of the real hexwend binary under a private X server: the loading screen and the
main menu appear, keys start a "Hard" game, the figure runs and jumps, the game is lost, the
menu returns and the state file is written; a click on the back icon shows the main list, and
"Quit" then ends the process with status 0.

Screenshots of the loading screen, the main menu, the difficulty list, play and the end
sequence are saved into SHOTS (ImageMagick's import).

Usage: game_e2e.py HEXWEND SHOTS
"""

import os
import subprocess
import time

from e2e_support import (Program, changed_pixels, check, focused_window, game_arguments, press,
                         presses, screenshot, shows_loading, state_fields, state_path)

hexwend, shots = game_arguments()

STATE_RECORD_ELEMENTS = 10535  # split at "|", with the empty piece after the last one


def shoot(window, name):
    return screenshot(window, os.path.join(shots, name))


def bright_pixels(path, region):
    """The number of near-white pixels of a screenshot inside a region."""
    out = subprocess.run(
        ["convert", path, "-crop", region, "+repage", "-colorspace", "gray", "-threshold", "88%",
         "-format", "%[fx:int(mean*w*h+0.5)]", "info:"],
        capture_output=True, text=True, check=True,
    ).stdout
    return int(out)


with Program([hexwend]) as game:
    state_file = state_path(game)
    window = focused_window(game)

    # The loading takes about a second: shoot as fast as possible meanwhile and keep the last
    # picture that still shows the loading screen (the logo is whole by then).
    loading = []
    start = time.monotonic()
    k = 0
    while time.monotonic() - start < 2.5:
        path = shoot(window, "burst-%02d.png" % k)
        k += 1
        if shows_loading(path):
            loading.append(path)
        elif loading:
            break
    check(loading, "the loading screen appeared (%d pictures)" % k)
    os.replace(loading[-1], os.path.join(shots, "1-loading.png"))
    if len(loading) > 2:
        os.replace(loading[len(loading) // 2], os.path.join(shots, "1-loading-assembling.png"))
    for name in os.listdir(shots):
        if name.startswith("burst-"):
            os.remove(os.path.join(shots, name))

    # The main list slides in and the curtain closes over the menu art. The last loading
    # steps (the menu art, the tune) can take seconds on a loaded machine.
    deadline = time.monotonic() + 15
    menu = shoot(window, "2-main-menu.png")
    while shows_loading(menu) and time.monotonic() < deadline:
        time.sleep(0.25)
        menu = shoot(window, "2-main-menu.png")
    time.sleep(1.5)
    menu = shoot(window, "2-main-menu.png")
    check(not shows_loading(menu), "the main menu followed the loading")
    check(game.running(), "the game is running")

    # "Start Game", then the difficulties: "Normal" is highlighted, one down is "Hard".
    press("Return")
    time.sleep(1.0)
    difficulties = shoot(window, "3-difficulties.png")
    check(changed_pixels(menu, difficulties) > 640 * 480 // 4,
          "the difficulty list opened the curtain")
    press("Down")
    time.sleep(0.3)
    shoot(window, "3-difficulties-hard.png")
    press("Return")
    time.sleep(1.0)

    # Play: run right, then jump and hold the jump.
    before_run = shoot(window, "4-play-start.png")
    press("Right", held=0.6)
    after_run = shoot(window, "4-play-ran-right.png")
    floor = "640x80+0+400"  # the strip along the floor, where the figure runs
    check(changed_pixels(before_run, after_run, floor) > 100, "the figure ran along the floor")
    subprocess.run(["xdotool", "keydown", "space"], check=True)
    time.sleep(0.25)
    jump = shoot(window, "4-play-jump.png")
    subprocess.run(["xdotool", "keyup", "space"], check=True)
    check(changed_pixels(after_run, jump, floor) > 100, "the figure jumped off the floor")

    # No more input: the honeycomb comes down until a hex reaches the floor. Keep the recent
    # pictures; the state file is written when the menu returns (90 updates after the loss).
    recent = []
    deadline = time.monotonic() + 240
    k = 0
    while not os.path.exists(state_file) and time.monotonic() < deadline:
        if not game.running():
            break
        path = shoot(window, "play-%03d.png" % (k % 12))
        recent.append((time.monotonic(), path))
        recent = recent[-12:]
        k += 1
        time.sleep(0.15)
    check(os.path.exists(state_file), "the game was lost and the state file written")

    # The end sequence: two triangles slide in and the words "Game" and "Over" stand in
    # place from 41 to 120 updates after the loss, the first centred at (0.35 W, H/2 - 36)
    # of the virtual screen; the menu came back at 90. Keep the last picture before the file
    # was seen that shows "Game" in place.
    game_word = "%dx%d+%d+%d" % (120, 44, 0.35 * 640 - 60, (300 - 36) * 0.8 - 22)
    in_place = [path for _, path in recent if bright_pixels(path, game_word) > 150]
    check(in_place, "the end sequence showed its words")
    os.replace(in_place[-1], os.path.join(shots, "5-end-sequence.png"))
    for name in os.listdir(shots):
        if name.startswith("play-"):
            os.remove(os.path.join(shots, name))

    time.sleep(2.0)
    back = shoot(window, "6-menu-again.png")
    check(game.running(), "the menu returned and the game runs on")
    check(not shows_loading(back), "it is the menu, not the loading screen")

    pieces = state_fields(game)
    check(pieces[0] == "QUZO_v2.0", "the state record begins with its header")
    check(len(pieces) == STATE_RECORD_ELEMENTS, "it holds every element (%d)" % len(pieces))
    check(pieces[1 + 5] == "1", "one finished game is counted (settings element 5)")
    check(pieces[1 + 6] == "506", "the game number is stored (settings element 6)")

    # Back to the main list by the pointer: the back icon at (64, 64) of the 800 x 600
    # virtual screen, (51, 51) in the 640 x 480 window. The curtain closes over the art.
    subprocess.run(["xdotool", "mousemove", "--window", window, "51", "51", "mousedown", "1"],
                   check=True)
    time.sleep(0.1)
    subprocess.run(["xdotool", "mouseup", "1"], check=True)
    time.sleep(1.5)
    main_again = shoot(window, "7-main-list-again.png")
    check(changed_pixels(back, main_again) > 640 * 480 // 4,
          "a click on the back icon returned to the main list")

    # Down to "Quit" and choose it.
    presses("Down", 4)
    press("Return")
    status = game.wait_exit(10)
    check(status == 0, "\"Quit\" ends the process with status 0 (got %s)" % status)
