#!/usr/bin/env python3
"""Whole-process measurements of the game under a private X server, beside a peer game.

  Side by side:   under one Xvfb with a 1280 x 720 screen and Mesa's software OpenGL
                  (llvmpipe), with OpenAL Soft's null driver: the real hexwend binary, then
                  the same binary drawing every frame in full (HEXWEND_DRAW=full, as before it
                  drew only what changed), then Frozen Bubble, the hex-grid puzzle of Debian, one
                  after the other. Each is measured over 10 s at its main menu at rest and over
                  10 s of play (hexwend: a "Normal" game with the figure running and jumping;
                  Frozen Bubble: a one-player game with the launcher turning and firing). CPU is
                  user + system time per second of wall time, as a share of one core: the whole
                  process, its main thread, llvmpipe's rasteriser threads, and the X server
                  while it shows that program. Memory is the resident set (VmRSS), sampled every
                  second.
  Updates:        hexwend_timed (the same game with each update timed inside the process)
                  through a whole "Normal" game left alone until it is lost and the menu
                  returns: the longest update of each phase, and the pace of play (updates per
                  second and the longest gap between the starts of two updates).

Frozen Bubble is a peer to measure against, not a dependency of the game: install it by hand
for the measurement (apt-get install frozen-bubble). Without it, hexwend is measured alone.

Usage: bench/measure_game.py [BUILD_DIR]      (default: build)
Runs itself under scripts/with-xvfb when no private display is set up yet.
"""

import os
import subprocess
import sys
import tempfile
import threading
import time

from measure_support import (ROOT, build_folder, process_cpu_seconds, programs,
                             thread_cpu_seconds)

# The end-to-end checks' helpers: finding the window and holding keys.
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from e2e_support import find_window, press  # noqa: E402

SCREEN = "1280x720x24"
SECONDS = 10.0
FROZEN_BUBBLE = "/usr/games/frozen-bubble"


def resident_mib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def x_server_pid():
    """The private Xvfb that scripts/with-xvfb started beside this script."""
    parent = os.getppid()
    try:
        with open("/proc/%d/task/%d/children" % (parent, parent)) as f:
            children = [int(p) for p in f.read().split()]
    except OSError:
        return None
    for pid in children:
        try:
            with open("/proc/%d/comm" % pid) as f:
                if f.read().strip() == "Xvfb":
                    return pid
        except OSError:
            pass
    return None


def focus(name):
    window = find_window(name=name, timeout=60)
    if window is None:
        sys.exit("no %s window appeared" % name)
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    return window


class Sample:
    """CPU shares (of one core) and resident memory over one measurement."""

    def __init__(self, total, main, raster, x_server, rss_mean, rss_max):
        self.total, self.main, self.raster = total, main, raster
        self.other = max(0.0, total - main - raster)
        self.x_server, self.rss_mean, self.rss_max = x_server, rss_mean, rss_max


def measure(pid, seconds, activity=None):
    stop = threading.Event()
    if activity:
        worker = threading.Thread(target=activity, args=(stop,), daemon=True)
        worker.start()
    xvfb = x_server_pid()

    def raster_and_main():
        threads = thread_cpu_seconds(pid)
        raster = sum(s for name, s in threads.values() if name.startswith("llvmpipe"))
        main = threads.get(pid, ("", 0.0))[1]
        return main, raster

    main0, raster0 = raster_and_main()
    total0 = process_cpu_seconds(pid)
    x0 = process_cpu_seconds(xvfb) if xvfb else 0.0
    start = time.monotonic()
    rss = []
    while time.monotonic() - start < seconds:
        rss.append(resident_mib(pid))
        time.sleep(1.0)
    wall = time.monotonic() - start
    main1, raster1 = raster_and_main()
    total = process_cpu_seconds(pid) - total0
    x_server = (process_cpu_seconds(xvfb) - x0) if xvfb else 0.0
    stop.set()
    if activity:
        worker.join(timeout=5)
    return Sample(total / wall, (main1 - main0) / wall, (raster1 - raster0) / wall,
                  x_server / wall, sum(rss) / len(rss), max(rss))


def hold_keys_in_turn(steps):
    """An activity that holds keys in a fixed rhythm until told to stop: steps of
    (keys held, seconds)."""

    def activity(stop):
        while not stop.is_set():
            for keys, seconds in steps:
                if stop.is_set():
                    break
                for key in keys:
                    subprocess.run(["xdotool", "keydown", key])
                time.sleep(seconds)
                for key in keys:
                    subprocess.run(["xdotool", "keyup", key])
    return activity


# hexwend: run right, jump, run left, jump.
RUN_AND_JUMP = hold_keys_in_turn([(["Right"], 0.4), (["Right", "space"], 0.3), (["Right"], 0.3),
                                  (["Left"], 0.4), (["Left", "space"], 0.3), (["Left"], 0.3)])
# Frozen Bubble: turn the launcher, fire, turn back, fire.
TURN_AND_FIRE = hold_keys_in_turn([(["Left"], 0.3), (["Up"], 0.1), ([], 0.6),
                                   (["Right"], 0.3), (["Up"], 0.1), ([], 0.6)])


def menu_and_play(command, name, env, cwd, settle, start, activity):
    """Starts a program, measures its main menu at rest `settle` seconds after its window
    appeared, starts play (`start`) and measures that under `activity`."""
    game = subprocess.Popen(command, cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        focus(name)
        time.sleep(settle)
        menu = measure(game.pid, SECONDS)
        start()
        play = measure(game.pid, SECONDS, activity)
        if game.poll() is not None:
            sys.exit("%s ended early with status %s" % (name, game.returncode))
    finally:
        game.kill()
        game.wait()
    return menu, play


def measure_hexwend(hexwend, draw):
    env = dict(os.environ, ALSOFT_DRIVERS="null")
    if draw:
        env["HEXWEND_DRAW"] = draw

    def start():
        press("Return")  # "Start Game"
        time.sleep(0.5)
        press("Return")  # "Normal", highlighted at the start
        time.sleep(2.0)  # the background fades to play's

    # 4 s: loading, the menu slides in and its colours settle.
    return menu_and_play([hexwend], "Hexwend", env, tempfile.mkdtemp(prefix="hexwend-bench-"),
                         4.0, start, RUN_AND_JUMP)


def measure_frozen_bubble():
    home = tempfile.mkdtemp(prefix="frozen-bubble-bench-")
    env = dict(os.environ, HOME=home, SDL_AUDIODRIVER="dummy")

    def start():
        press("Return")  # "Start 1P game"
        time.sleep(1.0)
        press("Return")  # "Play default levelset"
        time.sleep(2.0)

    return menu_and_play([FROZEN_BUBBLE, "--no-fullscreen"], "Frozen-Bubble 2", env, home, 4.0,
                         start, TURN_AND_FIRE)


def longest_updates(timed):
    folder = tempfile.mkdtemp(prefix="hexwend-bench-")
    env = dict(os.environ, ALSOFT_DRIVERS="null")
    game = subprocess.Popen([timed], cwd=folder, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)
    longest = {}
    pace = {}

    def read():
        for line in game.stdout:
            parts = line.split()
            if len(parts) == 4 and parts[0] == "longest":
                longest[parts[1]] = (int(parts[2]), int(parts[3]))
            elif len(parts) == 4 and parts[0] == "pace":
                pace["updates"], pace["seconds"] = int(parts[1]), float(parts[2])
                pace["gap"] = int(parts[3])

    reader = threading.Thread(target=read, daemon=True)
    reader.start()
    try:
        focus("Hexwend")
        time.sleep(3.0)
        press("Return")
        time.sleep(0.5)
        press("Return")
        # Left alone, the honeycomb reaches the floor; the state file is written when the
        # menu returns.
        deadline = time.monotonic() + 240
        while not os.path.exists(os.path.join(folder, ".vorpixstate")):
            if time.monotonic() > deadline:
                sys.exit("the game was not lost within 240 s")
            time.sleep(0.5)
        time.sleep(3.0)
    finally:
        game.kill()
        game.wait()
        reader.join(timeout=5)
    return longest, pace


def share(value):
    return "%.1f %%" % (100 * value)


def cpu_cell(s):
    return "%s (main %s, rasteriser %s, other %s)" % (share(s.total), share(s.main),
                                                      share(s.raster), share(s.other))


def main():
    build = build_folder(__file__, screen=SCREEN)
    hexwend, timed = programs(build, "hexwend", "hexwend_timed")

    with open("/proc/loadavg") as f:
        print("load average before: %s" % " ".join(f.read().split()[:3]))
    print("screen %s, Mesa llvmpipe, OpenAL Soft's null driver, %.0f s per measurement"
          % (SCREEN, SECONDS))

    results = [("Hexwend", measure_hexwend(hexwend, None)),
               ("Hexwend drawing every frame in full", measure_hexwend(hexwend, "full"))]
    if os.access(FROZEN_BUBBLE, os.X_OK):
        results.append(("Frozen Bubble", measure_frozen_bubble()))
    else:
        print("Frozen Bubble is not installed (apt-get install frozen-bubble to measure it "
              "beside hexwend); hexwend alone:")

    print()
    print("| program | phase | CPU, share of one core | X server | RSS mean (max) |")
    print("|---|---|---|---|---|")
    for name, (menu, play) in results:
        for phase, s in (("main menu at rest", menu), ("play", play)):
            print("| %s | %s | %s | %s | %.0f MiB (%.0f) |" % (
                name, phase, cpu_cell(s), share(s.x_server), s.rss_mean, s.rss_max))

    longest, pace = longest_updates(timed)
    print()
    print("longest update of a whole Normal game, by phase:")
    for phase in ("loading", "menu", "start", "play", "return"):
        if phase in longest:
            us, number = longest[phase]
            print("  %-8s %8.2f ms (update %d)" % (phase, us / 1000, number))
    if pace:
        print("pace of play: %d updates in %.2f s = %.2f updates per second, longest gap "
              "between two updates %.1f ms" % (pace["updates"], pace["seconds"],
                                               pace["updates"] / pace["seconds"],
                                               pace["gap"] / 1000))
    with open("/proc/loadavg") as f:
        print("load average after: %s" % " ".join(f.read().split()[:3]))


if __name__ == "__main__":
    main()
