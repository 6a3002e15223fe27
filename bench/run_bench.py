#!/usr/bin/env python3
"""How long the command line's operations take against a simulated controller, next to the least the
serial line allows.

For each family, vantrel-sim runs with --wire-timing (every byte takes 10 bits at the family's baud
rate) and a fixed turnaround per answer. Each operation runs several times as its own vantrel-cli
process; the simulator counts the bytes and answers that crossed the line, which gives the lower bound:

    bytes heard and sent * 10 / baud + answers * turnaround + the pauses the protocol demands

Prints one row per operation and family (median time, lower bound, ratio, CPU time, peak memory) and,
with --markdown FILE, writes the same table for docs/performance.md.

    bench/run_bench.py --cli build/linux-release/cli/vantrel-cli --sim build/linux-release/sim/vantrel-sim
"""
import argparse
import json
import os
import platform
import resource
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import termios
import time
import tty

FAMILIES = ["FJ", "EV48-400-C", "Tercel"]
# Pauses the protocols demand, in ms: one after every written EV48-400-C group (seven, whatever
# changed), one after every FJ parameter and Tercel register written.
WRITE_PAUSE_MS = {"FJ": lambda n: 100 * n, "EV48-400-C": lambda n: 7 * 1000, "Tercel": lambda n: 100 * n}
# A failed identification: three attempts, each waiting out the answer time-out, two pauses between.
FAILED_IDENTIFY_MS = {"FJ": 3 * 500 + 2 * 100, "EV48-400-C": 3 * 1000 + 2 * 100}
# Entries whose edit changes others: the benchmark writes exactly five values.
LINKED_KEYS = {"motorPeakSpeed", "2878"}


class Simulator:
    def __init__(self, sim, family, turnaround, workdir):
        self.stats = os.path.join(workdir, "stats.txt")
        self.link = os.path.join(workdir, "line")
        if os.path.exists(self.stats):
            os.remove(self.stats)
        self.process = subprocess.Popen(
            [sim, "--family", family, "--link", self.link, "--wire-timing", "--turnaround-ms", str(turnaround),
             "--state", os.path.join(workdir, f"state-{family}.txt"), "--stats", self.stats],
            stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if not line.startswith("READY"):
            raise RuntimeError("vantrel-sim did not start: " + line)

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        self.process.wait(timeout=10)
        values = {}
        with open(self.stats) as f:
            for line in f:
                name, value = line.split()
                values[name] = int(value)
        return values


BAUD = {"FJ": termios.B19200, "EV48-400-C": termios.B115200, "Tercel": termios.B38400}


def logged_exchanges(stderr):
    """The requests and answer lengths of a run, from its debug log lines."""
    exchanges = []
    for line in stderr.splitlines():
        if "] [TX] " in line:
            exchanges.append([bytes(int(b, 16) for b in line.split("] [TX] ")[1].split()), 0])
        elif "] [RX] " in line and exchanges and exchanges[-1][1] == 0:
            exchanges[-1][1] = len(line.split("] [RX] ")[1].split())
    return [(tx, rx) for tx, rx in exchanges if rx > 0]


def replay(link, family, exchanges):
    """The same requests sent and answers read by the plainest client: the time the simulator and the
    pseudo-terminal take for these bytes, with none of our code in the way. In ms."""
    fd = os.open(link, os.O_RDWR | os.O_NOCTTY)
    try:
        tty.setraw(fd)
        attributes = termios.tcgetattr(fd)
        attributes[4] = attributes[5] = BAUD[family]
        termios.tcsetattr(fd, termios.TCSANOW, attributes)
        start = time.perf_counter()
        for request, answer_length in exchanges:
            os.write(fd, request)
            got = 0
            while got < answer_length:
                got += len(os.read(fd, answer_length - got))
        return (time.perf_counter() - start) * 1000
    finally:
        os.close(fd)


def run_cli(cli, args):
    """Wall time in ms, CPU time in ms and peak memory in KiB of one vantrel-cli process."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    result = subprocess.run([cli] + args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    wall = (time.perf_counter() - start) * 1000
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if result.returncode != 0:
        raise RuntimeError(f"vantrel-cli {' '.join(args)} failed ({result.returncode}): {result.stderr.strip()}")
    cpu = ((after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)) * 1000
    return wall, cpu, after.ru_maxrss, result.stdout


def five_changes(entries, flip):
    """NAME=VALUE for five editable Tuning entries that limit nothing else, alternating between two
    values inside their limits so that every run changes them."""
    chosen = []
    for e in entries:
        if e["tab"] != "Tuning" or e["readOnly"] or e["key"] in LINKED_KEYS:
            continue
        try:
            low, high = float(e["min"]), float(e["max"])
        except ValueError:
            continue
        if high <= low:
            continue
        chosen.append(f"{e['key']}={e['min'] if flip else e['max']}")
        if len(chosen) == 5:
            break
    if len(chosen) < 5:
        raise RuntimeError("fewer than five editable entries")
    return chosen


def bench_family(cli, sim, family, runs, turnaround, workdir):
    rows = []

    def measure(operation, make_args, pauses_ms):
        simulator = Simulator(sim, family, turnaround, workdir)
        samples = []
        try:
            for i in range(runs):
                samples.append(run_cli(cli, make_args(i, simulator.link)))
        finally:
            stats = simulator.stop()
        wire_ms = (stats["bytes_heard"] + stats["bytes_sent"]) * 10 * 1000 / stats["baud"] / runs
        bound = wire_ms + stats["answers"] * turnaround / runs + pauses_ms
        wall = statistics.median(s[0] for s in samples)
        rows.append({
            "family": family, "operation": operation, "measured_ms": wall, "bound_ms": bound,
            "ratio": wall / bound, "cpu_ms": statistics.median(s[1] for s in samples),
            "peak_kib": max(s[2] for s in samples), "answers": stats["answers"] / runs,
        })
        return samples

    read = measure("read", lambda i, port: ["read", "--port", port, "--family", family, "--json"], 0)
    # The floor under the read: its exchanges replayed by a client that does nothing else.
    simulator = Simulator(sim, family, turnaround, workdir)
    try:
        debug = subprocess.run([cli, "read", "--port", simulator.link, "--family", family],
                               env=dict(os.environ, VANTREL_DEBUG="1"), capture_output=True, text=True)
        exchanges = logged_exchanges(debug.stderr)
        floors = [replay(simulator.link, family, exchanges) for _ in range(runs)]
    finally:
        simulator.stop()
    rows[-1]["replay_ms"] = statistics.median(floors)
    entries = json.loads(read[0][3])["entries"]
    measure("write 5", lambda i, port: ["set", "--port", port, "--family", family, "--write"]
            + five_changes(entries, i % 2 == 0), WRITE_PAUSE_MS[family](5))
    backup = os.path.join(workdir, "backup.vtdata")
    measure("backup", lambda i, port: ["backup", "--port", port, "--family", family, "--out", backup, "--force"], 0)
    return rows


def bench_probe(cli, sim, runs, turnaround, workdir, tercel_read_bound):
    simulator = Simulator(sim, "Tercel", turnaround, workdir)
    samples = []
    try:
        for _ in range(runs):
            samples.append(run_cli(cli, ["probe", "--port", simulator.link]))
    finally:
        simulator.stop()
    bound = FAILED_IDENTIFY_MS["FJ"] + FAILED_IDENTIFY_MS["EV48-400-C"] + tercel_read_bound
    wall = statistics.median(s[0] for s in samples)
    return {"family": "Tercel", "operation": "probe, all three", "measured_ms": wall, "bound_ms": bound,
            "ratio": wall / bound, "cpu_ms": statistics.median(s[1] for s in samples),
            "peak_kib": max(s[2] for s in samples), "answers": 0}


def table(rows):
    lines = ["| Family | Operation | Measured (ms) | Lower bound (ms) | Ratio | Replayed exchanges (ms) "
             "| CPU (ms) | CPU share | Peak memory (MiB) |",
             "|---|---|---:|---:|---:|---:|---:|---:|---:|"]
    for r in rows:
        replayed = f"{r['replay_ms']:.0f}" if "replay_ms" in r else ""
        lines.append(f"| {r['family']} | {r['operation']} | {r['measured_ms']:.0f} | {r['bound_ms']:.0f} | "
                     f"{r['ratio']:.3f} | {replayed} | {r['cpu_ms']:.0f} | "
                     f"{100 * r['cpu_ms'] / r['measured_ms']:.1f}% | {r['peak_kib'] / 1024:.1f} |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--turnaround-ms", type=int, default=2)
    parser.add_argument("--family", action="append", choices=FAMILIES)
    parser.add_argument("--markdown", help="write the table and the machine to this file")
    args = parser.parse_args()

    workdir = tempfile.mkdtemp(prefix="vantrel-bench-")
    rows = []
    try:
        for family in args.family or FAMILIES:
            print(f"== {family}", file=sys.stderr)
            rows += bench_family(args.cli, args.sim, family, args.runs, args.turnaround_ms, workdir)
        tercel_read = [r for r in rows if r["family"] == "Tercel" and r["operation"] == "read"]
        if tercel_read:
            print("== probe", file=sys.stderr)
            rows.append(bench_probe(args.cli, args.sim, args.runs, args.turnaround_ms, workdir,
                                    tercel_read[0]["bound_ms"]))
    finally:
        shutil.rmtree(workdir, ignore_errors=True)

    text = table(rows)
    print(text)
    if args.markdown:
        machine = f"{platform.machine()}, {os.cpu_count()} cores, {platform.system()} {platform.release()}"
        with open(args.markdown, "w") as f:
            f.write(f"Machine: {machine}; median of {args.runs} runs; simulator turnaround "
                    f"{args.turnaround_ms} ms.\n\n{text}\n")
    worst = max(r["ratio"] for r in rows)
    print(f"worst ratio {worst:.3f}", file=sys.stderr)


if __name__ == "__main__":
    main()
