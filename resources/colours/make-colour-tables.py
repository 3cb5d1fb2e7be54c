#!/usr/bin/env python3
"""Writes the level colour tables color0.DAT .. color9.DAT and colorA.DAT.

Each file holds ten 4-byte records, the colours of levels 0 (lowest) to 9
(highest). A record is the colour number red + 256 x green + 65536 x blue
as a little-endian IEEE single. Run it in this folder; README.md lists the
same colours.
"""
import struct


def lerp_ramp(stops, n=10):
    """n colours spaced evenly along straight segments between equally spaced stops."""
    out = []
    for i in range(n):
        x = i / (n - 1) * (len(stops) - 1)
        k = min(int(x), len(stops) - 2)
        f = x - k
        a, b = stops[k], stops[k + 1]
        out.append(tuple(round(a[c] + f * (b[c] - a[c])) for c in range(3)))
    return out


def hexes(text):
    return [tuple(int(h[i:i + 2], 16) for i in (0, 2, 4)) for h in text.split()]


TABLES = {
    # Terrain: low green through yellow-green, tan and brown to grey rock and snow.
    "0": hexes("1a7a3a 3f9b45 7db74f c2cf6a d8c38a b48a5a 8c6239 8f7f73 c8c2bc ffffff"),
    # Grey ramp from near black to white.
    "1": lerp_ramp([(32, 32, 32), (255, 255, 255)]),
    # Perceptually uniform ramps, sampled at ten even steps from 0 to 1.
    "2": hexes("440154 482878 3e4989 31688e 26828e 1f9e89 35b779 6ece58 b5de2b fde725"),  # viridis
    "3": hexes("000004 180f3d 440f76 721f81 9e2f7f cd4071 f1605d fd9668 feca8d fcfdbf"),  # magma
    "4": hexes("000004 1b0c41 4a0c6b 781c6d a52c60 cf4446 ed6925 fb9b06 f7d13d fcffa4"),  # inferno
    "5": hexes("0d0887 46039f 7201a8 9c179e bd3786 d8576b ed7953 fb9f3a fdca26 f0f921"),  # plasma
    "6": hexes("00224e 123570 3b496c 575d6d 707173 8a8779 a69d75 c4b56c e4cf5b fee838"),  # cividis
    "7": hexes("30123b 4662d7 36aaf9 1ae4b6 72fe5e c8ef34 faba39 f66b19 ca2a04 7a0403"),  # turbo
    # Diverging blue - grey - red, for values about a middle.
    "8": lerp_ramp([(59, 76, 192), (221, 221, 221), (180, 4, 38)]),
    # Heat: black through red and yellow to white.
    "9": lerp_ramp([(0, 0, 0), (200, 30, 0), (255, 200, 0), (255, 255, 255)]),
    # Depth: dark blue to near white, for depths and bathymetry.
    "A": lerp_ramp([(8, 48, 107), (66, 146, 198), (247, 251, 255)]),
}


def main():
    for name, colours in TABLES.items():
        assert len(colours) == 10, name
        with open(f"color{name}.DAT", "wb") as f:
            for r, g, b in colours:
                f.write(struct.pack("<f", float(r + 256 * g + 65536 * b)))


if __name__ == "__main__":
    main()
