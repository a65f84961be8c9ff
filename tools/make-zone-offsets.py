#!/usr/bin/env python3
"""Writes check/data/zone-offsets.txt: the UTC offset of every zone Legwise's map can give, from
2000-01-01 00:00 UT to the end of 2050, from the tzdata installed (/usr/share/zoneinfo, read by
Python's zoneinfo).

Usage: tools/make-zone-offsets.py [map file, check/data/zone-map.bin by default]

Each zone is sampled every three hours and every change is bisected to the second. Zones that keep
the same offsets at the same moments share one rule. The daylight flag follows the summer-time view
of the "rearguard" tzdata: where tzdata counts winter as a negative daylight saving (Ireland,
Morocco's Ramadan time, Namibia until 2017), the period with the negative saving is standard time
and the period beside it with the higher offset is daylight time.

File: "tzdata <release>", "range <first> <end>" (UT seconds; the table holds [first, end)), then
for each rule a line "R <type> <type> ..." (offset minutes, "*" after a daylight one; the first is
in force at the start) followed by lines of changes, each a letter naming the type (A is the first)
and the seconds since the previous change (the start, for the first) in base 36; last the zones,
"Z <name> <rule number>".
"""

import pathlib
import re
import subprocess
import sys
from datetime import datetime, timezone
from zoneinfo import ZoneInfo

ROOT = pathlib.Path(__file__).resolve().parent.parent
MAP_FILE = ROOT / "check/data/zone-map.bin"
OUT_FILE = ROOT / "check/data/zone-offsets.txt"
ZONEINFO = pathlib.Path("/usr/share/zoneinfo")
FIRST = int(datetime(2000, 1, 1, tzinfo=timezone.utc).timestamp())
END = int(datetime(2051, 1, 1, tzinfo=timezone.utc).timestamp())
STEP = 3 * 3600
# Zones airlines keep besides those of the map (check/TimeZones.cpp, AirlineZoneAt).
EXTRA_ZONES = ["Asia/Shanghai"]


def tzdata_version():
    """The tzdata release ("2025b") and, on Debian, the package version."""
    release = None
    zi = ZONEINFO / "tzdata.zi"
    if zi.exists():
        match = re.match(r"# version (\S+)", zi.read_text().splitlines()[0])
        release = match and match.group(1)
    if not release and (ZONEINFO / "+VERSION").exists():
        release = (ZONEINFO / "+VERSION").read_text().strip()
    if not release:
        sys.exit("make-zone-offsets: no tzdata version in /usr/share/zoneinfo")
    try:
        package = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "tzdata"], capture_output=True,
                                 text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        package = ""
    return release, package


def map_zones(map_file):
    """The zone names the map's head lists (the text before its "data" line)."""
    lines = map_file.read_bytes().split(b"\ndata\n", 1)[0].decode("ascii").splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith("zones "))
    return lines[start + 1:start + 1 + int(lines[start].split()[1])]


def state(zone, moment):
    """(offset seconds, daylight saving seconds) at a moment."""
    local = datetime.fromtimestamp(moment, zone)
    return int(local.utcoffset().total_seconds()), int(local.dst().total_seconds())


def changes(name):
    """[(moment, offset seconds, saving seconds)]: the state at FIRST, then each change."""
    zone = ZoneInfo(name)
    current = state(zone, FIRST)
    periods = [(FIRST, *current)]
    moment = FIRST
    while moment < END:
        step = min(STEP, END - moment)
        following = state(zone, moment + step)
        if following != current:
            low, high = moment, moment + step  # state(low) == current, state(high) differs
            while high - low > 1:
                middle = (low + high) // 2
                if state(zone, middle) == current:
                    low = middle
                else:
                    high = middle
            current = state(zone, high)
            periods.append((high, *current))
            moment = high
        else:
            moment += step
    return periods


def with_daylight(periods):
    """[(moment, offset minutes, daylight)]; negative savings read as summer time on the other side."""
    result = []
    for i, (moment, offset, saving) in enumerate(periods):
        if offset % 60:
            sys.exit(f"make-zone-offsets: an offset of {offset} s is no whole minute")
        daylight = saving > 0
        if saving == 0:
            for j in (i - 1, i + 1):
                if 0 <= j < len(periods) and periods[j][2] < 0 and offset == periods[j][1] - periods[j][2]:
                    daylight = True
        elif saving < 0:
            daylight = False
        if result and result[-1][1:] == (offset // 60, daylight):
            continue
        result.append((moment, offset // 60, daylight))
    return result


def base36(number):
    digits = "0123456789abcdefghijklmnopqrstuvwxyz"
    text = ""
    while True:
        number, digit = divmod(number, 36)
        text = digits[digit] + text
        if number == 0:
            return text


def rule_lines(periods):
    types = []
    for _, minutes, daylight in periods:
        if (minutes, daylight) not in types:
            types.append((minutes, daylight))
    if len(types) > 26:
        sys.exit("make-zone-offsets: more than 26 offsets in one zone")
    lines = ["R " + " ".join(f"{minutes}{'*' if daylight else ''}" for minutes, daylight in types)]
    tokens, previous = [], FIRST
    for moment, minutes, daylight in periods[1:]:
        tokens.append(chr(ord("A") + types.index((minutes, daylight))) + base36(moment - previous))
        previous = moment
    for i in range(0, len(tokens), 12):
        lines.append(" ".join(tokens[i:i + 12]))
    return lines


def main():
    release, package = tzdata_version()
    map_file = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else MAP_FILE
    zones = sorted(set(map_zones(map_file)) | set(EXTRA_ZONES))
    rules, zone_rules = {}, []
    for name in zones:
        if not (ZONEINFO / name).is_file():
            sys.exit(f"make-zone-offsets: tzdata has no zone {name}")
        lines = tuple(rule_lines(with_daylight(changes(name))))
        zone_rules.append((name, rules.setdefault(lines, len(rules))))
    out = [
        "# UTC offsets of the zones Legwise's map gives, 2000 to 2050, from the IANA time zone database",
        f"# (tzdata {release}{', Debian package ' + package if package else ''}; public domain). Made by "
        "tools/make-zone-offsets.py,",
        "# which describes the format.",
        f"tzdata {release}",
        f"range {FIRST} {END}",
    ]
    for lines in rules:
        out.extend(lines)
    out.extend(f"Z {name} {rule}" for name, rule in zone_rules)
    temporary = OUT_FILE.with_suffix(".new")
    temporary.write_text("\n".join(out) + "\n", encoding="ascii", newline="\n")
    temporary.replace(OUT_FILE)
    print(f"{OUT_FILE.relative_to(ROOT)}: {len(zones)} zones, {len(rules)} rules, "
          f"{OUT_FILE.stat().st_size} bytes, tzdata {release}")


if __name__ == "__main__":
    main()
