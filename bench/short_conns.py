#!/usr/bin/env python3
"""Short-lived TCP connections, as a browser or a launcher makes them: each one connects, sends its
bytes and closes at once.

  short_conns.py serve PORT                     accept and read every connection until SIGTERM
  short_conns.py send ADDR PORT [--count N] [--size BYTES] [--per-second R]

The sender prints "first_us=T connections=N bytes=B seconds=S" when done (T: its first connect, in
microseconds since the epoch), the figures bench/compare.sh reads.
"""
import argparse
import selectors
import signal
import socket
import sys
import time


def serve(port):
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("", port))
    listener.listen(128)
    listener.setblocking(False)
    print("listening", flush=True)
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    selector = selectors.DefaultSelector()
    selector.register(listener, selectors.EVENT_READ)
    while not stop:
        for key, _ in selector.select(timeout=0.2):
            if key.fileobj is listener:
                try:
                    connection, _ = listener.accept()
                except BlockingIOError:
                    continue
                connection.setblocking(False)
                selector.register(connection, selectors.EVENT_READ)
                continue
            try:
                data = key.fileobj.recv(1 << 16)
            except (BlockingIOError, ConnectionError):
                data = b"" if not isinstance(sys.exc_info()[1], BlockingIOError) else None
            if data == b"":
                selector.unregister(key.fileobj)
                key.fileobj.close()


def send(address, port, count, size, per_second):
    payload = b"x" * size
    started = time.time()
    for i in range(count):
        due = started + i / per_second
        delay = due - time.time()
        if delay > 0:
            time.sleep(delay)
        with socket.create_connection((address, port)) as connection:
            connection.sendall(payload)
    print(f"first_us={int(started * 1e6)} connections={count} bytes={count * size} "
          f"seconds={time.time() - started:.3f}", flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["serve", "send"])
    parser.add_argument("where", nargs="+")
    parser.add_argument("--count", type=int, default=300)
    parser.add_argument("--size", type=int, default=256 * 1024)
    parser.add_argument("--per-second", type=float, default=20)
    args = parser.parse_args()
    if args.mode == "serve":
        serve(int(args.where[0]))
    else:
        send(args.where[0], int(args.where[1]), args.count, args.size, args.per_second)


if __name__ == "__main__":
    main()
