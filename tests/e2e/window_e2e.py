"""The hexwend window under a private X server: title, size and place, and the end of the
process when the window manager asks the window to close.

Usage: window_e2e.py HEXWEND SEND_CLOSE
"""

import subprocess
import sys

from e2e_support import Program, check, find_window, window_info

hexwend, send_close = sys.argv[1], sys.argv[2]

with Program([hexwend]) as game:
    window = find_window()
    check(window is not None, "a window titled \"Hexwend\" appears")

    name = subprocess.run(["xprop", "-id", window, "WM_NAME"], capture_output=True, text=True)
    check(name.stdout.strip() == 'WM_NAME(STRING) = "Hexwend"', "its title is exactly Hexwend")

    info = window_info(window)
    root = window_info("-root")
    width, height = int(info["Width"]), int(info["Height"])
    x, y = int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"])
    desktop_w, desktop_h = int(root["Width"]), int(root["Height"])
    check((width, height) == (640, 480), "it is 640 x 480 (got %d x %d)" % (width, height))
    check(
        (x, y) == ((desktop_w - 640) // 2, (desktop_h - 480) // 2),
        "it is centred on the %d x %d desktop (at %d, %d)" % (desktop_w, desktop_h, x, y),
    )

    # The window manager's close request, as a close button sends it.
    sent = subprocess.run([send_close, "Hexwend"])
    check(sent.returncode == 0, "the close request was sent")
    status = game.wait_exit(10)
    check(status == 0, "the process ends with status 0 (got %s)" % status)
