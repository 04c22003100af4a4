#!/usr/bin/env python3
"""The short-lived traffic of bench/soak.sh.

  soak_traffic.py serve PORT SECONDS
      TCP and UDP sinks on PORT: every connection is read to its end, every datagram dropped; ends after
      SECONDS.
  soak_traffic.py client ADDR PORT SEED
      One short-lived process: 1 to 4 TCP connections and one UDP socket, each sending a few kilobytes
      over about 1.5 s (long enough for the monitor to list the new ports), then everything closes and
      the process ends. Ends within 10 s whatever happens.
"""
import random
import selectors
import socket
import sys
import time


def serve(port, seconds):
    selector = selectors.DefaultSelector()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("0.0.0.0", port))
    listener.listen(512)
    listener.setblocking(False)
    selector.register(listener, selectors.EVENT_READ, "accept")
    datagrams = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    datagrams.bind(("0.0.0.0", port))
    datagrams.setblocking(False)
    selector.register(datagrams, selectors.EVENT_READ, "udp")
    print("listening", flush=True)
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        for key, _ in selector.select(timeout=0.5):
            if key.data == "accept":
                try:
                    connection, _ = listener.accept()
                except OSError:
                    continue
                connection.setblocking(False)
                selector.register(connection, selectors.EVENT_READ, "tcp")
            elif key.data == "udp":
                try:
                    datagrams.recv(65536)
                except OSError:
                    pass
            else:
                try:
                    data = key.fileobj.recv(65536)
                except OSError:
                    data = b""
                if not data:
                    selector.unregister(key.fileobj)
                    key.fileobj.close()


def client(address, port, seed):
    rng = random.Random(seed)
    deadline = time.monotonic() + 10
    connections = []
    for _ in range(rng.randint(1, 4)):
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.settimeout(2)
        try:
            s.connect((address, port))
        except OSError:
            s.close()
            continue
        connections.append(s)
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    chunk = b"s" * rng.choice((100, 500, 1400))
    for _ in range(15):
        if time.monotonic() > deadline:
            break
        for s in connections:
            try:
                s.sendall(chunk)
            except OSError:
                pass
        udp.sendto(chunk, (address, port))
        time.sleep(0.1)
    for s in connections:
        s.close()
    udp.close()


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "serve":
        serve(int(sys.argv[2]), float(sys.argv[3]))
    elif len(sys.argv) == 5 and sys.argv[1] == "client":
        client(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
