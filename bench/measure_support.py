"""What the whole-process measurements share: the build folder from the command line under a
private X server, the programs they measure, and a process's CPU time."""

import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def build_folder(script):
    """The build folder named on the command line (default: build). When no private display
    is set up yet, runs `script` again under scripts/with-xvfb and ends with its status."""
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
    if not os.environ.get("HEXWEND_BENCH_XVFB"):
        env = dict(os.environ, HEXWEND_BENCH_XVFB="1")
        sys.exit(subprocess.call([os.path.join(ROOT, "scripts", "with-xvfb"), sys.executable,
                                  os.path.abspath(script), build], env=env))
    return build


def programs(build, *names):
    """The paths of built programs below the build folder; ends the run when one is missing."""
    paths = [os.path.join(build, name) for name in names]
    for program in paths:
        if not os.access(program, os.X_OK):
            sys.exit("missing %s: build first (make build)" % program)
    return paths


def process_cpu_seconds(pid):
    """User plus system time of the whole process, all threads."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")  # utime + stime
