"""Installing from the build folder: with DESTDIR and the prefix /usr every file lands where the
layout says, the desktop entry, the AppStream file, the systemd unit and the man pages pass
their validators, and the copyright file covers the lettered images actually installed; with
a prefix of another place (holding a space) the paths written into the installed files follow
it, and the launcher starts the game in the player's folder from there, with its arguments
and exit status passed through.

Usage: install_test.py BUILD
"""

import os
import re
import shlex
import struct
import sys

from package_support import (VERSION, check, files_below, layout, run, said, split_data,
                             temp_folder)

build = os.path.abspath(sys.argv[1])
work = temp_folder("install")


def install(prefix, destdir=None):
    env = dict(os.environ)
    if destdir:
        env["DESTDIR"] = destdir
    status, out, err = run(["cmake", "--install", build, "--prefix", prefix], env=env)
    check(status == 0, said(status == 0, "cmake --install --prefix %r%s" % (
        prefix, " with DESTDIR" if destdir else ""), err))


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def entry(text, key):
    """The value of the first line "key=value" of an .ini-like text."""
    match = re.search(r"^%s=(.*)$" % re.escape(key), text, re.M)
    return match.group(1) if match else None


def desktop_program(exec_value):
    """The program of a desktop entry's Exec value: its first argument, unquoted."""
    value = exec_value.replace("\\\\", "\\")  # the value's own escaping
    if value.startswith('"'):
        match = re.match(r'"((?:[^"\\]|\\.)*)"', value)
        return re.sub(r"\\(.)", r"\1", match.group(1)).replace("%%", "%")
    return value.split(" ")[0]


def png_size(path):
    """(width, height) of a PNG file, None for anything else."""
    with open(path, "rb") as f:
        head = f.read(24)
    return struct.unpack(">II", head[16:24]) if head[:8] == b"\x89PNG\r\n\x1a\n" else None


def man_page(path):
    """(groff's warnings, the page as plain text with its lines joined) of a man page file."""
    env = dict(os.environ, LC_ALL="C.UTF-8", MANROFFSEQ="", MANWIDTH="80")
    status, _, warnings = run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", path],
                              env=env)
    _, text, _ = run(["man", "-l", path], env=env)
    return ("status %d" % status if status else "") + warnings.strip(), " ".join(text.split())


# --- DESTDIR, prefix /usr ----------------------------------------------------------------

root = os.path.join(work, "root")
install("/usr", destdir=root)
expected = layout("usr")
installed = files_below(root)
data, others = split_data(installed, "usr/lib/hexwend/data")
everything = expected["hexwend"] | expected["hexwend-scores"]
check(others == everything,
      "every file outside the data folder is where the layout says (unexpected: %s, missing: %s)"
      % (sorted(others - everything), sorted(everything - others)))
generated = files_below(os.path.join(build, "data")) - {"LICENSES"}
check(data == generated, "the data folder beside the game holds every generated file (%d)"
      % len(generated))
for path in sorted(installed):
    mode = os.stat(os.path.join(root, path)).st_mode & 0o777
    runnable = path in ("usr/games/hexwend", "usr/lib/hexwend/hexwend", "usr/bin/hexwend-scores")
    if mode != (0o755 if runnable else 0o644):
        check(False, "%s has mode %o" % (path, mode))
check(True, "programs have mode 755, every other file 644")

usr = os.path.join(root, "usr")
desktop = os.path.join(usr, "share/applications/hexwend.desktop")
status, out, err = run(["desktop-file-validate", desktop])
ok = status == 0 and not (out + err).strip()
check(ok, said(ok, "desktop-file-validate passes on the desktop entry", out + err))
text = read(desktop)
check(entry(text, "Exec") == "/usr/games/hexwend", "the desktop entry starts the launcher")
check(entry(text, "Icon") == "hexwend" and "Game;" in entry(text, "Categories"),
      "it names the icon and the category Game")
for size in (48, 128, 256):
    icon = os.path.join(usr, "share/icons/hicolor/%dx%d/apps/hexwend.png" % (size, size))
    check(png_size(icon) == (size, size), "the %d-pixel icon is a PNG of %d x %d" % (size, size, size))

metainfo_files = [p for p in installed if p.startswith("usr/share/metainfo/")]
metainfo = os.path.join(root, metainfo_files[0])
status, out, err = run(["appstreamcli", "validate", "--no-net", metainfo])
check(status == 0, said(status == 0, "appstreamcli validate --no-net passes on the AppStream file",
                        out + err))
text = read(metainfo)
check('<launchable type="desktop-id">hexwend.desktop</launchable>' in text,
      "the AppStream entry launches the installed desktop entry")
check('<release version="%s"' % VERSION in text, "and names the release %s" % VERSION)
check(len(re.findall(r"<screenshot[ >]", text)) == 3 and text.count("<description>") == 1,
      "with a description and three screenshots")

for page in ("usr/share/man/man6/hexwend.6.gz", "usr/share/man/man8/hexwend-scores.8.gz"):
    warnings, text = man_page(os.path.join(root, page))
    check(not warnings, said(not warnings, "%s formats without warnings" % page, warnings))
    if page.endswith("hexwend.6.gz"):
        check("CONTROLS" in text and "F11" in text and "/usr/lib/hexwend/data" in text,
              "hexwend(6) lists the controls and the installed data folder")

unit = os.path.join(usr, "lib/systemd/system/hexwend-scores.service")
text = read(unit)
check(entry(text, "ExecStart").startswith("/usr/bin/hexwend-scores serve --db ${STATE_DIRECTORY}/"),
      "the unit runs the installed server with its database in the state folder")

# Each lettered image the copyright file names is installed.
copyright_text = read(os.path.join(usr, "share/doc/hexwend/copyright"))
match = re.search(r"^Files: (data/.*\n(?: .*\n)*)", copyright_text, re.M)
lettered = match.group(1).split() if match else []
ok = lettered and all(os.path.relpath(p, "data") in data for p in lettered)
check(ok, said(ok, "the %d lettered images the copyright file names are installed" %
               len(lettered), str(lettered)))
check("License: Bitstream-Vera\n" in copyright_text and "Permission is hereby granted" in
      copyright_text, "and carries the font's licence")

# --- another prefix, with a space in it --------------------------------------------------

prefix = os.path.join(work, "my games")
install(prefix)
check(files_below(prefix) - {p for p in files_below(prefix) if p.startswith("lib/hexwend/data/")}
      == layout("")["hexwend"] | layout("")["hexwend-scores"],
      "an install under %r has the same layout" % prefix)
launcher = os.path.join(prefix, "games/hexwend")
status, out, err = run(["desktop-file-validate", os.path.join(prefix, "share/applications/hexwend.desktop")])
ok = status == 0 and not (out + err).strip()
check(ok, said(ok, "its desktop entry validates", out + err))
exec_value = entry(read(os.path.join(prefix, "share/applications/hexwend.desktop")), "Exec")
check(desktop_program(exec_value) == launcher, "its Exec names the launcher there: %s" % exec_value)
unit = os.path.join(prefix, "lib/systemd/system/hexwend-scores.service")
command = shlex.split(entry(read(unit), "ExecStart").replace("$$", "$").replace("%%", "%"))
check(command[0] == os.path.join(prefix, "bin/hexwend-scores"),
      "its unit's ExecStart names the server there: %s" % command[0])
status, out, err = run(["systemd-analyze", "verify", "--man=no", unit])
ok = status == 0 and not err.strip()
check(ok, said(ok, "systemd-analyze verify passes on its unit", out + err))
# The hardening as systemd rates it: 0 is a service that can do nothing, 10 one that can do
# anything as root; up to 2 counts as "OK".
status, out, err = run(["systemd-analyze", "security", "--offline=true", "--no-pager", unit])
match = re.search(r"Overall exposure level for hexwend-scores.service: ([0-9.]+)", out + err)
check(match and float(match.group(1)) <= 2.0,
      "systemd rates the unit's exposure at %s (at most 2)" % (match.group(1) if match else "?"))
warnings, text = man_page(os.path.join(prefix, "share/man/man6/hexwend.6.gz"))
check(os.path.join(prefix, "lib/hexwend/data") in text,
      "hexwend(6) names the data folder there")

# The launcher: the player's folder, the arguments and the exit status. No display is
# needed: --help and --version answer before any window, and without a display the game's
# start-up fails with its own status. Each case has a home folder of its own.
elsewhere = os.path.join(work, "elsewhere")
os.makedirs(elsewhere)
plain = {k: v for k, v in os.environ.items()
         if k not in ("DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME", "HOME")}
link = os.path.join(work, "bin", "hexwend")
os.makedirs(os.path.dirname(link))
os.symlink(launcher, link)

# (what, program, arguments, HOME, XDG_DATA_HOME, status, words in the output, the player's
# folder made: below "home", below "xdg" or none)
cases = [
    ("--version", launcher, ["--version"], "home", None, 0, "hexwend " + VERSION, "home"),
    ("--help, after an argument it ignores", launcher, ["--bogus", "--help"], "home", None, 0,
     "Usage: hexwend", "home"),
    ("through a symbolic link", link, ["--version"], "home", None, 0, VERSION, "home"),
    ("XDG_DATA_HOME", launcher, ["--version"], "home", "xdg", 0, VERSION, "xdg"),
    ("a relative XDG_DATA_HOME is ignored", launcher, ["--version"], "home", "relative", 0,
     VERSION, "home"),
    ("the game's start-up failure without a display", launcher, [], "home", None, 255,
     "glfwInit failed", "home"),
    ("no HOME and no XDG_DATA_HOME", launcher, ["--version"], None, None, 1,
     "neither XDG_DATA_HOME", None),
    ("a player's folder that cannot be made", launcher, ["--version"], "a-file", None, 1,
     "cannot use", None),
]
for k, (what, program, args, home, xdg, want_status, words, made) in enumerate(cases):
    case = os.path.join(work, "case-%d" % k)
    os.makedirs(os.path.join(case, "home"))
    open(os.path.join(case, "a-file"), "w").close()
    env = dict(plain)
    if home:
        env["HOME"] = os.path.join(case, home)
    if xdg:
        env["XDG_DATA_HOME"] = os.path.join(case, xdg) if xdg == "xdg" else xdg
    status, out, err = run([program] + args, env=env, cwd=elsewhere)
    ok = status == want_status and words in out + err
    check(ok, said(ok, "launcher, %s: status %d, says %r" % (what, want_status, words),
                   "got %d: %s" % (status, out + err)))
    folders = {os.path.relpath(f, case) for f, _, _ in os.walk(case)} - {"."}
    want = {"home": {"home", "home/.local", "home/.local/share", "home/.local/share/hexwend"},
            "xdg": {"home", "xdg", "xdg/hexwend"}, None: {"home"}}[made]
    check(folders == want, said(folders == want, "  and the folders made are %s" % sorted(want),
                                "got %s" % sorted(folders)))
check(os.listdir(elsewhere) == [], "nothing was made in the folder the launcher ran from")
