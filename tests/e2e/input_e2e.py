"""Keys and a click sent with xdotool reach the input device with the runtime's codes.

Usage: input_e2e.py PROBE SEND_CLOSE
"""

import subprocess
import sys
import time

from e2e_support import Program, check, focused_window, press

probe, send_close = sys.argv[1], sys.argv[2]

with Program([probe], tail=30) as program:
    check(program.wait_for_line(lambda l: l.startswith("ready"), 20) is not None, "the probe started")
    window = focused_window(program, "its window appeared")
    time.sleep(0.3)

    def expect(lines, what):
        for line in lines:
            check(program.wait_for_line(lambda l, line=line: l == line, 5) is not None,
                  "%s: %s" % (what, line))

    press("a")
    expect(["hit 65 1", "char 97"], "a letter")
    press("Left")
    expect(["hit 37 1", "char 65573"], "the Left arrow")
    press("Delete")
    expect(["hit 46 1", "char 127"], "Delete")
    press("BackSpace")
    expect(["hit 8 1", "char 8"], "Backspace")
    press("KP_Enter")
    press("Return")
    expect(["hit 13 1", "char 13"], "Enter")
    press("Shift_R")
    expect(["hit 16 1"], "the right Shift")
    press("F4")
    expect(["hit 115 1"], "F4")

    # The keypad Enter key gave nothing: exactly one hit of 13 and one character 13.
    check(program.lines.count("hit 13 1") == 1 and program.lines.count("char 13") == 1,
          "the keypad Enter key is invisible to the game")

    subprocess.run(["xdotool", "mousemove", "--window", window, "123", "45"], check=True)
    time.sleep(0.1)
    subprocess.run(["xdotool", "click", "1"], check=True)
    expect(["hit 1 1", "hit 384 1", "click 123 45"], "a left click where the pointer is")

    subprocess.run([send_close, "Hexwend"], check=True)
    check(program.wait_exit(10) == 0, "the close request ends the probe with status 0")
