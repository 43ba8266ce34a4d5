#!/usr/bin/python3
"""Peers of ProcessingBench.cpp: what an analyst would do with scipy/numpy on exported data.

The same synthetic record as the benchmark (a constant base of 2000 counts, 100 Gaussian peaks of
height 3000 and sigma 200 items evenly spread, uniform integer noise of +-2, 10 items per second)
is smoothed with scipy.ndimage.uniform_filter1d and median_filter over the span of the program's
window (smoothDotCount x smoothDotStep = 64 items), searched with scipy.signal.find_peaks (bare, and with the distance or prominence that make it
return the 100 peaks), and
every peak is integrated with numpy.trapz over its +-4 sigma stretch above the base.
Prints the best wall and processor times of several runs, in milliseconds, one line per
operation and length.
Usage: processing_scipy.py [REPEATS]
"""
import sys
import time

import numpy as np
from scipy import ndimage, signal

PEAKS, BASE, HEIGHT, SIGMA, FREQUENCY, WINDOW = 100, 2000.0, 3000.0, 200.0, 10.0, 64

# numpy 2 renamed trapz; Debian 12 has the old name.
trapz = getattr(np, "trapezoid", None) or np.trapz


def record(n):
    i = np.arange(n, dtype=np.float64)
    spacing = n / PEAKS
    k = np.floor(i / spacing)
    x = (i - (k + 0.5) * spacing) / SIGMA
    rng = np.random.default_rng(1)
    y = np.rint(BASE + HEIGHT * np.exp(-0.5 * x * x)) + rng.integers(-2, 3, n)
    return y.astype(np.int32)


def best(repeats, fn):
    """Best wall and best processor time of several runs, in milliseconds."""
    result, walls, cpus = None, [], []
    for _ in range(repeats):
        wall, cpu = time.perf_counter(), time.process_time()
        result = fn()
        walls.append(time.perf_counter() - wall)
        cpus.append(time.process_time() - cpu)
    return min(walls) * 1000, min(cpus) * 1000, result


def main():
    repeats = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    for n in (1_000_000, 10_000_000):
        y = record(n)
        yf = y.astype(np.float64)  # what a loaded export gives
        spacing = n / PEAKS
        centres = ((np.arange(PEAKS) + 0.5) * spacing).astype(np.int64)
        half = int(4 * SIGMA)

        def integrate():
            return [trapz(yf[c - half:c + half + 1] - BASE, dx=1 / FREQUENCY) for c in centres]

        rows = [
            ("uniform_filter1d", lambda: ndimage.uniform_filter1d(yf, WINDOW)),
            ("median_filter", lambda: ndimage.median_filter(yf, size=WINDOW)),
            # Bare local maxima above the threshold: thousands of noise tops, not the 100 peaks.
            ("find_peaks_height", lambda: signal.find_peaks(yf, height=BASE + 100)),
            # The calls that do return the 100 peaks.
            ("find_peaks_distance", lambda: signal.find_peaks(yf, height=BASE + 100, distance=int(8 * SIGMA))),
            ("find_peaks_prominence", lambda: signal.find_peaks(yf, height=BASE + 100, prominence=1000,
                                                                distance=int(8 * SIGMA))),
            ("trapz_every_peak", integrate),
        ]
        for name, fn in rows:
            wall, cpu, result = best(repeats if name != "median_filter" else max(1, repeats - 2), fn)
            extra = ""
            if name.startswith("find_peaks"):
                extra = f" peaks={len(result[0])}"
            print(f"{name}/{n} wall {wall:.1f} ms cpu {cpu:.1f} ms{extra}", flush=True)


if __name__ == "__main__":
    main()
