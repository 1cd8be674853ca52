#!/usr/bin/python3
"""Choice 2 of the alpha menu (alpha 0 to 90) as a user would write it with
numpy: the FF Table's 65,341 gains, the cell gains, then for each alpha its
Matrix file, the gather and the two zone sums, and the row's figures.

Usage: choice2_numpy.py FFTAB [FOLDER] [T_SKY] [T_EARTH]
FOLDER holds the 91 Matrix files (default: the current folder).
"""
import os
import sys

import numpy as np

POINTS = 65341
DEG = np.pi / 180.0


def read_ff_table(name):
    """Tot_dB by point index (element 0 unused), characters 26-35 of each
    data line, a comma in character 33 read as a decimal point."""
    with open(name, "rb") as f:
        lines = f.read().splitlines()
    tot = np.zeros(POINTS + 1)
    line = 9
    for theta in range(180, -1, -1):
        line += 3
        block = lines[line:line + 361]
        line += 361
        values = [float(l[25:35].replace(b",", b".") or 0) for l in block]
        tot[np.arange(361) * 181 + theta + 1] = values
    return tot


POW10 = 10 ** np.arange(8, -1, -1, dtype=np.int64)


def read_matrix(path):
    """Source point of each of the 65,341 records: characters 14-22 of each
    line, digits with blanks in front (a blank's low four bits are 0)."""
    raw = np.fromfile(path, dtype=np.uint8)
    ends = np.flatnonzero(raw == 10)[:POINTS]
    width = int(ends[0]) + 1
    if ends.size == POINTS and ends[-1] == width * POINTS - 1 and (raw[width - 1::width][:POINTS] == 10).all():
        chars = raw[:width * POINTS].reshape(POINTS, width)[:, 13:22]
    else:
        starts = np.concatenate(([0], ends[:-1] + 1))
        chars = raw[starts[:, None] + np.arange(13, 22)]
    return (chars & 15) @ POW10


def zone(rot, s, first, last):
    """Trapezoid rule over theta first..last and phi 0..360."""
    g = rot[1:].reshape(361, 181)[:, first:last + 1] * s[first:last + 1]
    g[:, 0] *= 0.5
    g[:, -1] *= 0.5
    phi_sums = g.sum(axis=1)
    phi_sums[0] *= 0.5
    phi_sums[-1] *= 0.5
    return phi_sums.sum()


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    folder = sys.argv[2] if len(sys.argv) > 2 else "."
    t_sky = float(sys.argv[3]) if len(sys.argv) > 3 else 20.0
    t_earth = float(sys.argv[4]) if len(sys.argv) > 4 else 290.0

    tot = read_ff_table(sys.argv[1])
    cell = 10.0 ** (tot / 10.0) * DEG ** 2
    cell[0] = 0.0
    max_gain = tot[1:].max()
    s = np.sin(np.arange(181) * DEG)

    def row(alpha):
        name = "FFstep1_phi2_theta2_basic_%02d_V2-0.txt" % alpha
        rot = np.zeros(POINTS + 1)
        rot[1:] = cell[read_matrix(os.path.join(folder, name))]
        return zone(rot, s, 0, 90), zone(rot, s, 90, 180)

    sky0, earth0 = row(0)
    avg_gain = (sky0 + earth0) / (4 * np.pi)
    lossless = avg_gain > 0.999
    for alpha in range(91):
        sky, earth = row(alpha)
        t_pattern = (sky * t_sky + earth * t_earth) / (sky + earth)
        t_total = t_pattern if lossless else (t_pattern - 290) * avg_gain + 290
        g_t = max_gain - 10 * np.log10(t_total)
        print("%3d %9.3f %9.3f %9.3f %9.3f" % (alpha, t_pattern, 0 if lossless else (1 / avg_gain - 1) * 290,
                                             t_total, g_t))


if __name__ == "__main__":
    main()
