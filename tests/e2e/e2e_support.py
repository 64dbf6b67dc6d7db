"""Helpers for the end-to-end scripts: run a program in a working folder of its own and follow
its output, find and focus its window, hold keys as a player would, take and read
screenshots, and read the state file the game writes."""

import os
import queue
import socket
import subprocess
import sys
import tempfile
import threading
import time

# The name of the game's window and of its state file (in its working folder).
WINDOW_NAME = "Hexwend"
STATE_FILE = ".vorpixstate"
# The backdrop of the loading screen, at its top-left corner.
LOADING_COLOUR = (180, 160, 120)


class Program:
    """A started program whose standard output is collected line by line.

    Used as a context manager it is killed at the end of the block, and the last `tail` lines
    it printed are shown, so that a failed check comes with the program's own words."""

    def __init__(self, args, cwd=None, tail=20):
        self.cwd = cwd or tempfile.mkdtemp(prefix="hexwend-e2e-")
        self.process = subprocess.Popen(
            args, cwd=self.cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True
        )
        self.lines = []
        self.tail = tail
        self._queue = queue.Queue()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.kill()
        if self.lines:
            print("program output:\n  " + "\n  ".join(self.lines[-self.tail:]))
        return False

    def _read(self):
        for line in self.process.stdout:
            self._queue.put(line.rstrip("\n"))
        self._queue.put(None)

    def _drain(self, timeout):
        try:
            line = self._queue.get(timeout=timeout)
        except queue.Empty:
            return False
        if line is not None:
            self.lines.append(line)
        return line is not None

    def running(self):
        return self.process.poll() is None

    def wait_for_line(self, predicate, timeout):
        """Waits until a line satisfying predicate has arrived; returns it or None."""
        deadline = time.monotonic() + timeout
        for line in self.lines:
            if predicate(line):
                return line
        while time.monotonic() < deadline:
            if self._drain(0.05) and predicate(self.lines[-1]):
                return self.lines[-1]
            if self.process.poll() is not None and self._queue.empty():
                return None
        return None

    def wait_exit(self, timeout):
        """The exit status, or None if the program is still running after timeout seconds."""
        try:
            status = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        self._reader.join(timeout=5)
        while self._drain(0):
            pass
        return status

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


# A loopback port that is bound but never listens, so that a connection to it is refused; kept
# for the life of the check so that nothing else can take it.
_refusing = None


def refusing_address():
    """host:port of 127.0.0.1 where every connection is refused."""
    global _refusing
    if _refusing is None:
        _refusing = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        _refusing.bind(("127.0.0.1", 0))
    return "127.0.0.1:%d" % _refusing.getsockname()[1]


def game_arguments():
    """HEXWEND and the screenshot folder SHOTS from the command line, as absolute paths, with
    SHOTS made. The game's sound goes to OpenAL Soft's silent driver, so that the check needs
    no sound device, and its scores to an address that refuses them, so that a check never
    reaches a score server someone runs on this machine (a check of the leaderboard points
    HEXWEND_SCORE_SERVER at its own server afterwards)."""
    hexwend, shots = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    os.makedirs(shots, exist_ok=True)
    os.environ.setdefault("ALSOFT_DRIVERS", "null")
    os.environ["HEXWEND_SCORE_SERVER"] = refusing_address()
    return hexwend, shots


# --- Windows and input ---------------------------------------------------------------------


def find_window(name=WINDOW_NAME, timeout=20):
    """The id of the visible window with exactly this name, or None."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name],
            capture_output=True, text=True,
        )
        ids = result.stdout.split()
        if ids:
            return ids[0]
        time.sleep(0.1)
    return None


def focused_window(program, what="the game's window appeared", timeout=60):
    """Waits for the program's window (a busy machine can take its time), checks that it
    appeared and gives it the keyboard focus; returns its id."""
    window = find_window(timeout=timeout)
    check(window is not None, "%s (process status %s)" % (what, program.process.poll()))
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    return window


def press(key, held=0.1, after=0.15):
    """Holds a key for a few updates, as a player would, then lets the game see it go."""
    subprocess.run(["xdotool", "keydown", key], check=True)
    time.sleep(held)
    subprocess.run(["xdotool", "keyup", key], check=True)
    time.sleep(after)


def presses(key, count):
    for _ in range(count):
        press(key)


def spell_hex():
    """On the name entry of a fresh player, whose name is "Name", spells "Hex": N down to H, a up
    to e, m up to x, and the e rubbed out (which steps the cursor back onto the x). The name is
    not finished yet."""
    presses("Down", 6)
    press("Right")
    presses("Up", 4)
    press("Right")
    presses("Up", 11)
    press("Right")
    press("x")


def exit_status_holding(program, key, timeout=10):
    """Holds a key until the program ends (or timeout seconds pass) and gives its exit
    status, None if it still runs."""
    subprocess.run(["xdotool", "keydown", key], check=True)
    status = program.wait_exit(timeout)
    subprocess.run(["xdotool", "keyup", key])
    return status


def window_info(window):
    """xwininfo's facts about a window (or "-root") as a dict of name -> text."""
    args = ["xwininfo", "-root"] if window == "-root" else ["xwininfo", "-id", window]
    output = subprocess.run(args, capture_output=True, text=True, check=True).stdout
    info = {}
    for line in output.splitlines():
        if ":" in line:
            key, value = line.split(":", 1)
            info[key.strip()] = value.strip()
    return info


# --- Screenshots (ImageMagick) -------------------------------------------------------------


def screenshot(window, path):
    """Saves the window's picture at path and gives the path."""
    subprocess.run(["import", "-window", window, path], check=True, capture_output=True)
    return path


def pixel(path, x, y):
    """The colour of one pixel of a screenshot as (r, g, b) in 0 ... 255."""
    channels = ",".join("%%[fx:int(255*p{%d,%d}.%s+0.5)]" % (x, y, c) for c in "rgb")
    out = subprocess.run(["convert", path, "-format", channels, "info:"],
                         capture_output=True, text=True, check=True).stdout
    return tuple(int(v) for v in out.split(","))


def near(colour, target, tolerance=6):
    return all(abs(c - t) <= tolerance for c, t in zip(colour, target))


def shows_loading(path):
    """Whether a screenshot of the game shows the loading screen."""
    return near(pixel(path, 4, 4), LOADING_COLOUR)


def changed_pixels(a, b, region=None):
    """The number of pixels that differ by more than 10 % between two screenshots, inside a
    region (ImageMagick geometry) when one is given."""
    pictures = [a, b]
    if region:
        pictures = []
        for path in (a, b):
            out = path + ".region.png"
            subprocess.run(["convert", path, "-crop", region, "+repage", out], check=True)
            pictures.append(out)
    result = subprocess.run(["compare", "-metric", "AE", "-fuzz", "10%"] + pictures + ["null:"],
                            capture_output=True, text=True)
    if region:
        for path in pictures:
            os.remove(path)
    return int(float(result.stderr.split()[0]))


# --- The state file ------------------------------------------------------------------------


def state_path(program):
    return os.path.join(program.cwd, STATE_FILE)


def state_fields(program):
    """The game's state record split at "|", or [] while there is no state file."""
    path = state_path(program)
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        return f.read().split("|")


def check(condition, message):
    if not condition:
        print("FAILED: " + message)
        sys.exit(1)
    print("ok: " + message)
