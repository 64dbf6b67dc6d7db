"""The online leaderboard end to end: the real hexwend binary under a private X server sends its
scores to a real hexwend-scores, started here on a free loopback port with a database in a
temporary folder. A name is entered, a "Normal" game is played (hexes fetched from the left
pile and thrown into the honeycomb until the game is lost), and then the score and the name
are in the server's database and the online half of the score panel shows the name.

Screenshots of the difficulty list before and after the game are saved into SHOTS.

Usage: leaderboard_e2e.py HEXWEND SHOTS HEXWEND_SCORES
"""

import json
import os
import re
import subprocess
import sys
import tempfile
import time
import urllib.request

from e2e_support import (Program, changed_pixels, check, focused_window, game_arguments, press,
                         screenshot, shows_loading, spell_hex, state_fields)

hexwend, shots = game_arguments()
scores_program = os.path.abspath(sys.argv[3])

NAME = "Hex"
NORMAL = 2
# The best score of game type g in the state record split at "|": score m = 20 g stands at
# element 222 + m + m // 32.
BEST_ELEMENT = {g: 222 + 20 * g + (20 * g) // 32 for g in (1, 2, 3)}
# The number of finished games (settings element 5).
GAMES_ELEMENT = 1 + 5
# The first place of the online table: its name on the line 30 units below the panel's top
# (y - 96 with y = H - 190 of the 800 x 600 virtual screen) and its score 16 below, at the
# window's left edge where the mirrored panel stands; in pixels of the 640 x 480 window.
FIRST_NAME = "100x14+0+268"
FIRST_SCORE = "100x14+0+282"
# The difficulty list's entries.
MENU_LIST = "180x110+160+340"


def shoot(window, name):
    return screenshot(window, os.path.join(shots, name))


def start_server(folder):
    """hexwend-scores on a free port of 127.0.0.1 with its database in folder: the process and
    its port."""
    server = subprocess.Popen(
        [scores_program, "serve", "--listen", "127.0.0.1:0", "--quiet",
         "--db", os.path.join(folder, "scores.db")],
        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        line = server.stderr.readline()
        found = re.search(r"listening on http://127\.0\.0\.1:(\d+)/", line)
        if found:
            return server, int(found.group(1))
        if not line and server.poll() is not None:
            break
    server.kill()
    check(False, "hexwend-scores started listening")


def table(port, game_type):
    """The server's table of one game type, from its JSON API."""
    url = "http://127.0.0.1:%d/api/v1/scores?game=506&type=%d" % (port, game_type)
    with urllib.request.urlopen(url, timeout=10) as answer:
        return json.load(answer)["scores"]


def exported(folder):
    """Every player the database in folder holds, from the operator's CSV export."""
    return subprocess.run([scores_program, "export", "--db", os.path.join(folder, "scores.db")],
                          capture_output=True, text=True, timeout=30).stdout


def wait_for(condition, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.25)
    return None


def hold(keys, seconds):
    subprocess.run(["xdotool", "keydown"] + keys, check=True)
    time.sleep(seconds)
    subprocess.run(["xdotool", "keyup"] + keys, check=True)


def difficulty_list(window, name):
    """Opens the difficulty list from the main list ("Start Game" highlighted), photographs it
    with "Normal" highlighted once the curtain has opened, and goes back."""
    press("Return")
    time.sleep(1.5)
    path = shoot(window, name)
    press("Escape")
    time.sleep(1.0)
    return path


def play_until_lost(game):
    """A "Normal" game from the difficulty list: again and again the figure runs to the left
    pile for a hex, runs back right for a while (longer each time, so that the hexes go into
    different columns and meet the honeycomb's own colours) and jumps to stick it into the
    honeycomb, until the game is lost. Gives the best score of "Normal"."""
    # When the game is lost the state file is written with one more finished game; a key
    # pressed after that would act on the menu (Space chooses), so the file is read before
    # every press.
    def games():
        pieces = state_fields(game)
        return int(pieces[GAMES_ELEMENT]) if pieces else 0

    games_before = games()

    def lost():
        pieces = state_fields(game)
        if pieces and int(pieces[GAMES_ELEMENT]) > games_before:
            return int(pieces[BEST_ELEMENT[NORMAL]])
        return None

    press("Return")  # "Normal"
    time.sleep(1.0)
    deadline = time.monotonic() + 120
    throws = 0
    while time.monotonic() < deadline and game.running():
        run = 0.2 + 0.25 * (throws % 4)
        throws += 1
        for keys, seconds in ((["Left"], run + 0.4), (["Right"], run), (["space"], 0.3)):
            best = lost()
            if best is not None:
                return best
            hold(keys, seconds)
    return None


folder = tempfile.mkdtemp(prefix="hexwend-leaderboard-")
server, port = start_server(folder)
os.environ["HEXWEND_SCORE_SERVER"] = "127.0.0.1:%d" % port
try:
    with Program([hexwend]) as game:
        window = focused_window(game)
        check(wait_for(lambda: not shows_loading(shoot(window, "leaderboard-probe.png")), 30),
              "the loading ended")
        time.sleep(1.5)
        os.remove(os.path.join(shots, "leaderboard-probe.png"))

        # A fresh player is called "Name" and sends nothing.
        time.sleep(1.0)
        check(exported(folder).count("\n") <= 1, "nothing reached the server before a name")

        # One down is "Name - ...": "Name" becomes "Hex".
        press("Down")
        press("Return")
        time.sleep(0.3)
        spell_hex()
        press("Return")
        time.sleep(0.3)
        check(wait_for(lambda: ',"%s",' % NAME in exported(folder), 15),
              "the name entry sent the name to the server at once")
        time.sleep(1.0)  # the reply turns the online table on

        press("Up")  # "Start Game"
        before = difficulty_list(window, "leaderboard-1-difficulties-before.png")

        press("Return")  # "Start Game" again, now to play
        time.sleep(1.5)
        # A game can end before a thrown hex meets its own colour; then another is played.
        best = 0
        for _ in range(3):
            best = play_until_lost(game)
            check(best is not None, "a game was lost and recorded in the state file")
            if best > 0:
                break
            time.sleep(1.0)
        check(best > 0, "the game scored (best of \"Normal\": %d)" % best)

        # The return to the menu sent the new best; the server's table has it.
        places = wait_for(lambda: [p for p in table(port, NORMAL) if p["score"] == best], 15)
        check(places and places[0]["name"] == NAME and places[0]["place"] == 1,
              "the server's table of \"Normal\" holds %s with %d (%s)" % (NAME, best, places))

        # The reply to that request brought the table back: the difficulty list (still open
        # after the game) shows the name and the score in the online half's first place.
        time.sleep(2.0)
        after = shoot(window, "leaderboard-3-difficulties-after.png")
        check(changed_pixels(before, after, MENU_LIST) < 100,
              "the difficulty list is on screen as before the game")
        name = changed_pixels(before, after, FIRST_NAME)
        score = changed_pixels(before, after, FIRST_SCORE)
        check(name > 80 and score > 40,
              "the online table's first place shows a name where there was none, and a score "
              "(%d and %d pixels changed)" % (name, score))
        check(game.running(), "the game runs on")
finally:
    server.terminate()
    status = server.wait(timeout=20)
    check(status == 0, "hexwend-scores stopped with status 0 (got %s)" % status)
