#!/usr/bin/env python3
"""A stand-in for RealTraffic, for tests and for running Tarnwick here.

RealTraffic sends one traffic record per UDP datagram (port 49005), the sea-level
pressure as a JSON datagram (port 49004), and connects as a TCP client to Tarnwick's
server (PORT_NUMBER, 10747) when both run on one computer. Everything here talks to
127.0.0.1 only and ends by itself.

Commands:
  traffic   send records (given, or replayed from a recording) as datagrams
  qnh       send QNH datagrams
  client    be the TCP client: answer "Qs999=version", record every line received
  live      all three at once, for running the program by hand
  generate  write a recording of realistic records around a position
  flight    a scripted departure, climb-out or arrival, with the faults of a live feed on request,
            sent at RealTraffic's pace or written out
"""
import argparse
import json
import math
import random
import socket
import sys
import threading
import time

import scripted_flights

HOST = "127.0.0.1"
CONNECTED = threading.Event()  # the TCP client has reached the program's server once

# A real record as RealTraffic sends it (without the last field, authentication).
EXAMPLE_RECORD = (
    "RTTFC,11234042,-33.9107,152.9902,26400,1248,0,90.12,490.00,AAL72,B789,N835AN,SYD,LAX,"
    "1645144774.2,X2,AA72,adsb_icao,27575,320,474,0.780,0.0,0.0,78.93,92.27,1280,none,A5,"
    "1012.8,35008,-1,71.02,autopilot|vnav|lnav|tcas,0.0,-21.9,223,24,-30,0,1,170124")

TIMESTAMP_FIELD = 14


class Recorder:
    """Appends what the client sees to a file, one line each, flushed at once."""

    def __init__(self, path):
        self._file = open(path, "a", encoding="utf-8", newline="\n") if path else None
        self._lock = threading.Lock()

    def line(self, text):
        with self._lock:
            if self._file:
                self._file.write(text + "\n")
                self._file.flush()
            else:
                print(text, flush=True)


def send_datagrams(port, payloads, interval):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        for n, payload in enumerate(payloads):
            if n and interval > 0:
                time.sleep(interval)
            sock.sendto(payload if isinstance(payload, bytes) else payload.encode("latin-1"), (HOST, port))


def record_time(record):
    fields = record.split(",")
    try:
        return float(fields[TIMESTAMP_FIELD])
    except (IndexError, ValueError):
        return None


def restamped(line, stamp):
    fields = line.split(",")
    if len(fields) > TIMESTAMP_FIELD:
        fields[TIMESTAMP_FIELD] = f"{stamp:.1f}"
    return ",".join(fields)


def replay(port, lines, speed, deadline, restamp=False, sent=None):
    """Sends each line at its recorded pace divided by speed (0: as fast as possible);
    with restamp, each record carries the time at which it is due, as live data does: the
    present when the replay began plus its recorded offset from the first record (the time
    at which it is sent when the speed is 0 or it has no time).
    A sent Recorder gets each line with the Unix time at which it went out."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        first_record = None
        start, wall = time.monotonic(), time.time()
        for line in lines:
            if time.monotonic() > deadline:
                return
            stamp = record_time(line)
            due = None
            if speed > 0 and stamp is not None:
                if first_record is None:
                    first_record = stamp
                due = (stamp - first_record) / speed
                pause = start + due - time.monotonic()
                if pause > 0:
                    time.sleep(min(pause, max(0.0, deadline - time.monotonic())))
            if restamp:
                line = restamped(line, time.time() if due is None else wall + due)
            sock.sendto(line.encode("latin-1"), (HOST, port))
            if sent:
                sent.line(f"{time.time():.6f}\t{line}")


def read_recording(path):
    with open(path, encoding="latin-1") as f:
        return [line.rstrip("\r\n") for line in f if line.strip() and not line.startswith("#")]


def qnh_datagram(value, icao):
    return json.dumps({"ICAO": icao, "QNH": value, "METAR": f"{icao} 121250Z 31008KT 10SM CLR 18/07 Q{value}"})


def parse_qnh_value(text):
    """Numbers go out as JSON numbers; anything else as a JSON string."""
    for kind in (int, float):
        try:
            return kind(text)
        except ValueError:
            pass
    return text


def version_reply(args):
    if args.reply is not None:
        return args.reply
    reply = {"version": args.version}
    if args.level != "none":
        reply["level"] = int(args.level)
    return json.dumps(reply)


def connect(port, deadline):
    while time.monotonic() < deadline:
        try:
            return socket.create_connection((HOST, port), timeout=1.0)
        except OSError:
            time.sleep(0.1)
    return None


def run_client(args, recorder, stop):
    """One TCP client session after another until exit, time-out or no reconnect."""
    deadline = time.monotonic() + args.timeout
    reconnects = args.reconnects
    while not stop.is_set():
        sock = connect(args.port, deadline)
        if sock is None:
            recorder.line("#no-server")
            return
        recorder.line("#connected")
        CONNECTED.set()
        ended = client_session(args, sock, recorder, deadline, stop)
        sock.close()
        if time.monotonic() >= deadline or (not args.stay and (ended == "exit" or reconnects <= 0)):
            return
        reconnects -= 1
        time.sleep(args.reconnect_delay)


def send_reply(sock, reply, split_pause):
    """With a pause, in two pieces: TCP may hand a reply over in parts."""
    if split_pause is None:
        sock.sendall(reply)
        return
    half = len(reply) // 2
    sock.sendall(reply[:half])
    time.sleep(split_pause)
    sock.sendall(reply[half:])


def client_session(args, sock, recorder, deadline, stop):
    """Returns "exit", "closed", "dropped" or "timeout"."""
    sock.settimeout(0.2)
    pending = b""
    positions = 0
    while not stop.is_set() and time.monotonic() < deadline:
        try:
            chunk = sock.recv(8192)
        except socket.timeout:
            continue
        except OSError:
            recorder.line("#closed")
            return "closed"
        if not chunk:
            recorder.line("#closed")
            return "closed"
        pending += chunk
        while b"\r\n" in pending:
            raw, pending = pending.split(b"\r\n", 1)
            line = raw.decode("latin-1")
            recorder.line(line)
            if line == "Qs999=version" and args.hang_up:
                recorder.line("#dropped")
                return "dropped"
            if line == "Qs999=version" and not args.no_reply:
                send_reply(sock, version_reply(args).encode("utf-8"), args.split_reply)
                if args.stop_reading:
                    recorder.line("#stopped-reading")
                    stop.wait(max(0.0, deadline - time.monotonic()))
                    return "timeout"
            elif line == "exit":
                return "exit"
            elif line.startswith("Qs121="):
                positions += 1
                if args.drop_after and positions >= args.drop_after:
                    recorder.line("#dropped")
                    return "dropped"
    recorder.line("#timeout")
    return "timeout"


def generate(count, lat, lon, radius_nm, seed, start_time):
    """Records of a few hundred flights moving around a position, one second apart per flight."""
    rng = random.Random(seed)
    types = [("B738", "A3"), ("A320", "A3"), ("A21N", "A3"), ("B789", "A5"), ("A359", "A5"),
             ("E190", "A3"), ("CRJ9", "A2"), ("AT76", "A2"), ("C172", "A1"), ("B77W", "A5")]
    airlines = ["KLM", "DLH", "BAW", "AFR", "EZY", "RYR", "UAE", "AAL", "DAL", "SWR"]
    airports = ["EHAM", "EDDF", "EGLL", "LFPG", "LEMD", "LIRF", "EKCH", "ESSA", "LOWW", "LSZH"]
    flights = []
    for n in range(max(1, count // 20)):
        kind, category = rng.choice(types)
        airline = rng.choice(airlines)
        number = rng.randint(1, 9999)
        on_ground = rng.random() < 0.3
        flights.append({
            "hex": rng.randint(10001, 16777215),
            "lat": lat + rng.uniform(-radius_nm, radius_nm) / 60.0,
            "lon": lon + rng.uniform(-radius_nm, radius_nm) / 60.0 / max(0.2, math.cos(math.radians(lat))),
            "alt": 0 if on_ground else rng.randint(1500, 39000),
            "track": rng.uniform(0, 360),
            "gs": rng.uniform(5, 25) if on_ground else rng.uniform(140, 490),
            "cs": f"{airline}{number}",
            "type": kind, "category": category,
            "reg": f"{rng.choice(['PH', 'D', 'G', 'F', 'N'])}-{rng.choice('ABCDEFGHJKLMNPRSTUVWXYZ')}"
                   f"{rng.choice('ABCDEFGHJKLMNPRSTUVWXYZ')}{rng.choice('ABCDEFGHJKLMNPRSTUVWXYZ')}",
            "from": rng.choice(airports), "to": rng.choice(airports),
        })
    lines = []
    stamp = start_time
    for n in range(count):
        f = flights[n % len(flights)]
        if n % len(flights) == 0:
            stamp += 1.0
        step = f["gs"] / 3600.0 / 60.0
        f["lat"] += step * math.cos(math.radians(f["track"]))
        f["lon"] += step * math.sin(math.radians(f["track"])) / max(0.2, math.cos(math.radians(f["lat"])))
        heading = (f["track"] + rng.uniform(-3, 3)) % 360
        source = "adsb_icao" if rng.random() < 0.8 else "mlat"
        lines.append(",".join(str(x) for x in [
            "RTTFC", f["hex"], f"{f['lat']:.4f}", f"{f['lon']:.4f}", f["alt"],
            0 if f["alt"] == 0 else rng.choice([0, 64, -640, 1280]), 1 if f["alt"] == 0 else 0,
            f"{f['track']:.2f}", f"{f['gs']:.2f}", f["cs"], f["type"], f["reg"], f["from"], f["to"],
            f"{stamp:.1f}", "X2", f["cs"][:2] + f["cs"][3:], source, f["alt"] + 1175,
            -1 if f["alt"] == 0 else 280, -1 if f["alt"] == 0 else 450, "0.780", "0.0",
            f"{rng.uniform(-5, 5):.1f}", f"{heading:.2f}", f"{heading:.2f}", 0, "none", f["category"],
            "1012.8", 35008, -1, f"{heading:.2f}", "autopilot|vnav|lnav|tcas", "0.0", "-21.9",
            223, 24, -30, 0, 1, rng.randint(100000, 999999), rng.randint(1000, 4294967295)]))
    return lines


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--done", help="create this file when the command has finished")
    commands = parser.add_subparsers(dest="command", required=True)

    p = commands.add_parser("traffic", help="send traffic records")
    p.add_argument("--port", type=int, default=49005)
    p.add_argument("--file", help="a recording, one record a line")
    p.add_argument("--speed", type=float, default=1.0, help="replay pace; 0 as fast as possible")
    p.add_argument("--record", action="append", default=[], help="a record to send (repeatable)")
    p.add_argument("--example", action="store_true", help="send the real example record")
    p.add_argument("--size", type=int, help="send one datagram of this many bytes")
    p.add_argument("--repeat", type=int, default=1, help="send the given records this many times")
    p.add_argument("--interval", type=float, default=0.02, help="seconds between given records")
    p.add_argument("--timeout", type=float, default=600.0)

    p = commands.add_parser("qnh", help="send QNH datagrams")
    p.add_argument("--port", type=int, default=49004)
    p.add_argument("--value", action="append", default=[], help="QNH value (number or text; repeatable)")
    p.add_argument("--raw", action="append", default=[], help="a datagram sent as it is (repeatable)")
    p.add_argument("--file", help="datagrams sent as they are, one a line")
    p.add_argument("--icao", default="KMCE")
    p.add_argument("--interval", type=float, default=0.05)

    for name in ("client", "live"):
        p = commands.add_parser(name, help="TCP client" if name == "client" else "client, QNH and traffic")
        p.add_argument("--port", type=int, default=10747)
        p.add_argument("--version", default="10.0.240")
        p.add_argument("--level", default="2", help="1, 2 or none (member left out)")
        p.add_argument("--reply", help="answer the version request with this text instead")
        p.add_argument("--no-reply", action="store_true", help="never answer the version request")
        p.add_argument("--hang-up", action="store_true", help="close when asked for the version")
        p.add_argument("--split-reply", type=float, help="send the version reply in two pieces, this many seconds apart")
        p.add_argument("--stop-reading", action="store_true", help="read nothing after the version reply")
        p.add_argument("--log", help="append every line received to this file")
        p.add_argument("--drop-after", type=int, default=0, help="close after this many Qs121 lines")
        p.add_argument("--reconnects", type=int, default=0, help="connect again this many times")
        p.add_argument("--reconnect-delay", type=float, default=0.5)
        p.add_argument("--timeout", type=float, default=60.0, help="end after this many seconds")
        p.add_argument("--stay", action="store_true",
                       help="connect again after every session, also after \"exit\", until the time-out")
        if name == "live":
            p.add_argument("--file", help="recording to replay to port 49005")
            p.add_argument("--speed", type=float, default=1.0)
            p.add_argument("--qnh", default="1013")
            p.add_argument("--traffic-port", type=int, default=49005)
            p.add_argument("--qnh-port", type=int, default=49004)
            p.add_argument("--no-client", action="store_true", help="RealTraffic on another computer")
            p.add_argument("--after-connect", type=float, metavar="SECONDS",
                           help="start the traffic this long after the program's server was first reached")
            p.add_argument("--sent", help="append each record sent, after its Unix time and a tab, to this file")
            p.add_argument("--once", action="store_true", help="replay the recording once, not again and again")

    p = commands.add_parser("generate", help="write a recording")
    p.add_argument("--out", required=True)
    p.add_argument("--count", type=int, default=2000)
    p.add_argument("--lat", type=float, default=52.3086)
    p.add_argument("--lon", type=float, default=4.7639)
    p.add_argument("--radius", type=float, default=30.0, help="nautical miles")
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--start", type=float, default=1700000000.0, help="first time stamp")

    p = commands.add_parser("flight", help="a scripted departure or arrival")
    scripted_flights.add_arguments(p)
    p.add_argument("--port", type=int, default=49005)
    p.add_argument("--speed", type=float, default=1.0, help="pace; 2 sends twice as fast as real time")
    p.add_argument("--out", help="write the records to this file instead of sending them")
    p.add_argument("--timeout", type=float, default=600.0)

    args = parser.parse_args(argv)

    if args.command == "traffic":
        deadline = time.monotonic() + args.timeout
        if args.file:
            replay(args.port, read_recording(args.file), args.speed, deadline)
        records = list(args.record)
        if args.example:
            records.append(EXAMPLE_RECORD)
        if args.size:
            records.append("x" * args.size)
        if records:
            send_datagrams(args.port, records * args.repeat, args.interval)
    elif args.command == "qnh":
        payloads = [qnh_datagram(parse_qnh_value(v), args.icao) for v in args.value] + args.raw
        if args.file:
            payloads += read_recording(args.file)
        send_datagrams(args.port, payloads, args.interval)
    elif args.command == "client":
        run_client(args, Recorder(args.log), threading.Event())
    elif args.command == "live":
        stop = threading.Event()
        recorder = Recorder(args.log)
        deadline = time.monotonic() + args.timeout
        lines = read_recording(args.file) if args.file else [EXAMPLE_RECORD]
        sent = Recorder(args.sent) if args.sent else None

        def weather():
            while not stop.is_set():
                send_datagrams(args.qnh_port, [qnh_datagram(parse_qnh_value(args.qnh), "EHAM")], 0)
                stop.wait(10.0)

        def traffic():
            if args.after_connect is not None:
                CONNECTED.wait(max(0.0, deadline - time.monotonic()))
                stop.wait(args.after_connect)
            while not stop.is_set():
                replay(args.traffic_port, lines, args.speed, deadline, restamp=True, sent=sent)
                if args.once:
                    break
                stop.wait(1.0)

        workers = [threading.Thread(target=weather, daemon=True), threading.Thread(target=traffic, daemon=True)]
        for w in workers:
            w.start()
        if args.no_client:
            stop.wait(args.timeout)
        else:
            run_client(args, recorder, stop)
        stop.set()
    elif args.command == "flight":
        lines = scripted_flights.scripted(args)
        if args.out:
            with open(args.out, "w", encoding="latin-1", newline="\n") as f:
                f.write("\n".join(lines) + "\n")
        else:
            replay(args.port, lines, args.speed, time.monotonic() + args.timeout)
    elif args.command == "generate":
        lines = generate(args.count, args.lat, args.lon, args.radius, args.seed, args.start)
        with open(args.out, "w", encoding="latin-1", newline="\n") as f:
            f.write("\n".join(lines) + "\n")
    if args.done:
        open(args.done, "w").close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
