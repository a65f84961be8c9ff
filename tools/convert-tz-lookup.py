#!/usr/bin/env python3
"""Turns the time-zone map of npm's @photostructure/tz-lookup into Legwise's own data.

Usage: tools/convert-tz-lookup.py <package .tgz or unpacked folder> [test.js of the same project]

Writes check/data/zone-map.txt (the zone names and the quadtree over the globe) and, given the
project's test.js, tests/core/data/zone-map-points.txt (the positions it tests and the zones it
expects). The package's code is CC0; its map comes from timezone-boundary-builder, data under the
ODbL, (c) OpenStreetMap contributors: check/data/LICENSE-zone-map.txt.

The package's tz.js holds a string X and a list of zone names T. X starts with a grid of 48 x 24
cells (7.5 degrees square, rows from the north), each two characters; then come nodes of 2 x 2
children, also two characters each. A value K = 56 * first + second - 1995 names a zone when
K + len(T) >= 3136 (T[K + len(T) - 3136]); otherwise the cell is split and its children are the
node K + 1 after the node being read (after -1 for the grid).

Our file keeps the same tree with our own encoding: each entry is two characters of the 64
consecutive ASCII characters from '0', value = 64 * first + second. A value below the number of
zones names a zone; any other value v means "split", its children being the node
(v - zones) + 1 after the node being read (after -1 for the grid).
"""

import json
import pathlib
import re
import sys
import tarfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
MAP_FILE = ROOT / "check/data/zone-map.txt"
POINTS_FILE = ROOT / "tests/core/data/zone-map-points.txt"
COLUMNS, ROWS = 48, 24
ALPHABET_START, RADIX = ord("0"), 64


def read_package(source):
    """The package's version and the text of its tz.js."""
    source = pathlib.Path(source)
    if source.is_dir():
        base = source / "package" if (source / "package").is_dir() else source
        return json.loads((base / "package.json").read_text())["version"], (base / "tz.js").read_text()
    with tarfile.open(source) as tar:
        def text(name):
            return tar.extractfile(tar.getmember("package/" + name)).read().decode("utf-8")
        return json.loads(text("package.json"))["version"], text("tz.js")


def parse_tz_js(code):
    """The string X, the zone list T, and a check that the lookup has the shape we port."""
    x = re.search(r'X="([^"]*)"', code)
    t = re.search(r"T=\[([^\]]*)\]", code)
    if not x or not t:
        sys.exit("convert-tz-lookup: tz.js has no X string or T list")
    shape = ["48*(180+W)/360.00000000000006", "24*(90-Y)/180.00000000000003", "K=96*$+2*Z",
             "56*X.charCodeAt(K)+X.charCodeAt(K+1)-1995", "K+T.length<3136", "+2304)", "T[K+T.length-3136]",
             'if(90<=Y)return"Etc/GMT"']
    missing = [piece for piece in shape if piece not in code]
    if missing:
        sys.exit(f"convert-tz-lookup: tz.js is not the lookup this script knows: {missing}")
    return x.group(1), json.loads("[" + t.group(1) + "]")


def package_lookup(x, zones, lat, lon):
    """The package's own lookup, read from its string: the answer our data must reproduce."""
    if not (-90 <= lat <= 90 and -180 <= lon <= 180):
        return ""
    if lat >= 90:
        return "Etc/GMT"
    s = 48 * (180 + lon) / 360.00000000000006
    u = 24 * (90 - lat) / 180.00000000000003
    col, row = int(s), int(u)
    k = 96 * row + 2 * col
    k = 56 * ord(x[k]) + ord(x[k + 1]) - 1995
    v = -1
    while k + len(zones) < 3136:
        v = v + k + 1
        u = (2 * (u - row)) % 2
        row = int(u)
        s = (2 * (s - col)) % 2
        col = int(s)
        k = 8 * v + 4 * row + 2 * col + 2304
        k = 56 * ord(x[k]) + ord(x[k + 1]) - 1995
    return zones[k + len(zones) - 3136]


def convert(x, zones):
    """The entries of the grid and the nodes, in our encoding."""
    limit = 3136 - len(zones)  # values of the package below this split the cell
    ours = []
    for i in range(0, len(x), 2):
        k = 56 * ord(x[i]) + ord(x[i + 1]) - 1995
        value = len(zones) + k if k < limit else k - limit
        if value >= RADIX * RADIX:
            sys.exit(f"convert-tz-lookup: value {value} does not fit two characters")
        ours.append(value)
    return ours


def encode(value):
    return chr(ALPHABET_START + value // RADIX) + chr(ALPHABET_START + value % RADIX)


def our_lookup(entries, zones, lat, lon):
    """The lookup check/TimeZones.cpp does, on our data: to prove the conversion."""
    if not (-90 <= lat <= 90 and -180 <= lon <= 180):
        return ""
    if lat >= 90:
        return "Etc/GMT"
    s = 48 * (180 + lon) / 360.00000000000006
    u = 24 * (90 - lat) / 180.00000000000003
    col, row = int(s), int(u)
    value = entries[row * COLUMNS + col]
    node = -1
    while value >= len(zones):
        node += value - len(zones) + 1
        u = 2 * (u - row)
        row = int(u)
        s = 2 * (s - col)
        col = int(s)
        value = entries[COLUMNS * ROWS + 4 * node + 2 * row + col]
    return zones[value]


def write_map(version, zones, entries):
    grid, nodes = entries[: COLUMNS * ROWS], entries[COLUMNS * ROWS:]
    lines = [
        "# Legwise's map of time zones: the IANA zone of each cell of a quadtree over the globe.",
        f"# Made by tools/convert-tz-lookup.py from npm's @photostructure/tz-lookup {version} (code CC0).",
        "# The zone shapes come from timezone-boundary-builder, data under the Open Database License,",
        "# (c) OpenStreetMap contributors: see LICENSE-zone-map.txt beside this file.",
        "# Entries are two characters of the 64 ASCII characters from '0' (value = 64 * first + second);",
        "# a value below the number of zones names one, any other splits the cell in 2 x 2 children:",
        "# the node (value - zones) + 1 after the node being read (-1 for the grid).",
        f"source @photostructure/tz-lookup {version}",
        f"zones {len(zones)}",
        *zones,
        f"grid {COLUMNS} {ROWS}",
    ]
    for row in range(ROWS):
        lines.append("".join(encode(v) for v in grid[row * COLUMNS:(row + 1) * COLUMNS]))
    lines.append(f"nodes {len(nodes) // 4}")
    per_line = 12 * 4
    for i in range(0, len(nodes), per_line):
        lines.append("".join(encode(v) for v in nodes[i:i + per_line]))
    MAP_FILE.write_text("\n".join(lines) + "\n", encoding="ascii", newline="\n")


# Points where the test file we were given expects another zone than the package release gives,
# because the test file is a little older than the release: the release's answer is kept.
RELEASE_ANSWERS = {
    # Chile's Aysen region became America/Coyhaique in tzdata 2025b, which the release's map has.
    (-46.1385, -72.9657): "America/Coyhaique",
}


def read_test_points(test_js):
    """The positions test.js passes to the lookup with the zone it expects, and the positions it
    expects to be refused."""
    text = pathlib.Path(test_js).read_text(encoding="utf-8")
    number = r'"?(-?\d+(?:\.\d+)?)"?'
    points = []
    for match in re.finditer(r"^\s*\[\[" + number + r",\s*" + number + r'\],\s*"([^"]+)"', text, re.M):
        lat, lon = float(match.group(1)), float(match.group(2))
        points.append((match.group(1), match.group(2), RELEASE_ANSWERS.get((lat, lon), match.group(3))))
    refused = re.search(r"Sanity-check that bad inputs fail\.\s*\[(.*?)\]\.forEach\(fail\)", text, re.S)
    if refused:
        for match in re.finditer(r"^\s*\[(-?\d+(?:\.\d+)?), (-?\d+(?:\.\d+)?)\],", refused.group(1), re.M):
            points.append((match.group(1), match.group(2), "-"))
    if len(points) < 100:
        sys.exit(f"convert-tz-lookup: only {len(points)} test points found in {test_js}")
    return points


def write_points(version, points):
    lines = [
        "# The positions the test file of photostructure/tz-lookup (test.js, CC0) checks, with the zone",
        f"# release {version} gives there; \"-\" marks a position out of range. Made by",
        "# tools/convert-tz-lookup.py, which checks every point against the release's own lookup.",
        *(f"{lat} {lon} {zone}" for lat, lon, zone in points),
    ]
    POINTS_FILE.write_text("\n".join(lines) + "\n", encoding="ascii", newline="\n")


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__.split("\n\n")[1])
    version, code = read_package(sys.argv[1])
    x, zones = parse_tz_js(code)
    if len(x) < 2 * COLUMNS * ROWS or (len(x) - 2 * COLUMNS * ROWS) % 8:
        sys.exit("convert-tz-lookup: the string X has not the length of a grid and whole nodes")
    entries = convert(x, zones)
    probes = [(lat / 4, lon / 4) for lat in range(-360, 361, 3) for lon in range(-720, 721, 3)]
    points = read_test_points(sys.argv[2]) if len(sys.argv) == 3 else []
    probes += [(float(lat), float(lon)) for lat, lon, _ in points]
    for lat, lon in probes:
        if our_lookup(entries, zones, lat, lon) != package_lookup(x, zones, lat, lon):
            sys.exit(f"convert-tz-lookup: our data answers otherwise than the package at {lat} {lon}")
    for lat, lon, zone in points:
        got = package_lookup(x, zones, float(lat), float(lon)) or "-"
        if got != zone:
            sys.exit(f"convert-tz-lookup: the package gives {got} at {lat} {lon}, its test expects {zone}")
    write_map(version, zones, entries)
    print(f"{MAP_FILE.relative_to(ROOT)}: {len(zones)} zones, {len(entries)} entries")
    if points:
        write_points(version, points)
        print(f"{POINTS_FILE.relative_to(ROOT)}: {len(points)} points")


if __name__ == "__main__":
    main()
