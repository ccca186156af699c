#!/usr/bin/env python3
"""The watcher's figures of the whole-recordings replay, per recording, QNH and user, side by side.

  replayfigures.py DIR [DIR ...]

DIR is a folder that the test Recordings.WholeRecordingsShowNoLurchAndNoSwing wrote with
TARNWICK_REPLAY_OUT (a Windows path of it): a subfolder per replay (<recording>-<qnh> with the
user parked, <recording>-air-<qnh> with the user in the air), each with the records sent, the AI
track, the log, world.txt and stands.txt. Each replay's figures are made by runfigures.py (kept as
figures.json and summary.txt there) and printed beside the goals; with several folders, each
figure reads first -> second -> ... (before and after a change, say).
"""
import concurrent.futures
import json
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
# (key in runfigures.py's JSON, name, goal)
ROWS = [
    ("absences", "absences", "at most 1"),
    ("longest absence s", "longest absence s", "under 2"),
    ("recreated", "made again", "0"),
    ("lurches episodes", "lurches", "0"),
    ("swings episodes", "swings", "0"),
    ("balloons episodes", "balloons", "0"),
    ("underground episodes", "below the ground", "0"),
    ("take-offs where the reports taxi", "take-offs where reports taxi", "0"),
    ("heading off course %", "heading off %", "under 2"),
    ("speed off in the air %", "speed off in the air %", "under 3"),
    ("standing still episodes", "standing still", "0"),
    ("roaming episodes", "roaming while standing", "0"),
    ("against heading episodes", "against the heading", "0"),
    ("fidelity air p95 m", "fidelity air p95 m", ""),
    ("in the air p95 m", "in the air p95 m", ""),
    ("in the air beyond 15 s %", "beyond 15 s %", "under 1"),
    ("take-off p95 m", "take-off p95 m", "under 300"),
    ("touch-downs off", "touch-downs off", "0"),
]


def figures(replay):
    """runfigures.py's figures of one replay folder (made once, then read)."""
    out = os.path.join(replay, "figures.json")
    if not os.path.exists(out):
        with open(os.path.join(replay, "world.txt"), encoding="utf-8") as f:
            world = dict(line.split(None, 1) for line in f if line.strip())
        with open(os.path.join(replay, "summary.txt"), "w", encoding="utf-8") as summary:
            subprocess.run([sys.executable, os.path.join(HERE, "runfigures.py"), "--sent", os.path.join(replay, "sent.txt"),
                            "--sim", os.path.join(replay, "aitrack.txt"), "--world", os.path.join(replay, "world.txt"),
                            "--radius", world["radius"].strip(), "--log", os.path.join(replay, "Log.txt"),
                            "--json", out], stdout=summary, check=True)
    with open(out, encoding="utf-8") as f:
        return json.load(f)


def shown(value):
    if value is None:
        return "-"
    return f"{value:.1f}" if isinstance(value, float) else str(value)


def main(folders):
    replays = sorted({name for folder in folders for name in os.listdir(folder)
                      if os.path.exists(os.path.join(folder, name, "world.txt"))})
    paths = [os.path.join(folder, name) for name in replays for folder in folders]
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
        made = dict(zip(paths, pool.map(lambda p: figures(p) if os.path.exists(os.path.join(p, "world.txt")) else {},
                                        paths)))
    width = max(len(name) for _, name, _ in ROWS)
    cells = {name: [" -> ".join(shown(made[os.path.join(folder, name)].get(key)) for folder in folders)
                    for key, _, _ in ROWS] for name in replays}
    columns = [max(len(name), *(len(c) for c in cells[name])) for name in replays]
    print(f"{'':{width}}  " + "  ".join(f"{name:>{w}}" for name, w in zip(replays, columns)) + "  goal")
    for k, (_, label, goal) in enumerate(ROWS):
        print(f"{label:{width}}  " + "  ".join(f"{cells[name][k]:>{w}}" for name, w in zip(replays, columns)) + f"  {goal}")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    main(sys.argv[1:])
