"""Helpers of the installation and package checks: where every installed file belongs, running
commands with a time limit, building and unpacking the Debian packages, and the end-to-end
helpers of tests/e2e (check, Program, screenshots)."""

import atexit
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

from e2e_support import check  # noqa: E402,F401  (re-exported for the checks)

# The AppStream id and the version, from the configured build.
APP_ID = os.environ.get("HEXWEND_APP_ID", "")
VERSION = os.environ.get("HEXWEND_VERSION", "")


def layout(prefix):
    """Every file each package installs, outside the game's data folder, as paths below the
    root for an install prefix such as "usr"."""
    p = prefix.strip("/") + "/" if prefix.strip("/") else ""
    icons = ["%sshare/icons/hicolor/%dx%d/apps/hexwend.png" % (p, n, n) for n in (48, 128, 256)]
    return {
        "hexwend": {
            p + "games/hexwend",
            p + "lib/hexwend/hexwend",
            p + "share/applications/hexwend.desktop",
            p + "share/metainfo/%s.metainfo.xml" % APP_ID,
            p + "share/man/man6/hexwend.6.gz",
            p + "share/doc/hexwend/copyright",
            p + "share/doc/hexwend/changelog.gz",
        } | set(icons),
        "hexwend-scores": {
            p + "bin/hexwend-scores",
            p + "lib/systemd/system/hexwend-scores.service",
            p + "share/man/man8/hexwend-scores.8.gz",
            p + "share/doc/hexwend-scores/copyright",
            p + "share/doc/hexwend-scores/changelog.gz",
        },
    }


def files_below(root):
    """The paths of every file under root, relative to it."""
    found = set()
    for folder, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found


def split_data(paths, data_folder):
    """(paths inside data_folder relative to it, the other paths)."""
    inside = {os.path.relpath(p, data_folder) for p in paths if p.startswith(data_folder + "/")}
    return inside, {p for p in paths if not p.startswith(data_folder + "/")}


def run(args, env=None, cwd=None, timeout=120):
    """Runs a command to its end; gives (exit status, standard output, standard error)."""
    result = subprocess.run(args, capture_output=True, text=True, env=env, cwd=cwd,
                            timeout=timeout)
    return result.returncode, result.stdout, result.stderr


def temp_folder(name):
    """A new temporary folder, removed with everything in it when the check ends."""
    folder = tempfile.mkdtemp(prefix="hexwend-%s-" % name)
    atexit.register(shutil.rmtree, folder, ignore_errors=True)
    return folder


def said(ok, message, details):
    """The message for check(), with the details only when the check failed."""
    return message if ok else "%s (%s)" % (message, details.strip()[-600:])


def package_files(folder):
    """The built packages in folder by package name: {"hexwend": path, ...}."""
    debs = {}
    for name in sorted(os.listdir(folder)):
        if name.endswith(".deb"):
            debs[name.split("_")[0]] = os.path.join(folder, name)
    return debs


def unpack(deb, root):
    status, _, err = run(["dpkg-deb", "-x", deb, root])
    check(status == 0, "dpkg-deb -x %s (%s)" % (os.path.basename(deb), err.strip()))
