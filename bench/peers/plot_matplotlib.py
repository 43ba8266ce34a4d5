#!/usr/bin/python3
"""Peer of BM_RenderPng: the same dT curve drawn with matplotlib (Agg) into a PNG of the same size.

Reads channel 0 of the experiment file with numpy, then times figure creation, the line plot and
savefig into memory; prints the best of several runs in milliseconds.
Usage: plot_matplotlib.py FILE.dsc WIDTH HEIGHT [REPEATS]
"""
import io
import sys
import time

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

HEADER = 1432


def render(x, y, width, height):
    fig = plt.figure(figsize=(width / 100, height / 100), dpi=100)
    ax = fig.add_subplot(1, 1, 1)
    ax.plot(x, y, linewidth=1)
    ax.grid(True)
    buf = io.BytesIO()
    fig.savefig(buf, format="png")
    plt.close(fig)
    return buf.getbuffer().nbytes


def main():
    path, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    repeats = int(sys.argv[4]) if len(sys.argv) > 4 else 3
    rec = np.fromfile(path, dtype=[("t", "<i4"), ("dt", "<i4")], offset=HEADER)
    x = np.arange(len(rec)) / 10.0
    y = rec["dt"]
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        render(x, y, width, height)
        best = min(best, time.perf_counter() - start)
    print(f"{best * 1000:.1f}")


if __name__ == "__main__":
    main()
