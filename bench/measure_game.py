#!/usr/bin/env python3
"""Whole-process measurements of the game under a private X server.

  Menu and play:  the real hexwend binary, user + system CPU time of the whole process (all
                  threads) per second of wall time, and its resident memory (VmRSS, sampled
                  every second), over 20 s in the main menu and then over 20 s of a "Normal"
                  game in which the figure runs left and right and jumps.
  Longest update: hexwend_timed (the same game on the same host, each update timed inside
                  the process) through a whole "Normal" game left alone until it is lost and
                  the menu returns: the longest update of each phase (loading, menu, the start
                  of the game, play, the return to the menu).

Usage: bench/measure_game.py [BUILD_DIR]      (default: build)
Runs itself under scripts/with-xvfb when no private display is set up yet.
"""

import os
import subprocess
import sys
import tempfile
import threading
import time

from measure_support import ROOT, build_folder, process_cpu_seconds, programs

# The end-to-end checks' helpers: finding the window and holding keys.
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from e2e_support import find_window, press  # noqa: E402

SECONDS = 20.0


def resident_mib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def focused_game_window():
    window = find_window(timeout=60)
    if window is None:
        sys.exit("no hexwend window appeared")
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    return window


def start_normal_game():
    press("Return")  # "Start Game"
    time.sleep(0.5)
    press("Return")  # "Normal", highlighted at the start


def measure(pid, seconds, activity=None):
    """CPU seconds per wall second and resident memory (mean, max in MiB) over `seconds`."""
    stop = threading.Event()
    if activity:
        worker = threading.Thread(target=activity, args=(stop,), daemon=True)
        worker.start()
    start_cpu, start = process_cpu_seconds(pid), time.monotonic()
    samples = []
    while time.monotonic() - start < seconds:
        samples.append(resident_mib(pid))
        time.sleep(1.0)
    cpu, wall = process_cpu_seconds(pid) - start_cpu, time.monotonic() - start
    stop.set()
    return cpu / wall, sum(samples) / len(samples), max(samples)


def run_and_jump(stop):
    keys = ["Right", "Left"]
    k = 0
    while not stop.is_set():
        subprocess.run(["xdotool", "keydown", keys[k % 2]])
        time.sleep(0.4)
        subprocess.run(["xdotool", "keydown", "space"])
        time.sleep(0.3)
        subprocess.run(["xdotool", "keyup", "space"])
        time.sleep(0.3)
        subprocess.run(["xdotool", "keyup", keys[k % 2]])
        k += 1
    subprocess.run(["xdotool", "keyup", "Right", "Left", "space"])


def menu_and_play(hexwend):
    game = subprocess.Popen([hexwend], cwd=tempfile.mkdtemp(prefix="hexwend-bench-"),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        focused_game_window()
        time.sleep(3.0)  # loading, and the menu settles
        menu = measure(game.pid, SECONDS)
        start_normal_game()
        time.sleep(1.0)
        play = measure(game.pid, SECONDS, run_and_jump)
        if game.poll() is not None:
            sys.exit("hexwend ended early with status %s" % game.returncode)
    finally:
        game.kill()
        game.wait()
    return menu, play


def longest_updates(timed):
    folder = tempfile.mkdtemp(prefix="hexwend-bench-")
    game = subprocess.Popen([timed], cwd=folder, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)
    longest = {}

    def read():
        for line in game.stdout:
            parts = line.split()
            if len(parts) == 4 and parts[0] == "longest":
                longest[parts[1]] = (int(parts[2]), int(parts[3]))

    reader = threading.Thread(target=read, daemon=True)
    reader.start()
    try:
        focused_game_window()
        time.sleep(3.0)
        start_normal_game()
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
    return longest


def main():
    build = build_folder(__file__)
    os.environ.setdefault("ALSOFT_DRIVERS", "null")
    hexwend, timed = programs(build, "hexwend", "hexwend_timed")

    with open("/proc/loadavg") as f:
        print("load average before: %s" % " ".join(f.read().split()[:3]))
    menu, play = menu_and_play(hexwend)
    for name, (share, mean_rss, max_rss) in (("main menu", menu), ("play", play)):
        print("%-9s over %.0f s: CPU %.3f s per s (%.1f %% of one core), resident %.1f MiB "
              "(max %.1f)" % (name, SECONDS, share, 100 * share, mean_rss, max_rss))

    longest = longest_updates(timed)
    print("longest update of a whole Normal game, by phase:")
    for phase in ("loading", "menu", "start", "play", "return"):
        if phase in longest:
            us, number = longest[phase]
            print("  %-8s %8.2f ms (update %d)" % (phase, us / 1000, number))
    with open("/proc/loadavg") as f:
        print("load average after: %s" % " ".join(f.read().split()[:3]))


if __name__ == "__main__":
    main()
