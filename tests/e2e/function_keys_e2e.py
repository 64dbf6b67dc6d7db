"""The function keys of the real hexwend binary under a private X server: F1 and F2 leave
the game running, and F4 ends the process at once with status 0.

Usage: function_keys_e2e.py HEXWEND
"""

import subprocess
import sys
import time

from e2e_util import Program, check, find_window

hexwend = sys.argv[1]

game = Program([hexwend])
try:
    window = find_window("Hexwend", timeout=40)
    check(window is not None,
          "the game's window appeared (process status %s)" % game.process.poll())
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    time.sleep(0.3)

    # Each key is held for a few updates, as a player would.
    def press(key):
        subprocess.run(["xdotool", "keydown", key], check=True)
        time.sleep(0.1)
        subprocess.run(["xdotool", "keyup", key], check=True)
        time.sleep(0.1)

    for key in ["F1", "F2", "F1", "F2", "Escape", "F3", "F5"]:
        press(key)
    time.sleep(0.5)
    check(game.process.poll() is None, "F1, F2 and other keys leave the game running")

    subprocess.run(["xdotool", "keydown", "F4"], check=True)
    status = game.wait_exit(10)
    subprocess.run(["xdotool", "keyup", "F4"])
    check(status == 0, "F4 ends the process with status 0 (got %s)" % status)
finally:
    game.kill()
    if game.lines:
        print("program output:\n  " + "\n  ".join(game.lines[-20:]))
