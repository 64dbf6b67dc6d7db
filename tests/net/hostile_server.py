#!/usr/bin/env python3
"""A loopback HTTP server that misbehaves on request, for the HTTP client's tests.

Listens on 127.0.0.1 on a free port, prints the port on the first line of its output, and
serves each connection on a thread of its own. The request path picks the behaviour
("GET //drip?ms=50 HTTP/1.0" drips the reply a byte every 50 ms). It stops when its standard
input closes, so it never outlives the test that started it.
"""
import os
import socket
import socketserver
import sys
import threading
import time
from urllib.parse import parse_qs, urlsplit

OK = b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n"
LIMIT_SECONDS = 60  # no connection is held longer than this


def read_head(conn):
    data = b""
    while b"\r\n\r\n" not in data and len(data) < 65536:
        chunk = conn.recv(4096)
        if not chunk:
            break
        data += chunk
    return data


def wait_for_close(conn, seconds=LIMIT_SECONDS):
    """Holds the connection until the client closes it (or the limit)."""
    conn.settimeout(seconds)
    try:
        while conn.recv(4096):
            pass
    except OSError:
        pass


def send_slowly(conn, data, seconds):
    for i in range(len(data)):
        conn.sendall(data[i:i + 1])
        time.sleep(seconds)


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.request
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        head = read_head(conn)
        try:
            target = head.split(b" ")[1].decode("latin-1")
        except IndexError:
            return
        url = urlsplit("/" + target.lstrip("/"))
        mode = url.path.strip("/")
        args = {k: v[0] for k, v in parse_qs(url.query).items()}
        try:
            self.serve(conn, mode, args)
        except OSError:
            pass  # the client went away: that is what some cases are about

    def serve(self, conn, mode, args):
        if mode == "ok":
            conn.sendall(OK + b"hello body")
        elif mode == "bytewise":
            send_slowly(conn, OK + b"hello body", 0.002)
        elif mode == "twopart":
            conn.sendall(b"HTTP/1.0 200\r\n\r\nbody")
        elif mode == "garbage":
            conn.sendall(b"SSH-2.0-nothing like HTTP\r\n\r\nbody")
        elif mode == "close":
            pass
        elif mode == "silent":
            wait_for_close(conn)
        elif mode == "drip":
            send_slowly(conn, OK + b"drip", int(args.get("ms", "11000")) / 1000.0)
        elif mode == "huge":
            conn.sendall(OK)
            chunk = b"x" * 65536
            for _ in range(64):  # 4 MiB at most
                conn.sendall(chunk)
        elif mode == "longline":
            conn.sendall(b"HTTP/1.0 200 OK\r\nX-Long: " + b"a" * 20000 + b"\r\n\r\nbody")
        elif mode == "split":
            # A two-byte and a three-byte character, each cut between two blocks.
            conn.sendall(OK + b"caf\xc3")
            time.sleep(0.1)
            conn.sendall(b"\xa9 \xe2\x82")
            time.sleep(0.1)
            conn.sendall(b"\xac!")
        elif mode == "endlesshead":
            conn.sendall(b"HTTP/1.0 200 OK\r\n")
            line = b"X-More: " + b"m" * 100 + b"\r\n"
            for _ in range(40000):  # about 4 MiB at most
                conn.sendall(line)
        else:
            conn.sendall(b"HTTP/1.0 404 Not Found\r\n\r\nno such mode")
        conn.shutdown(socket.SHUT_WR)
        wait_for_close(conn, 5)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    server = Server(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    sys.stdin.buffer.read()  # until the test closes our input
    os._exit(0)


if __name__ == "__main__":
    main()
