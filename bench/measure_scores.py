#!/usr/bin/env python3
"""Load measurement of hexwend-scores with wrk on loopback, beside nginx serving a static file
of the same size in the same run.

    python3 bench/measure_scores.py [build] [--seconds 30] [--connections 64] [--threads N]
                                    [--no-postgres]

1. The game's endpoint on SQLite: 64 connections, each request on its own connection
   (`Connection: close`, as the game sends it), 95 % resubmissions of unchanged scores from
   1,000 players and 5 % new bests.
2. nginx serving a file of the reply's size under the same settings.
3. The game's endpoint on PostgreSQL (a cluster the script starts in a temporary folder).
4. GET /api/v1/scores with keep-alive, and the same for the game's endpoint.
Prints requests per second, latency percentiles and the server's CPU time per request."""

import argparse
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from measure_support import ROOT, process_cpu_seconds  # noqa: E402

KEY = "Rocks drop in rows. Guard each one"
GAME = 506
MARKERS = "&A \\B 'C `D \"E /F >G #H ^I {J }K <L |M %P ?Q +R $S ,T  U"
PLAYERS = 1000


def key_table():
    return [(i + ord(KEY[i % len(KEY)]) + GAME) % 92 for i in range(64)]


def scramble(text, table):
    out, s = [], 0
    for i, ch in enumerate(text):
        s = (s + table[i % 64]) % 92
        c = ord(ch)
        v = c - 32 if 32 <= c <= 123 else 0
        out.append(chr((s + v) % 92 + 32))
    return "".join(out)


def escape(text):
    pairs = {MARKERS[i]: MARKERS[i + 1] for i in range(0, len(MARKERS), 3)}
    return "".join("*!%s!*" % pairs[c] if c in pairs else c for c in text)


def target(table, player, bests):
    identity = "2026%013d" % player
    name = ("P%d" % player).ljust(13)[:13]
    payload = "%s{%s{%04d{0001{0000{" % (identity, name, GAME)
    payload += "".join("%d{0{" % b for b in bests) + "QUZO{"
    return "//Scores.php?Game=%04d&Score=%s" % (GAME, escape(scramble(payload, table)))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def http_get(port, path):
    with socket.create_connection(("127.0.0.1", port), timeout=10) as s:
        s.sendall(("GET %s HTTP/1.0\r\nHost: localhost\r\n\r\n" % path).encode())
        data = b""
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            data += chunk
    head, _, body = data.partition(b"\r\n\r\n")
    return int(head.split()[1]), body


def start_server(program, db, folder, name, threads=None):
    log = open(os.path.join(folder, name + ".stderr"), "w+")
    extra = ["--threads", str(threads)] if threads else []
    proc = subprocess.Popen([program, "serve", "--listen", "127.0.0.1:0", "--rate", "0", "--db", db,
                             "--log", os.path.join(folder, name + ".log")] + extra, stderr=log)
    deadline = time.time() + 30
    while time.time() < deadline:
        log.seek(0)
        m = re.search(r"listening on http://127\.0\.0\.1:(\d+)/", log.read())
        if m:
            return proc, int(m.group(1))
        if proc.poll() is not None:
            break
        time.sleep(0.05)
    log.seek(0)
    sys.exit("hexwend-scores did not start: " + log.read())


def stop(proc):
    proc.terminate()
    try:
        proc.wait(timeout=15)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def run_wrk(url, seconds, connections, script_args=None, close=True):
    cmd = ["wrk", "-t2", "-c%d" % connections, "-d%ds" % seconds, "--latency", "--timeout", "5s"]
    if close:
        cmd += ["-H", "Connection: close"]
    if script_args:
        cmd += ["-s", os.path.join(ROOT, "bench", "scores_load.lua"), url, "--"] + script_args
    else:
        cmd.append(url)
    out = subprocess.run(cmd, capture_output=True, text=True, check=True).stdout
    rps = float(re.search(r"Requests/sec:\s+([\d.]+)", out).group(1))
    lat = dict(re.findall(r"^\s+(50|75|90|99)%\s+(\S+)", out, re.M))
    total = int(re.search(r"(\d+) requests in", out).group(1))
    bad = re.search(r"Non-2xx or 3xx responses: (\d+)", out)
    errors = re.search(r"Socket errors: (.*)", out)
    return {"rps": rps, "lat": lat, "total": total, "bad": int(bad.group(1)) if bad else 0,
            "errors": errors.group(1) if errors else "none", "raw": out}


def report(label, r, cpu=None):
    line = "%-48s %9.0f req/s  p50 %-8s p99 %-8s requests %d, non-2xx %d, socket errors %s" % (
        label, r["rps"], r["lat"].get("50"), r["lat"].get("99"), r["total"], r["bad"], r["errors"])
    if cpu is not None:
        line += ", server CPU %.1f us/request" % (cpu * 1e6 / max(r["total"], 1))
    print(line, flush=True)


def measure_endpoint(program, db, folder, name, table, args, label):
    proc, port = start_server(program, db, folder, name, args.threads)
    try:
        for p in range(PLAYERS):  # every player submits once, so resubmissions change nothing
            status, _ = http_get(port, target(table, p, [1000 + p, 500, 0]))
            assert status == 200, status
        unchanged = os.path.join(folder, "unchanged.txt")
        bests = os.path.join(folder, "bests.txt")
        with open(unchanged, "w") as f:
            for p in range(PLAYERS):
                f.write(target(table, p, [1000 + p, 500, 0]) + "\n")
        with open(bests, "w") as f:  # enough new bests for any rate this machine reaches
            for k in range(60000):
                p = k % PLAYERS
                f.write(target(table, p, [2000 + p + k, 500, 0]) + "\n")
        status, body = http_get(port, target(table, 0, [1000, 500, 0]))
        before = process_cpu_seconds(proc.pid)
        r = run_wrk("http://127.0.0.1:%d" % port, args.seconds, args.connections, [unchanged, bests, "2"])
        cpu = process_cpu_seconds(proc.pid) - before
        report(label, r, cpu)
        return r, len(body), port, proc
    except Exception:
        stop(proc)
        raise


def start_nginx(folder, size):
    www = os.path.join(folder, "www")
    os.makedirs(www)
    with open(os.path.join(www, "reply.txt"), "w") as f:
        f.write("x" * size)
    os.chmod(folder, 0o755)
    os.chmod(www, 0o755)
    port = free_port()
    conf = os.path.join(folder, "nginx.conf")
    with open(conf, "w") as f:
        f.write("""worker_processes auto;
daemon off;
pid %(d)s/nginx.pid;
error_log %(d)s/nginx-error.log;
events { worker_connections 1024; }
http {
  access_log %(d)s/nginx-access.log;
  client_body_temp_path %(d)s/tmp; proxy_temp_path %(d)s/tmp; fastcgi_temp_path %(d)s/tmp;
  uwsgi_temp_path %(d)s/tmp; scgi_temp_path %(d)s/tmp;
  default_type text/plain;
  server { listen 127.0.0.1:%(p)d; root %(w)s; }
}
""" % {"d": folder, "p": port, "w": www})
    proc = subprocess.Popen(["nginx", "-e", os.path.join(folder, "nginx-error.log"), "-c", conf])
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return proc, port
        except OSError:
            time.sleep(0.05)
    sys.exit("nginx did not start")


def nginx_cpu_seconds(master):
    """CPU time of nginx's master and worker processes."""
    total = process_cpu_seconds(master)
    with open("/proc/%d/task/%d/children" % (master, master)) as f:
        for child in f.read().split():
            total += process_cpu_seconds(int(child))
    return total


def start_postgres(folder):
    bins = sorted((d for d in os.listdir("/usr/lib/postgresql")), key=int)
    bindir = "/usr/lib/postgresql/%s/bin" % bins[-1]
    pg = os.path.join(folder, "pg")
    os.makedirs(pg)
    prefix = []
    if os.geteuid() == 0:  # initdb and pg_ctl refuse root
        shutil.chown(pg, "postgres", "postgres")
        prefix = ["runuser", "-u", "postgres", "--"]
    subprocess.run(prefix + [bindir + "/initdb", "-D", pg + "/data", "-U", "hexwend", "-A", "trust",
                             "--locale=C", "--no-sync"], check=True, capture_output=True, cwd="/")
    subprocess.run(prefix + [bindir + "/pg_ctl", "-D", pg + "/data", "-l", pg + "/log", "-w", "-o",
                             "-k %s -c listen_addresses=" % pg, "start"], check=True, capture_output=True, cwd="/")
    subprocess.run(["psql", "-h", pg, "-U", "hexwend", "-d", "postgres", "-qc", "CREATE DATABASE scores"],
                   check=True, capture_output=True)

    def stop_pg():
        subprocess.run(prefix + [bindir + "/pg_ctl", "-D", pg + "/data", "-m", "fast", "-w", "stop"],
                       capture_output=True, cwd="/")
    return "postgresql://hexwend@/scores?host=" + pg, stop_pg


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default=os.path.join(ROOT, "build"))
    parser.add_argument("--seconds", type=int, default=30)
    parser.add_argument("--connections", type=int, default=64)
    parser.add_argument("--no-postgres", action="store_true")
    parser.add_argument("--threads", type=int, help="hexwend-scores --threads (default: its own)")
    args = parser.parse_args()
    program = os.path.join(os.path.abspath(args.build), "server", "hexwend-scores")
    if not os.access(program, os.X_OK):
        sys.exit("missing %s: build first (make build)" % program)
    for tool in ("wrk", "nginx"):
        if not shutil.which(tool):
            sys.exit("%s is missing: scripts/install-deps" % tool)

    print("load average at start: %s; hexwend-scores threads: %s" % (
        open("/proc/loadavg").read().split()[:3], args.threads or "default"), flush=True)
    table = key_table()
    folder = tempfile.mkdtemp(prefix="hexwend-bench-")
    try:
        r, size, port, proc = measure_endpoint(program, os.path.join(folder, "scores.db"), folder, "sqlite",
                                               table, args, "hexwend-scores, game endpoint, SQLite")
        try:
            before = process_cpu_seconds(proc.pid)
            api = run_wrk("http://127.0.0.1:%d/api/v1/scores?game=506&type=1&limit=20" % port,
                          args.seconds, args.connections, close=False)
            report("hexwend-scores, /api/v1/scores, keep-alive", api, process_cpu_seconds(proc.pid) - before)
            before = process_cpu_seconds(proc.pid)
            game = run_wrk("http://127.0.0.1:%d%s" % (port, target(table, 1, [1001, 500, 0])),
                           args.seconds, args.connections, close=False)
            report("hexwend-scores, game endpoint, keep-alive", game, process_cpu_seconds(proc.pid) - before)
        finally:
            stop(proc)

        nginx, nport = start_nginx(folder, size)
        try:
            before = nginx_cpu_seconds(nginx.pid)
            ng = run_wrk("http://127.0.0.1:%d/reply.txt" % nport, args.seconds, args.connections)
            report("nginx, static file of %d bytes" % size, ng, nginx_cpu_seconds(nginx.pid) - before)
        finally:
            nginx.terminate()
            nginx.wait()
        print("ratio hexwend-scores / nginx: %.2f" % (r["rps"] / ng["rps"]), flush=True)

        if not args.no_postgres:
            uri, stop_pg = start_postgres(folder)
            try:
                _, _, _, pproc = measure_endpoint(program, uri, folder, "postgres", table, args,
                                                  "hexwend-scores, game endpoint, PostgreSQL")
                stop(pproc)
            finally:
                stop_pg()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
