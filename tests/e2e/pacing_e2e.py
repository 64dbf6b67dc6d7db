"""The real loop's update rate under a private X server: 60 updates per second, +-2.

Usage: pacing_e2e.py PROBE
"""

import statistics
import sys

from e2e_support import Program, check

probe = sys.argv[1]
seconds = 5.0

program = Program([probe, "--updates", "--seconds", str(seconds)])
status = program.wait_exit(seconds + 30)
program.kill()
check(status == 0, "the probe ran and ended by itself (status %s)" % status)

times = [float(line.split()[1]) for line in program.lines if line.startswith("update ")]
# Leave out the first second: window creation and the first frames.
steady = [t for t in times if t >= times[0] + 1.0]
check(len(steady) > 100, "updates were reported (%d)" % len(steady))
span = steady[-1] - steady[0]
rate = (len(steady) - 1) / span
intervals = [(b - a) * 1000 for a, b in zip(steady, steady[1:])]
print(
    "updates: %d over %.3f s = %.2f per second; interval median %.3f ms, max %.3f ms"
    % (len(steady), span, rate, statistics.median(intervals), max(intervals))
)
check(58 <= rate <= 62, "the loop delivers 60 updates per second, +-2 (%.2f)" % rate)
