"""The built hexwend-scores package, unpacked into a folder of its own: the command line of its
systemd unit, run as systemd would run it (the state folder given by STATE_DIRECTORY, the
unit's options with a free loopback port in place of its own), serves /health and the score
page, and stops cleanly on SIGTERM with its database in the state folder.

Usage: package_scores_test.py PACKAGES
"""

import os
import re
import shlex
import signal
import sys
import urllib.request

from package_support import check, package_files, temp_folder, unpack

from e2e_support import Program  # noqa: E402

work = temp_folder("package-scores")
root, state = os.path.join(work, "root"), os.path.join(work, "state")
os.makedirs(state)
unpack(package_files(os.path.abspath(sys.argv[1]))["hexwend-scores"], root)

with open(os.path.join(root, "usr/lib/systemd/system/hexwend-scores.service")) as f:
    unit = f.read()
environment = dict(re.findall(r'^Environment="([A-Z_]+)=(.*)"$', unit, re.M))
exec_start = re.search(r"^ExecStart=(.*)$", unit, re.M).group(1)

# systemd's expansion: ${NAME} is one word, $NAME splits at spaces.
environment["STATE_DIRECTORY"] = state
options = environment["HEXWEND_SCORES_OPTIONS"]
check(re.search(r"--listen 127\.0\.0\.1:7506\b", options) is not None,
      "the unit listens on the loopback address by default: %s" % options)
environment["HEXWEND_SCORES_OPTIONS"] = options.replace("127.0.0.1:7506", "127.0.0.1:0")
command = []
for word in shlex.split(exec_start):
    if re.fullmatch(r"\$[A-Z_]+", word):
        command += environment[word[1:]].split()
    else:
        command.append(re.sub(r"\$\{([A-Z_]+)\}", lambda m: environment[m.group(1)], word))
check(command[0] == "/usr/bin/hexwend-scores", "the unit runs %s" % command[0])
command[0] = root + command[0]

with Program(command, cwd=work) as server:
    line = server.wait_for_line(lambda l: "listening on http://" in l, timeout=30)
    check(line is not None, "the server started from the unit's command line")
    base = re.search(r"http://[^/]+/", line).group(0)
    with urllib.request.urlopen(base + "health", timeout=10) as answer:
        check(answer.status == 200 and answer.read() == b"ok\n", "%shealth answers ok" % base)
    with urllib.request.urlopen(base, timeout=10) as answer:
        check(answer.status == 200 and b"<html" in answer.read().lower(), "the score page answers")
    server.process.send_signal(signal.SIGTERM)
    status = server.wait_exit(20)
    check(status == 0, "SIGTERM stops it with status 0 (got %s)" % status)
    check(os.path.isfile(os.path.join(state, "scores.db")),
          "its database is in the state folder")
