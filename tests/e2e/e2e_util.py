"""Helpers for the end-to-end scripts: run a program, follow its output, find its window."""

import os
import queue
import subprocess
import sys
import tempfile
import threading
import time


class Program:
    """A started program whose standard output is collected line by line."""

    def __init__(self, args, cwd=None):
        self.cwd = cwd or tempfile.mkdtemp(prefix="hexwend-e2e-")
        self.process = subprocess.Popen(
            args, cwd=self.cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True
        )
        self.lines = []
        self._queue = queue.Queue()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for line in self.process.stdout:
            self._queue.put(line.rstrip("\n"))
        self._queue.put(None)

    def _drain(self, timeout):
        try:
            line = self._queue.get(timeout=timeout)
        except queue.Empty:
            return False
        if line is not None:
            self.lines.append(line)
        return line is not None

    def wait_for_line(self, predicate, timeout):
        """Waits until a line satisfying predicate has arrived; returns it or None."""
        deadline = time.monotonic() + timeout
        for line in self.lines:
            if predicate(line):
                return line
        while time.monotonic() < deadline:
            if self._drain(0.05) and predicate(self.lines[-1]):
                return self.lines[-1]
            if self.process.poll() is not None and self._queue.empty():
                return None
        return None

    def wait_exit(self, timeout):
        """The exit status, or None if the program is still running after timeout seconds."""
        try:
            status = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        self._reader.join(timeout=5)
        while self._drain(0):
            pass
        return status

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def find_window(name, timeout=20):
    """The id of the visible window with exactly this name, or None."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name],
            capture_output=True, text=True,
        )
        ids = result.stdout.split()
        if ids:
            return ids[0]
        time.sleep(0.1)
    return None


def window_info(window):
    """xwininfo's facts about a window (or "-root") as a dict of name -> text."""
    args = ["xwininfo", "-root"] if window == "-root" else ["xwininfo", "-id", window]
    output = subprocess.run(args, capture_output=True, text=True, check=True).stdout
    info = {}
    for line in output.splitlines():
        if ":" in line:
            key, value = line.split(":", 1)
            info[key.strip()] = value.strip()
    return info


def check(condition, message):
    if not condition:
        print("FAILED: " + message)
        sys.exit(1)
    print("ok: " + message)
