"""What the whole-process measurements share: the build folder from the command line under a
private X server, the programs they measure, and a process's CPU time."""

import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def build_folder(script, screen=None, args=None):
    """The build folder named on the command line (default: build). When no private display
    is set up yet, runs `script` again under scripts/with-xvfb (with a screen of `screen`,
    e.g. "1280x720x24", when given) and ends with its status. `args` are the script's
    command-line arguments without the build folder, when it has others."""
    if args is None:
        args = sys.argv[1:]
    build = os.path.abspath(args[0] if args else os.path.join(ROOT, "build"))
    if not os.environ.get("HEXWEND_BENCH_XVFB"):
        env = dict(os.environ, HEXWEND_BENCH_XVFB="1")
        if screen:
            env["HEXWEND_XVFB_SCREEN"] = screen
        sys.exit(subprocess.call([os.path.join(ROOT, "scripts", "with-xvfb"), sys.executable,
                                  os.path.abspath(script)] + sys.argv[1:], env=env))
    return build


def programs(build, *names):
    """The paths of built programs below the build folder; ends the run when one is missing."""
    paths = [os.path.join(build, name) for name in names]
    for program in paths:
        if not os.access(program, os.X_OK):
            sys.exit("missing %s: build first (make build)" % program)
    return paths


def cpu_seconds_of(stat_path):
    """User plus system time from a /proc stat file."""
    with open(stat_path) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")  # utime + stime


def process_cpu_seconds(pid):
    """User plus system time of the whole process, all threads."""
    return cpu_seconds_of("/proc/%d/stat" % pid)


def thread_cpu_seconds(pid):
    """User plus system time of each thread of a process: {thread id: (name, seconds)}.
    Threads that end while being read are left out."""
    threads = {}
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/comm" % (pid, tid)) as f:
                name = f.read().strip()
            threads[int(tid)] = (name, cpu_seconds_of("/proc/%d/task/%s/stat" % (pid, tid)))
        except OSError:
            pass
    return threads
