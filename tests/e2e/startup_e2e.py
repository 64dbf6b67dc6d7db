"""How the process starts and ends before and around the main loop.

Usage: startup_e2e.py HEXWEND PROBE
"""

import os
import subprocess
import sys

from e2e_support import check, find_window

hexwend, probe = sys.argv[1], sys.argv[2]


def run(args, env=None, timeout=20):
    result = subprocess.run(args, capture_output=True, text=True, env=env, timeout=timeout)
    return result.returncode, result.stdout.splitlines()


# Without any display GLFW cannot start: its error is printed, then the start-up failure.
no_display = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
status, lines = run([hexwend], env=no_display)
check(status == 255, "without a display the game ends with status -1 (got %d)" % status)
check(any(l.startswith("GLFW Error: err=") and ", msg=" in l for l in lines),
      "the GLFW error is printed: %s" % lines)
check(lines[-1:] == ["glfwInit failed"], "the last line is the start-up failure")

# A game exception escaping the game's main function.
status, lines = run([probe, "--throw-at-start"])
check(status == 255, "an exception in the main function ends with status -1 (got %d)" % status)
check(lines == ["Vorpix Runtime Error : Uncaught Vorpix Exception"],
      "with the runtime's message: %s" % lines)

# A main function that creates no application object: no loop, no window, status 0.
status, lines = run([probe, "--no-app"])
check(status == 0, "without an application object the process ends at once with status 0")
check(lines == [], "and says nothing: %s" % lines)
check(find_window(timeout=0.5) is None, "no window was left behind")
