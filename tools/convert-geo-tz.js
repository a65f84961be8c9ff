#!/usr/bin/env node
'use strict';
/*
Turns the time-zone boundaries npm's geo-tz 8.1.9 ships as `geo-tz/all` (timezone-boundary-builder,
data under the ODbL, (c) OpenStreetMap contributors) into Legwise's zone map, and proves the result
against geo-tz's own lookup.

Usage (once, with node; the build needs neither node nor python):
    mkdir /tmp/geo-tz && (cd /tmp/geo-tz && npm install geo-tz@8.1.9)
    node tools/convert-geo-tz.js /tmp/geo-tz [--tolerance METRES] [--random N] [--near-edge N]

Steps: it reads geo-tz's quadtree index and the polygons of its cells, simplifies each ring (points
on a cell's border stay, every other point is dropped only while the ring stays within the
tolerance, 50 m by default), splits cells until none holds more than 512 points and none with
polygons is wider than 1.5 degrees, and writes check/data/zone-map.bin. When
check/data/zone-offsets.txt lacks a zone the map names, it runs tools/make-zone-offsets.py for
them all. Then it proves the map: at every position of
tests/core/data/zone-map-points.txt (whose zones it writes again from geo-tz) and at N random
positions on the globe (200,000 by default) the map must give a zone with the same offsets from
2000 to 2050 as geo-tz's first answer, except within 1 km of an edge where geo-tz itself changes to
our answer. Last it measures the agreement at N random positions (200,000 by default) within 20 km
of an edge between zones whose offsets differ. Any difference beyond the rule stops it with status 1, the map file kept
aside as zone-map.bin.rejected.

The file: text lines first ("zones N", the N zone names, "data"), then little-endian binary:
u32 node count, the nodes (four u32 entries each, for the quadrants a: north-east, b: north-west,
c: south-west, d: south-east, as geo-tz orders them), then the cell blobs. An entry's top two bits
tell its kind: 0 a zone (the low bits index the names; 0xffff is the open sea, whose zone follows
the longitude), 1 a node (its index), 2 a cell blob (its offset from the blobs' start). A blob is
numbers in LEB128 (7 bits a byte, low first, the high bit set on all but the last): the zone count;
per zone its name index and ring count; per ring the point count and the points, x then y in steps
of 1/16384 degree east and north of the cell's west and south edges, the first as they are, each
later one as its difference from the one before, zigzag-coded (2n for n >= 0, -2n - 1 below). A
position in an odd number of a zone's rings lies in that zone; the first such zone holds.
*/

const fs = require('fs');
const path = require('path');
const { createRequire } = require('module');
const { spawnSync } = require('child_process');

const ROOT = path.resolve(__dirname, '..');
const MAP_FILE = path.join(ROOT, 'check/data/zone-map.bin');
const OFFSETS_FILE = path.join(ROOT, 'check/data/zone-offsets.txt');
const POINTS_FILE = path.join(ROOT, 'tests/core/data/zone-map-points.txt');
const SEA = 0xffff;
const MAX_POINTS = 512;
const MAX_POLYGON_WIDTH = 1.5; // degrees of longitude
const STEPS_PER_DEGREE = 16384; // 6.8 m of latitude
const KIND_ZONE = 0, KIND_NODE = 1, KIND_CELL = 2;

function fail(message) {
    console.error('convert-geo-tz: ' + message);
    process.exit(1);
}

function parseArguments() {
    const args = process.argv.slice(2);
    const options = { folder: null, tolerance: 50, random: 200000, nearEdge: 200000 };
    for (let i = 0; i < args.length; ++i) {
        if (args[i] === '--tolerance') options.tolerance = Number(args[++i]);
        else if (args[i] === '--random') options.random = Number(args[++i]);
        else if (args[i] === '--near-edge') options.nearEdge = Number(args[++i]);
        else if (!options.folder) options.folder = args[i];
        else fail('unknown argument ' + args[i]);
    }
    if (!options.folder || !(options.tolerance > 0)) fail('usage: convert-geo-tz.js FOLDER [--tolerance METRES] [--random N]');
    return options;
}

// A seeded generator, so that two runs test the same positions.
function generator(seed) {
    return () => {
        seed = (seed + 0x6d2b79f5) | 0;
        let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
        t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
        return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    };
}

// The quadrants of a cell as geo-tz splits it, with its own arithmetic.
function quadrant(bounds, q) {
    const midLat = (bounds.top + bounds.bottom) / 2, midLon = (bounds.left + bounds.right) / 2;
    if (q === 'a') return { top: bounds.top, bottom: midLat, left: midLon, right: bounds.right };
    if (q === 'b') return { top: bounds.top, bottom: midLat, left: bounds.left, right: midLon };
    if (q === 'c') return { top: midLat, bottom: bounds.bottom, left: bounds.left, right: midLon };
    return { top: midLat, bottom: bounds.bottom, left: midLon, right: bounds.right };
}
const WORLD = { top: 89.9999, bottom: -89.9999, left: -179.9999, right: 179.9999 };
// geo-tz's first split uses midpoints 0 and 0, not its bounds' midpoints (which are equal anyway).

// ---- Simplification ------------------------------------------------------------------------

function onBorder(point, b) {
    const e = 2e-6;
    return Math.abs(point[0] - b.left) < e || Math.abs(point[0] - b.right) < e || Math.abs(point[1] - b.top) < e
        || Math.abs(point[1] - b.bottom) < e;
}

// Douglas-Peucker on points[first..last] in metres, marking the points kept.
function simplifyChain(points, first, last, keep, tolerance, scaleX) {
    const stack = [[first, last]];
    while (stack.length) {
        const [a, b] = stack.pop();
        if (b - a < 2) continue;
        const ax = points[a][0] * scaleX, ay = points[a][1] * 110574;
        const bx = points[b][0] * scaleX, by = points[b][1] * 110574;
        const dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
        let farthest = -1, distance = tolerance;
        for (let i = a + 1; i < b; ++i) {
            const px = points[i][0] * scaleX - ax, py = points[i][1] * 110574 - ay;
            let d;
            if (length2 === 0) d = Math.hypot(px, py);
            else {
                const t = Math.max(0, Math.min(1, (px * dx + py * dy) / length2));
                d = Math.hypot(px - t * dx, py - t * dy);
            }
            if (d > distance) { distance = d; farthest = i; }
        }
        if (farthest >= 0) {
            keep[farthest] = true;
            stack.push([a, farthest], [farthest, b]);
        }
    }
}

// A ring (closed, first point repeated) simplified; its points on the cell's border all stay.
function simplifyRing(ring, bounds, tolerance) {
    const n = ring.length - 1;
    if (n < 3) return [];
    const scaleX = 111320 * Math.cos(((bounds.top + bounds.bottom) / 2) * Math.PI / 180);
    const keep = new Array(n + 1).fill(false);
    for (let i = 0; i < n; ++i) keep[i] = onBorder(ring[i], bounds);
    keep[0] = keep[n] = true;
    keep[Math.floor(n / 2)] = true;
    let previous = 0;
    for (let i = 1; i <= n; ++i) {
        if (keep[i]) {
            simplifyChain(ring, previous, i, keep, tolerance, scaleX);
            previous = i;
        }
    }
    const result = [];
    for (let i = 0; i < n; ++i) if (keep[i]) result.push(ring[i]);
    return result.length >= 3 ? result : [];
}

// ---- Splitting -------------------------------------------------------------------------------

// A ring (open) clipped to a cell (Sutherland-Hodgman against its four sides).
function clipRing(ring, b) {
    const sides = [
        [p => p[0] >= b.left, (p, q) => [b.left, p[1] + (q[1] - p[1]) * (b.left - p[0]) / (q[0] - p[0])]],
        [p => p[0] <= b.right, (p, q) => [b.right, p[1] + (q[1] - p[1]) * (b.right - p[0]) / (q[0] - p[0])]],
        [p => p[1] >= b.bottom, (p, q) => [p[0] + (q[0] - p[0]) * (b.bottom - p[1]) / (q[1] - p[1]), b.bottom]],
        [p => p[1] <= b.top, (p, q) => [p[0] + (q[0] - p[0]) * (b.top - p[1]) / (q[1] - p[1]), b.top]],
    ];
    let points = ring;
    for (const [inside, cross] of sides) {
        if (points.length === 0) break;
        const out = [];
        for (let i = 0; i < points.length; ++i) {
            const p = points[i], q = points[(i + 1) % points.length];
            const pIn = inside(p), qIn = inside(q);
            if (pIn) out.push(p);
            if (pIn !== qIn) out.push(cross(p, q));
        }
        points = out;
    }
    return points.length >= 3 ? points : [];
}

// Whether any edge of the rings runs through the inside of the cell (not only along its sides).
function crossesInside(features, b) {
    const side = p => (p[0] <= b.left ? 1 : 0) | (p[0] >= b.right ? 2 : 0) | (p[1] <= b.bottom ? 4 : 0) | (p[1] >= b.top ? 8 : 0);
    for (const feature of features) {
        for (const ring of feature.rings) {
            for (let i = 0; i < ring.length; ++i) {
                const p = ring[i], q = ring[(i + 1) % ring.length];
                if ((side(p) & side(q)) === 0) return true;
            }
        }
    }
    return false;
}

// Even-odd test of a position against the rings of a zone.
function insideRings(rings, lon, lat) {
    let inside = false;
    for (const ring of rings) {
        for (let i = 0, j = ring.length - 1; i < ring.length; j = i++) {
            const [xi, yi] = ring[i], [xj, yj] = ring[j];
            if ((yi > lat) !== (yj > lat) && lon < xi + (lat - yi) * (xj - xi) / (yj - yi)) inside = !inside;
        }
    }
    return inside;
}

function zoneAtCentre(features, b) {
    const lon = (b.left + b.right) / 2, lat = (b.top + b.bottom) / 2;
    for (const feature of features) if (insideRings(feature.rings, lon, lat)) return feature.zone;
    return SEA;
}

function pointCount(features) {
    let count = 0;
    for (const feature of features) for (const ring of feature.rings) count += ring.length;
    return count;
}

// ---- Writing ---------------------------------------------------------------------------------

class MapWriter {
    constructor() {
        this.nodes = []; // arrays of four entries
        this.blobs = [];
        this.blobSize = 0;
        this.stats = { cells: 0, points: 0, uniform: 0 };
    }
    entry(kind, value) {
        return ((kind << 30) | value) >>> 0;
    }
    zoneEntry(zone) {
        return this.entry(KIND_ZONE, zone);
    }
    cellEntry(features, b) {
        const bytes = [];
        const put = value => {
            for (; value >= 128; value = Math.floor(value / 128)) bytes.push(0x80 | (value % 128));
            bytes.push(value);
        };
        const zigzag = value => (value < 0 ? -2 * value - 1 : 2 * value);
        put(features.length);
        for (const feature of features) {
            put(feature.zone);
            put(feature.rings.length);
            for (const ring of feature.rings) {
                put(ring.length);
                let x0 = 0, y0 = 0;
                ring.forEach(([lon, lat], i) => {
                    const x = Math.max(0, Math.round((lon - b.left) * STEPS_PER_DEGREE));
                    const y = Math.max(0, Math.round((lat - b.bottom) * STEPS_PER_DEGREE));
                    if (i === 0) { put(x); put(y); } else { put(zigzag(x - x0)); put(zigzag(y - y0)); }
                    x0 = x;
                    y0 = y;
                });
                this.stats.points += ring.length;
            }
        }
        const blob = Buffer.from(bytes);
        const offset = this.blobSize;
        this.blobs.push(blob);
        this.blobSize += blob.length;
        this.stats.cells++;
        return this.entry(KIND_CELL, offset);
    }
    newNode() {
        this.nodes.push([0, 0, 0, 0]);
        return this.nodes.length - 1;
    }
    bytes(names) {
        const head = Buffer.from(
            ['# Legwise\'s map of time zones, made by tools/convert-geo-tz.js from npm\'s geo-tz 8.1.9',
             '# (timezone-boundary-builder; data (c) OpenStreetMap contributors, under the ODbL: see',
             '# LICENSE-zone-map.txt beside this file). The script describes the format.',
             `zones ${names.length}`, ...names, 'data', ''].join('\n'), 'ascii');
        const nodes = Buffer.alloc(4 + this.nodes.length * 16);
        nodes.writeUInt32LE(this.nodes.length, 0);
        this.nodes.forEach((node, i) => node.forEach((e, k) => nodes.writeUInt32LE(e, 4 + i * 16 + k * 4)));
        return Buffer.concat([head, nodes, ...this.blobs]);
    }
}

// The entry of a cell holding `features` (already clipped to it), split further while it is large.
function cellOrSplit(writer, features, b) {
    features = features.filter(f => f.rings.length > 0);
    if (features.length === 0) return writer.zoneEntry(SEA);
    if (!crossesInside(features, b)) {
        writer.stats.uniform++;
        return writer.zoneEntry(zoneAtCentre(features, b));
    }
    if (pointCount(features) <= MAX_POINTS && b.right - b.left <= MAX_POLYGON_WIDTH)
        return writer.cellEntry(features, b);
    const node = writer.newNode();
    ['a', 'b', 'c', 'd'].forEach((q, k) => {
        const child = quadrant(b, q);
        const clipped = features.map(f => ({ zone: f.zone, rings: f.rings.map(r => clipRing(r, child)).filter(r => r.length) }));
        writer.nodes[node][k] = cellOrSplit(writer, clipped, child);
    });
    return writer.entry(KIND_NODE, node);
}

function buildMap(index, dat, names, geobuf, Pbf, tolerance) {
    const zoneIndex = new Map(names.map((name, i) => [name, i]));
    const writer = new MapWriter();
    const walk = (gtNode, b) => {
        const node = writer.newNode();
        ['a', 'b', 'c', 'd'].forEach((q, k) => {
            const child = quadrant(b, q);
            const data = gtNode[q];
            let entry;
            if (data === undefined) entry = writer.zoneEntry(SEA);
            else if (Array.isArray(data)) entry = writer.zoneEntry(data[0]); // where two zones overlap, the first
            else if (data.pos !== undefined) {
                const collection = geobuf.decode(new Pbf(dat.subarray(data.pos, data.pos + data.len)));
                const features = collection.features.map(f => {
                    const g = f.geometry;
                    const polygons = g.type === 'Polygon' ? [g.coordinates] : g.coordinates;
                    const rings = [];
                    for (const polygon of polygons)
                        for (const ring of polygon) {
                            const simple = simplifyRing(ring, child, tolerance);
                            if (simple.length) rings.push(simple);
                        }
                    const zone = zoneIndex.get(f.properties.tzid);
                    if (zone === undefined) fail('a feature of an unknown zone ' + f.properties.tzid);
                    return { zone, rings };
                });
                entry = cellOrSplit(writer, features, child);
            } else entry = writer.entry(KIND_NODE, walk(data, child));
            writer.nodes[node][k] = entry;
        });
        return node;
    };
    walk(index.lookup, WORLD);
    return writer;
}

// ---- Our lookup, as check/TimeZones.cpp does it, on the written bytes -------------------------

const OCEAN = [];
for (let hours = 12; hours >= -12; --hours) {
    const name = hours === 0 ? 'Etc/GMT' : `Etc/GMT${hours > 0 ? '-' : '+'}${Math.abs(hours)}`;
    OCEAN.push({ name, left: Math.max(-180, hours * 15 - 7.5), right: Math.min(180, hours * 15 + 7.5) });
}
function seaZone(lon) {
    // The easternmost band whose edge the longitude touches: at 7.5 degrees east, Etc/GMT-1.
    if (lon === -180 || lon === 180) return 'Etc/GMT+12';
    for (const band of OCEAN) if (band.left <= lon && band.right >= lon) return band.name;
    return '';
}

function readMap(bytes) {
    const dataAt = bytes.indexOf('\ndata\n') + 6;
    const lines = bytes.subarray(0, dataAt).toString('ascii').split('\n');
    const at = lines.findIndex(l => l.startsWith('zones '));
    const names = lines.slice(at + 1, at + 1 + Number(lines[at].split(' ')[1]));
    const nodeCount = bytes.readUInt32LE(dataAt);
    return { bytes, names, nodesAt: dataAt + 4, blobsAt: dataAt + 4 + nodeCount * 16 };
}

function ourZone(map, lat, lon) {
    if (!(lat >= -90 && lat <= 90 && lon >= -180 && lon <= 180)) return '';
    if (lat === 90) return 'Etc/GMT-12';
    const originalLon = lon;
    lat = Math.max(-89.9999, Math.min(89.9999, lat));
    lon = Math.max(-179.9999, Math.min(179.9999, lon));
    let top = 89.9999, bottom = -89.9999, left = -179.9999, right = 179.9999, midLat = 0, midLon = 0;
    let node = 0;
    for (;;) {
        let k;
        if (lat >= midLat && lon >= midLon) { k = 0; bottom = midLat; left = midLon; }
        else if (lat >= midLat) { k = 1; bottom = midLat; right = midLon; }
        else if (lon < midLon) { k = 2; top = midLat; right = midLon; }
        else { k = 3; top = midLat; left = midLon; }
        const entry = map.bytes.readUInt32LE(map.nodesAt + node * 16 + k * 4);
        const kind = entry >>> 30, value = entry & 0x3fffffff;
        if (kind === KIND_NODE) {
            node = value;
            midLat = (top + bottom) / 2;
            midLon = (left + right) / 2;
            continue;
        }
        let zone = value;
        if (kind === KIND_CELL) {
            zone = SEA;
            const x = (lon - left) * STEPS_PER_DEGREE, y = (lat - bottom) * STEPS_PER_DEGREE;
            let at = map.blobsAt + value;
            const next = () => {
                let number = 0;
                for (let shift = 1; ; shift *= 128) {
                    const byte = map.bytes[at++];
                    number += (byte & 0x7f) * shift;
                    if (byte < 128) return number;
                }
            };
            const signed = () => { const n = next(); return n % 2 ? -(n + 1) / 2 : n / 2; };
            const zones = next();
            for (let z = 0; z < zones; ++z) {
                const name = next(), rings = next();
                let inside = false;
                for (let r = 0; r < rings; ++r) {
                    const n = next();
                    const xs = [next()], ys = [next()];
                    for (let i = 1; i < n; ++i) { xs.push(xs[i - 1] + signed()); ys.push(ys[i - 1] + signed()); }
                    for (let i = 0, j = n - 1; i < n; j = i++) {
                        const xi = xs[i], yi = ys[i], xj = xs[j], yj = ys[j];
                        if ((yi > y) !== (yj > y) && x < xi + (y - yi) * (xj - xi) / (yj - yi)) inside = !inside;
                    }
                }
                if (inside && zone === SEA) zone = name;
            }
        }
        return zone === SEA ? seaZone(originalLon) : map.names[zone];
    }
}

// ---- Offsets -----------------------------------------------------------------------------------

// Zone name -> its rule in zone-offsets.txt: two zones keep the same offsets from 2000 to 2050 exactly
// when they share a rule.
function readRules() {
    const rules = new Map();
    let count = -1;
    for (const line of fs.readFileSync(OFFSETS_FILE, 'ascii').split('\n')) {
        if (line.startsWith('R ')) count++;
        else if (line.startsWith('Z ')) {
            const [, name, rule] = line.split(' ');
            rules.set(name, Number(rule));
        }
    }
    return rules;
}

// ---- Proof -------------------------------------------------------------------------------------

function destination(lat, lon, metres, bearing) {
    const dLat = metres * Math.cos(bearing) / 110574;
    const dLon = metres * Math.sin(bearing) / (111320 * Math.max(0.01, Math.cos(lat * Math.PI / 180)));
    let newLon = lon + dLon;
    if (newLon > 180) newLon -= 360;
    if (newLon < -180) newLon += 360;
    return [Math.max(-90, Math.min(90, lat + dLat)), newLon];
}

function prove(options, geoTz, map, rules, names) {
    const theirs = (lat, lon) => geoTz.find(lat, lon)[0] || '';
    const same = (a, b) => a === b || (rules.has(a) && rules.get(a) === rules.get(b));
    // Within 1 km, does geo-tz itself give a zone with our offsets?
    const edgeNear = (lat, lon, ours) => {
        for (const metres of [100, 250, 500, 750, 1000])
            for (let k = 0; k < 32; ++k) {
                const [la, lo] = destination(lat, lon, metres, k * Math.PI / 16);
                if (same(theirs(la, lo), ours)) return true;
            }
        return false;
    };
    for (const name of names) if (!rules.has(name)) fail(`zone-offsets.txt has no ${name}`);

    // The test points: their zones written again from geo-tz; ours must keep the same offsets.
    const lines = fs.readFileSync(POINTS_FILE, 'ascii').split('\n');
    const out = [];
    let tested = 0;
    for (const line of lines) {
        if (line === '' || line.startsWith('#')) { out.push(line); continue; }
        const [lat, lon] = line.split(' ');
        const zone = /^-?[0-9.]+$/.test(lat) && /^-?[0-9.]+$/.test(lon) && Math.abs(lat) <= 90 && Math.abs(lon) <= 180
            ? theirs(Number(lat), Number(lon)) : '';
        const ours = ourZone(map, Number(lat), Number(lon));
        if (!same(ours, zone)) fail(`at test point ${lat} ${lon} geo-tz gives ${zone || '-'}, our map ${ours || '-'}`);
        out.push(`${lat} ${lon} ${zone || '-'}`);
        tested++;
    }
    const pointsText = out.join('\n');
    console.log(`${tested} test points: the same offsets as geo-tz`);

    const random = generator(20261207);
    let differ = 0;
    for (let i = 0; i < options.random; ++i) {
        const lat = Math.asin(2 * random() - 1) * 180 / Math.PI, lon = random() * 360 - 180;
        const ours = ourZone(map, lat, lon), zone = theirs(lat, lon);
        if (same(ours, zone)) continue;
        differ++;
        if (!edgeNear(lat, lon, ours))
            fail(`at ${lat.toFixed(6)} ${lon.toFixed(6)} geo-tz gives ${zone}, our map ${ours}, and no edge is within 1 km`);
    }
    console.log(`${options.random} random points: ${differ} differ in offsets, each within 1 km of an edge`);
    return pointsText;
}

// Agreement at random positions within 20 km of an edge between zones whose offsets differ.
function nearEdgeAgreement(options, geoTz, map, rules, index, dat, geobuf, Pbf) {
    const theirs = (lat, lon) => geoTz.find(lat, lon)[0] || '';
    const same = (a, b) => a === b || (rules.has(a) && rules.get(a) === rules.get(b));
    // Every edge of geo-tz's rings that is not a cell's side, with its length for weighting.
    const edges = [];
    let total = 0;
    const walk = (node, b) => {
        for (const q of ['a', 'b', 'c', 'd']) {
            const child = quadrant(b, q), data = node[q];
            if (data === undefined || Array.isArray(data)) continue;
            if (data.pos === undefined) { walk(data, child); continue; }
            const collection = geobuf.decode(new Pbf(dat.subarray(data.pos, data.pos + data.len)));
            for (const f of collection.features) {
                const polygons = f.geometry.type === 'Polygon' ? [f.geometry.coordinates] : f.geometry.coordinates;
                for (const polygon of polygons)
                    for (const ring of polygon)
                        for (let i = 0; i + 1 < ring.length; ++i) {
                            const p = ring[i], r = ring[i + 1];
                            if (onBorder(p, child) && onBorder(r, child)) continue;
                            const length = Math.hypot((r[0] - p[0]) * Math.cos(p[1] * Math.PI / 180), r[1] - p[1]);
                            total += length;
                            edges.push(total, p[0], p[1], r[0], r[1]);
                        }
            }
        }
    };
    walk(index.lookup, WORLD);
    const random = generator(7);
    let tried = 0, agreed = 0;
    const count = edges.length / 5;
    while (tried < options.nearEdge) {
        const target = random() * total;
        let low = 0, high = count - 1;
        while (low < high) {
            const middle = (low + high) >> 1;
            if (edges[middle * 5] < target) low = middle + 1; else high = middle;
        }
        const [x1, y1, x2, y2] = edges.slice(low * 5 + 1, low * 5 + 5);
        const t = random();
        const lat = y1 + t * (y2 - y1), lon = x1 + t * (x2 - x1);
        // An edge between differing offsets: geo-tz's zones 30 m either side of it differ.
        const normal = Math.atan2((x2 - x1) * Math.cos(lat * Math.PI / 180), y2 - y1) + Math.PI / 2;
        const [la1, lo1] = destination(lat, lon, 30, normal), [la2, lo2] = destination(lat, lon, -30, normal);
        if (same(theirs(la1, lo1), theirs(la2, lo2))) continue;
        const [pla, plo] = destination(lat, lon, 20000 * Math.sqrt(random()), random() * 2 * Math.PI);
        tried++;
        if (same(ourZone(map, pla, plo), theirs(pla, plo))) agreed++;
    }
    return { tried, agreed };
}

function main() {
    const options = parseArguments();
    const started = Date.now();
    const packageFolder = path.join(path.resolve(options.folder), 'node_modules', 'geo-tz');
    const version = JSON.parse(fs.readFileSync(path.join(packageFolder, 'package.json'))).version;
    if (version !== '8.1.9') fail(`geo-tz ${version} found, this script reads 8.1.9`);
    const requireThere = createRequire(path.join(packageFolder, 'package.json'));
    const geobuf = requireThere('geobuf');
    const Pbf = requireThere('pbf');
    const geoTz = requireThere(path.join(packageFolder, 'dist/find-all.js'));
    geoTz.preCache();
    const index = JSON.parse(fs.readFileSync(path.join(packageFolder, 'data/timezones.geojson.index.json')));
    const dat = fs.readFileSync(path.join(packageFolder, 'data/timezones.geojson.geo.dat'));

    const names = [...index.timezones, ...OCEAN.map(band => band.name).filter(n => !index.timezones.includes(n))];
    const writer = buildMap(index, dat, names, geobuf, Pbf, options.tolerance);
    const bytes = writer.bytes(names);
    const temporary = MAP_FILE + '.new';
    fs.writeFileSync(temporary, bytes);
    // A map that fails its proof is kept aside, never in place of the last good one.
    process.on('exit', code => {
        if (code !== 0 && fs.existsSync(temporary)) fs.renameSync(temporary, MAP_FILE + '.rejected');
    });
    console.log(`map: ${names.length} zones, ${writer.nodes.length} nodes, ${writer.stats.cells} cells with ` +
        `${writer.stats.points} points, ${bytes.length} bytes (tolerance ${options.tolerance} m), ` +
        `${((Date.now() - started) / 1000).toFixed(1)} s`);

    // The offsets of the zones the new map names, made again when the table lacks one.
    let rules = fs.existsSync(OFFSETS_FILE) ? readRules() : new Map();
    if (!names.every(name => rules.has(name))) {
        const made = spawnSync('python3', [path.join(ROOT, 'tools/make-zone-offsets.py'), temporary], { stdio: 'inherit' });
        if (made.status !== 0) fail('tools/make-zone-offsets.py failed');
        rules = readRules();
    }
    const map = readMap(bytes);
    const pointsText = prove(options, geoTz, map, rules, names);
    if (options.nearEdge > 0) {
        const { tried, agreed } = nearEdgeAgreement(options, geoTz, map, rules, index, dat, geobuf, Pbf);
        console.log(`within 20 km of an edge between differing offsets: ${agreed} of ${tried} agree ` +
            `(${(100 * agreed / tried).toFixed(3)} %)`);
    }
    fs.writeFileSync(POINTS_FILE + '.new', pointsText);
    fs.renameSync(POINTS_FILE + '.new', POINTS_FILE);
    fs.renameSync(temporary, MAP_FILE);
    console.log(`done in ${((Date.now() - started) / 1000).toFixed(1)} s`);
}

// Run as a script it converts; required, it lends its reading of the map to a cross-check.
if (require.main === module) main();
else module.exports = { readMap, ourZone };
