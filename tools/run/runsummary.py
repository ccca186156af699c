#!/usr/bin/env python3
"""The summary of scripts/run.sh, from the program's Log.txt and what the stand-ins saw.

  runsummary.py LOG SIMULATOR REALTRAFFIC ENDED SCREENSHOT SCANLOG [PROCESSOR [AITRACK]]
"""
import collections
import re
import sys

log_path, sim_path, rt_path, ended, screenshot, scan_path = sys.argv[1:7]
processor_path = sys.argv[7] if len(sys.argv) > 7 else None
track_path = sys.argv[8] if len(sys.argv) > 8 else ""
STEP_NAMES = ("registration", "airline and model", "similar model", "generic", "model", "similar type")

def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()
    except OSError:
        return []

log, sim, rt = read(log_path), read(sim_path), read(rt_path)
def first(pattern):
    return next((l.strip() for l in log if re.search(pattern, l)), None)

names = {0x01: "open", 0x04: "map client event", 0x05: "transmit client event",
         0x07: "add client event to group", 0x09: "set group priority",
         0x0C: "add to data definition", 0x0D: "clear data definition", 0x0E: "request data on object",
         0x0F: "request data on object type", 0x10: "set data on object", 0x17: "subscribe system event",
         0x18: "unsubscribe system event", 0x29: "create AI aircraft", 0x2B: "release AI control",
         0x2C: "remove AI object", 0x2D: "set AI flight plan"}
asked = collections.Counter()
for line in sim:
    m = re.match(r"request 0x([0-9A-Fa-f]+) ", line)
    if m:
        asked[int(m.group(1), 16)] += 1

print("---- summary")
print("airport list:       " + (first(r"^\d+ airports read from ") or "not read"))
print("reference data:     " + (first(r"dbase records from") or "not read") + "; "
      + (first(r'fixes\.xml" read') or "fixes not read"))
print("livery scan:")
for line in log:
    if re.match(r"(\d+ liveries? |No liveries )found in |\d+ in total$", line):
        print("  " + line.strip())
print("livery list:        " + (first(r" liveries in output") or first(r"^No scan done") or "none"))
print("livery indexes:     " + (first(r" registration codes$") or "not built") + "; "
      + (first(r" pax aircraft models and ") or ""))
print("simulator:          " + (first(r" connected\s*$") or "not connected"))
print("RealTraffic:        " + ("connected" if first(r"^RealTraffic connected") else "not connected")
      + (", " + first(r"^RT.* edition:") if first(r"^RT.* edition:") else ", version not read"))
print("datagrams:          " + (first(r"datagrams received") or "none counted"))
print("RealTraffic got:    %d position lines (Qs121=)" % sum(1 for l in rt if l.startswith("Qs121=")))
print("simulator was asked:")
for number, count in sorted(asked.items()):
    print("  %5d x %s" % (count, names.get(number, "request 0x%02X" % number)))
# The simulator stand-in's record: "<t> create <session> <id> <tail> ... <title>" and
# "<t> refused <session> <tail> <title>", tab-separated.
track = [l.split("\t") for l in read(track_path)] if track_path else []
created_titles = collections.Counter(f[9] for f in track if len(f) >= 10 and f[1] == "create")
refused_titles = collections.Counter(f[4] for f in track if len(f) >= 5 and f[1] == "refused")
if track_path:
    print("simulator refused:  %d creation%s%s" % (sum(refused_titles.values()),
          "" if sum(refused_titles.values()) == 1 else "s",
          "".join("\n  %d x %s" % (n, t) for t, n in sorted(refused_titles.items()))))
    beyond = {t: n for t, n in created_titles.items() if not t.isascii()}
    print("non-ASCII titles:   %d created of %d titles" % (sum(beyond.values()), len(created_titles))
          + "".join("\n  %d x %s" % (n, t) for t, n in sorted(beyond.items())))
scan = read(scan_path)
generated = [m.group(1) for m in (re.match(r"Generated (\w+)\.xml: ", l) for l in scan) if m]
linked = [m.group(1) for m in (re.match(r"(?:ORBX airport|thirdparty) (\w+) linked to ", l) for l in scan) if m]
plural = lambda n, word: "%d %s%s" % (n, word, "" if n == 1 else "s")
print("add-on airports:    %d found (%s), %s generated, %s to archived files"
      % (len(set(generated + linked)), ", ".join(sorted(set(generated + linked))) or "none",
         plural(len(generated), "parking file"), plural(len(linked), "link")))
print("AirportsScanLog.txt: " + (scan_path if scan else "not written"))
print("static parking:     " + (first(r"^The park airport is ") or "no park airport") + ", "
      + (first(r"^\d+ positions \(") or first(r"^no parking positions found") or "not calculated"))
steps = []
for n, line in enumerate(log):
    if line.startswith("Matches at step:"):
        steps = [re.match(r"\s*(\d+): (\d+)", l) for l in log[n + 1:n + 1 + len(STEP_NAMES)]]
if steps and all(steps):
    print("livery match:       " + ", ".join("%s %s" % (STEP_NAMES[int(m.group(1)) - 1], m.group(2)) for m in steps))
else:
    print("livery match:       no summary logged")
print("exit:               " + (first(r"^Exiting: ") or "no exit logged")
      + ("" if ended == "yes" else " (the process did not end in time)"))
for line in read(processor_path) if processor_path else []:
    print(line)
print("Log.txt:            " + log_path)
print("screenshot:         " + (screenshot or "none (no window found)"))