"""Builds the two Debian packages with CPack into a folder of the test's own (the other package
checks unpack them from there): each holds the files of the layout, the game's generated data
beside it, library dependencies found by dpkg-shlibdeps, and the server's maintainer scripts.

Usage: package_build_test.py BUILD OUT
"""

import os
import shutil
import sys

from package_support import VERSION, check, layout, package_files, run, said, split_data

build, out = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
shutil.rmtree(out, ignore_errors=True)
status, stdout, stderr = run(["cpack", "--config", os.path.join(build, "CPackConfig.cmake"),
                              "-B", out], timeout=600)
check(status == 0, said(status == 0, "cpack built the packages", stdout + stderr))
debs = package_files(out)
check(sorted(debs) == ["hexwend", "hexwend-scores"], "two packages: %s" % sorted(debs))


def field(deb, name):
    _, value, _ = run(["dpkg-deb", "-f", deb, name])
    return value.strip()


# Libraries each program links, which dpkg-shlibdeps must have found.
libraries = {"hexwend": ["libglfw3", "libopenal1", "libstdc++6"],
             "hexwend-scores": ["libmicrohttpd12", "libsqlite3-0", "libpq5", "libstdc++6"]}
expected = layout("usr")
for name, deb in sorted(debs.items()):
    check(field(deb, "Package") == name and field(deb, "Version") == VERSION,
          "%s: package %s, version %s" % (os.path.basename(deb), name, VERSION))
    depends = [d.split()[0] for d in field(deb, "Depends").split(", ")]
    missing = [lib for lib in libraries[name] if lib not in depends]
    check(not missing, said(not missing, "  depends on the libraries it links", field(deb, "Depends")))
    description = field(deb, "Description").splitlines()
    check(len(description) > 3 and all(len(line) <= 80 for line in description),
          "  has a summary and a long description")
    _, listing, _ = run(["dpkg-deb", "-c", deb])
    files = {line.split()[-1][2:] for line in listing.splitlines() if not line.startswith("d")}
    data, others = split_data(files, "usr/lib/hexwend/data")
    ok = others == expected[name]
    check(ok, said(ok, "  holds the files of the layout", "unexpected %s, missing %s" % (
        sorted(others - expected[name]), sorted(expected[name] - others))))
    if name == "hexwend":
        generated = {p for p in os.listdir(os.path.join(build, "data"))} - {"LICENSES"}
        check({p.split("/")[0] for p in data} == generated, "  and the generated data folder")

# The server's unit is enabled and started on installation and stopped on removal.
scores = debs["hexwend-scores"]
for script in ("postinst", "prerm", "postrm"):
    status, text, _ = run(["dpkg-deb", "-I", scores, script])
    syntax, _, err = run(["sh", "-n", "-c", text])
    check(status == 0 and syntax == 0 and "hexwend-scores.service" in text,
          said(status == 0 and syntax == 0, "hexwend-scores has its %s script" % script, err))
