#!/usr/bin/env python3
"""Gathers the FIGURE lines of the benchmark programs' output into one table.

    table.py LOG [LOG ...]

Each figure shows its median, its spread (smallest to largest of n measurements) and
its target; the notes under the table say how each was measured.
"""
import json
import sys


def number(value, unit):
    if unit in ("us", "ms", "MB") or unit.startswith("%"):
        return f"{value:.2f}" if abs(value) < 10 else f"{value:.1f}"
    if unit == "games/s":
        return f"{value:.0f}"
    return f"{value:g}"


def main(paths):
    figures = []
    for path in paths:
        with open(path, encoding="utf-8", errors="replace") as log:
            for line in log:
                # A program's own output may leave a terminal code in front of the record.
                at = line.find("FIGURE {")
                if at >= 0:
                    figures.append(json.loads(line[at + len("FIGURE "):]))
    # A figure measured once in each of several processes (the stall) comes out as one.
    merged = {}
    for f in figures:
        if f["id"] in merged:
            kept = merged[f["id"]]
            kept.setdefault("values", [kept["median"]]).append(f["median"])
        else:
            merged[f["id"]] = dict(f)
    figures = list(merged.values())
    for f in figures:
        if "values" in f:
            values = sorted(f.pop("values"))
            middle = len(values) // 2
            f["median"] = values[middle] if len(values) % 2 else (values[middle - 1] + values[middle]) / 2
            f["min"], f["max"], f["n"] = values[0], values[-1], len(values)
            f["note"] = f"{len(values)} runs, each in a process of its own; the first: " + f.get("note", "")
    rows = [("#", "figure", "median", "spread (n)", "target", "met")]
    notes = []
    missed = 0
    for i, f in enumerate(figures, 1):
        unit = f["unit"]
        median = number(f["median"], unit) + " " + unit
        spread = f"{number(f['min'], unit)}–{number(f['max'], unit)} ({f['n']})" if f["n"] > 1 else f"({f['n']})"
        if f["n"] == 0:
            median, spread = "not measured", "(0)"
        if "limit" in f:
            lower = f.get("better") == "lower"
            target = ("≤ " if lower else "≥ ") + number(f["limit"], unit) + " " + unit
            met = f["n"] > 0 and (f["median"] <= f["limit"] if lower else f["median"] >= f["limit"])
            verdict = "yes" if met else "NO"
            missed += not met
        else:
            target, verdict = "—", ""
        rows.append((str(i), f["what"], median, spread, target, verdict))
        if f.get("note"):
            notes.append(f"[{i}] {f['note']}")
    widths = [max(len(r[c]) for r in rows) for c in range(len(rows[0]))]
    def line(r):
        return "| " + " | ".join(r[c].ljust(widths[c]) for c in range(len(r))) + " |"
    print(line(rows[0]))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows[1:]:
        print(line(r))
    print()
    for n in notes:
        print(n)
    print()
    print(f"{len(figures)} figures, {missed} missing their target.")


if __name__ == "__main__":
    main(sys.argv[1:])
