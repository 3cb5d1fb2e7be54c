#!/usr/bin/env python3
"""Writes the example survey files in examples/.

Each file is a run of 65-byte records: X, Y and Z as decimal text in
15-byte fields and a 20-byte note in GBK, every field left-justified and
blank-padded. The generator uses a fixed seed, so running it again gives
byte-identical files.

    python3 tools/make_examples.py [output-folder]
"""

import math
import pathlib
import random
import sys

NUMBER_WIDTH = 15
NOTE_WIDTH = 20
SEED = 20261207


def field(text, width):
    data = text.encode("gbk")
    if len(data) > width:
        raise ValueError(f"{text!r} does not fit in {width} bytes")
    return data + b" " * (width - len(data))


def number(value, decimals):
    """Decimal text as a surveyor would type it: no trailing zeros."""
    text = f"{value:.{decimals}f}".rstrip("0").rstrip(".")
    return "0" if text in ("", "-0") else text


def record(x, y, z, note, xy_decimals=1, z_decimals=3):
    return (field(number(x, xy_decimals), NUMBER_WIDTH)
            + field(number(y, xy_decimals), NUMBER_WIDTH)
            + field(number(z, z_decimals), NUMBER_WIDTH)
            + field(note, NOTE_WIDTH))


def hill_and_saddle(x, y):
    """A main hill, a lower second hill and the saddle between them on a
    gentle slope: values from about 100 to 115 over 1000 x 800 metres, so
    that the panel's default interval of 1 draws some fifteen lines."""
    main = 12.4 * math.exp(-((x - 300.0) ** 2 + (y - 480.0) ** 2) / (2 * 170.0 ** 2))
    second = 8.8 * math.exp(-((x - 760.0) ** 2 + (y - 330.0) ** 2) / (2 * 150.0 ** 2))
    slope = 0.0024 * x - 0.0016 * y
    return 101.5 + main + second + slope


def saddle_point():
    """The lowest point on the ridge between the two hill tops."""
    best = None
    for i in range(201):
        t = i / 200.0
        x = 300.0 + t * (760.0 - 300.0)
        y = 480.0 + t * (330.0 - 480.0)
        z = hill_and_saddle(x, y)
        if best is None or z < best[2]:
            best = (x, y, z)
    return best


def spread_points(rng, count, width, height, min_gap, taken):
    """Random points no closer than min_gap to each other or to `taken`."""
    points = list(taken)
    fresh = []
    while len(fresh) < count:
        x, y = rng.uniform(0.0, width), rng.uniform(0.0, height)
        if all((x - px) ** 2 + (y - py) ** 2 >= min_gap ** 2 for px, py in points):
            points.append((x, y))
            fresh.append((x, y))
    return fresh


def hill_and_saddle_file(rng):
    """Sixty points far enough apart, values with one decimal and notes on
    the named places only, so that the labels of the first map a user sees
    stand clear of each other."""
    sx, sy, sz = saddle_point()
    named = [
        (300.0, 480.0, "山顶"),        # summit
        (760.0, 330.0, "次峰"),        # second peak
        (sx, sy, "鞍部"),              # saddle
        (120.0, 90.0, "水井 W1"),      # well
        (880.0, 720.0, "水井 W2"),
        (540.0, 760.0, "三角点"),      # trig point
        (0.0, 0.0, "西南角"),          # south-west corner
        (1000.0, 800.0, "东北角"),     # north-east corner
    ]
    rows = [record(x, y, hill_and_saddle(x, y), note, z_decimals=1) for x, y, note in named]
    others = spread_points(rng, 52, 1000.0, 800.0, 85.0, [(x, y) for x, y, _ in named])
    for x, y in others:
        rows.append(record(x, y, hill_and_saddle(x, y) + rng.uniform(-0.05, 0.05), "", z_decimals=1))
    return rows


def small_six_file():
    points = [
        (0.0, 0.0, 10.5, "A"),
        (100.0, 0.0, 12.25, "B"),
        (100.0, 80.0, 15.0, "C"),
        (0.0, 80.0, 11.75, "D"),
        (50.0, 40.0, 18.125, "中心"),   # centre
        (50.0, 95.0, 13.5, "北"),       # north
    ]
    return [record(x, y, z, note) for x, y, z, note in points]


def utm_grid_file(rng):
    """Sixty points on a jittered 10 x 6 grid at UTM-like coordinates."""
    x0, y0 = 4512000.0, 386000.0
    rows = []
    for i in range(10):
        for j in range(6):
            dx = i * 200.0 + rng.uniform(-40.0, 40.0)
            dy = j * 250.0 + rng.uniform(-50.0, 50.0)
            z = 1250.0 + 80.0 * math.sin(dx / 600.0) * math.cos(dy / 500.0) + 0.02 * dy
            note = ""
            if (i, j) == (0, 0):
                note = "基点 BM1"          # benchmark
            elif (i, j) == (5, 3):
                note = "钻孔 ZK7"          # borehole
            elif (i, j) == (9, 5):
                note = "水井"              # well
            rows.append(record(x0 + dx, y0 + dy, z, note, xy_decimals=2, z_decimals=2))
    return rows


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    out = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else root / "examples"
    out.mkdir(parents=True, exist_ok=True)
    # Each file has a generator of its own, so changing one leaves the
    # others byte for byte as they were.
    files = {
        "hill-and-saddle.D3D": hill_and_saddle_file(random.Random(SEED)),
        "small-six.D3D": small_six_file(),
        "utm-grid.D3D": utm_grid_file(random.Random(SEED + 1)),
    }
    for name, rows in files.items():
        assert all(len(r) == 65 for r in rows)
        (out / name).write_bytes(b"".join(rows))
        print(f"{out / name}: {len(rows)} records")


if __name__ == "__main__":
    main()
