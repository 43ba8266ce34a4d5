#!/usr/bin/python3
"""Peer of BM_LoadAndCalibrate: what an analyst would do with numpy on the same file.

Reads the records of one channel with np.fromfile and converts the temperature readings through a
20-point table with np.interp; prints the best of several runs in milliseconds.
Usage: load_numpy.py FILE.dsc [REPEATS]
"""
import sys
import time

import numpy as np

HEADER = 1432


def load(path, table_x, table_y):
    rec = np.fromfile(path, dtype=[("t", "<i4"), ("dt", "<i4")], offset=HEADER)
    tc = np.interp(rec["t"], table_x, table_y).astype(np.float32)
    dtc = rec["dt"].astype(np.float32)
    return rec, tc, dtc


def main():
    path = sys.argv[1]
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    table_x = np.linspace(0, 1 << 24, 20)
    table_y = table_x * 0.0001 + 20.0
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        load(path, table_x, table_y)
        best = min(best, time.perf_counter() - start)
    print(f"{best * 1000:.1f}")


if __name__ == "__main__":
    main()
