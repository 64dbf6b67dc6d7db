"""The README's three pictures, taken from the real game under a private X server (make
screenshots): the main menu, a game in play, and the score panel beside the difficulty list
with the local table and the online one.

A score server of its own (hexwend-scores on a free loopback port, a temporary database) is
filled with four players by SEED and the game is pointed at it with HEXWEND_SCORE_SERVER. The
player is named "Hex", plays a "Hard" game until it is lost, and opens the difficulty list
again. The third picture is made only when the game sent its scores to the server: a game
without its online client keeps the two others and says so.

Usage: readme_shots.py HEXWEND HEXWEND_SCORES SEED DOCS SHOTS
Writes DOCS/screenshot-menu.png, DOCS/screenshot-play.png, DOCS/screenshot-scores.png; the
pictures on the way go to SHOTS.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from e2e_support import (Program, check, focused_window, press, screenshot, shows_loading,
                         spell_hex, state_fields)

hexwend, scores, seed = (os.path.abspath(a) for a in sys.argv[1:4])
docs, shots = os.path.abspath(sys.argv[4]), os.path.abspath(sys.argv[5])
os.makedirs(shots, exist_ok=True)
os.environ.setdefault("ALSOFT_DRIVERS", "null")
work = tempfile.mkdtemp(prefix="hexwend-readme-")
request_log = os.path.join(work, "requests.log")


def shoot(window, name):
    return screenshot(window, os.path.join(shots, "readme-" + name))


def publish(path, name):
    """Copies a picture into DOCS, without the metadata that changes from run to run."""
    target = os.path.join(docs, name)
    subprocess.run(["convert", path, "-strip", target], check=True)
    print("wrote " + os.path.relpath(target))


def score_requests():
    """The number of score requests the server has logged."""
    if not os.path.exists(request_log):
        return 0
    with open(request_log) as f:
        return len(re.findall(r"Scores\.php", f.read()))


server = Program([scores, "serve", "--listen", "127.0.0.1:0", "--db",
                  os.path.join(work, "scores.db"), "--log", request_log], cwd=work)
try:
    line = server.wait_for_line(lambda l: "listening on http://" in l, timeout=30)
    check(line is not None, "the score server started")
    address = re.search(r"http://([^/]+)/", line).group(1)
    subprocess.run([seed, address.split(":")[1]], check=True)
    time.sleep(0.5)  # the log line follows the answer
    seeded = score_requests()
    os.environ["HEXWEND_SCORE_SERVER"] = address

    with Program([hexwend], cwd=work) as game:
        window = focused_window(game)
        deadline = time.monotonic() + 30
        while shows_loading(shoot(window, "loading.png")) and time.monotonic() < deadline:
            time.sleep(0.5)
        time.sleep(2.5)

        # The name "Hex", spelt with the arrows; Enter finishes it.
        press("Down")
        press("Return")
        time.sleep(0.3)
        spell_hex()
        press("Return")
        time.sleep(0.5)
        press("Up")  # back to "Start Game"
        time.sleep(2.5)
        publish(shoot(window, "menu.png"), "screenshot-menu.png")

        # A "Hard" game: run to the left pile, take its hex, run back and jump with it.
        press("Return")
        time.sleep(1.0)
        press("Down")
        press("Return")
        time.sleep(1.5)
        press("Left", held=1.6)
        press("Right", held=0.45)
        subprocess.run(["xdotool", "keydown", "space"], check=True)
        time.sleep(0.3)
        play = shoot(window, "play.png")
        subprocess.run(["xdotool", "keyup", "space"], check=True)
        publish(play, "screenshot-play.png")

        # Left alone, the honeycomb comes down until a hex reaches the floor; when the menu
        # returns the record counts one game (settings element 5).
        deadline = time.monotonic() + 300

        def games_counted():
            fields = state_fields(game)
            return len(fields) > 6 and fields[1 + 5] == "1"

        while game.running() and not games_counted() and time.monotonic() < deadline:
            time.sleep(0.5)
        check(games_counted(), "the game was lost and the menu returned")
        time.sleep(4)

        # The menu comes back on the difficulty list, "Hard" still highlighted, with the score
        # panel beside it.
        panel = shoot(window, "scores.png")
        if score_requests() > seeded:
            publish(panel, "screenshot-scores.png")
        else:
            print("The game sent no scores to the server (its online client is not built yet): "
                  "docs/screenshot-scores.png is left as it is.")
        check(game.running(), "the game ran to the end of the pictures")
finally:
    server.kill()
    shutil.rmtree(work, ignore_errors=True)
