"""The function keys of the real hexwend binary under a private X server: F1 and F2 leave
the game running, and F4 ends the process at once with status 0.

Usage: function_keys_e2e.py HEXWEND
"""

import sys
import time

from e2e_support import Program, check, exit_status_holding, focused_window, press

hexwend = sys.argv[1]

with Program([hexwend]) as game:
    focused_window(game)
    time.sleep(0.3)

    for key in ["F1", "F2", "F1", "F2", "Escape", "F3", "F5"]:
        press(key)
    time.sleep(0.5)
    check(game.running(), "F1, F2 and other keys leave the game running")

    status = exit_status_holding(game, "F4")
    check(status == 0, "F4 ends the process with status 0 (got %s)" % status)
