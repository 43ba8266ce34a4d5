"""The work an analyst would otherwise do with numpy, scipy, matplotlib and pandas (Debian's python3
packages), on the very files kalvero-bench leaves in its folder (KALVERO_BENCH_DIR):

  run<N>.dsc    a heating run, one channel (load, save, rendering, text export)
  peaks<N>.dsc  100 Gaussian peaks (height 3000, sigma 200 items) on a base of 2000 counts with
                +-2 counts of noise, 10 items per second (smoothing, derivative, peaks)
  calib<N>.i32  temperature and dT readings as int32 pairs (calibration)
  import<N>.csv time, temperature and heat flow as comma-separated text under a header (import)

Each function returns the best wall time of a few runs, in milliseconds.
"""
import io
import os
import time

import numpy as np

HEADER = 1432
RECORD = np.dtype([("t", "<i4"), ("dt", "<i4")])
PEAKS, BASE, SIGMA, FREQUENCY = 100, 2000.0, 200.0, 10.0
WINDOW = 64  # the program's smoothing span: smoothDotCount x smoothDotStep
WIDTH, HEIGHT = 1920, 1080

# numpy 2 renamed trapz; Debian 12 has the old name.
trapz = getattr(np, "trapezoid", None) or np.trapz


def best(repeats, fn):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return min(times) * 1000


def records(path):
    return np.fromfile(path, dtype=RECORD, offset=HEADER)


def load_and_calibrate(folder, n, repeats):
    """np.fromfile and the temperature through the same 20-point table (np.interp)."""
    path = os.path.join(folder, f"run{n}.dsc")
    table_x = np.array([(1 << 24) * k / 19.0 for k in range(20)]).astype(np.int32).astype(np.float64)
    table_y = table_x * 0.0001 + 20.0

    def run():
        rec = records(path)
        return np.interp(rec["t"], table_x, table_y).astype(np.float32), rec["dt"].astype(np.float32)

    return best(repeats, run)


def durable(path, write):
    """Writes through a temporary file that is flushed to the disk and renamed into place, the
    folder flushed after the rename: what the program's every save does."""
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        write(f)
        f.flush()
        os.fsync(f.fileno())
    os.replace(tmp, path)
    fd = os.open(os.path.dirname(path), os.O_RDONLY | os.O_DIRECTORY)
    os.fsync(fd)
    os.close(fd)


def save(folder, n, repeats):
    """Header and records written with ndarray.tofile, durably."""
    path = os.path.join(folder, f"run{n}.dsc")
    with open(path, "rb") as f:
        header = f.read(HEADER)
    rec = records(path)
    out = os.path.join(folder, "peer-saved.dsc")

    def write(f):
        f.write(header)
        rec.tofile(f)

    return best(repeats, lambda: durable(out, write))


def peaks_record(folder, n):
    return records(os.path.join(folder, f"peaks{n}.dsc"))["dt"].astype(np.float64)


def average_smooth(folder, n, repeats):
    from scipy import ndimage
    y = peaks_record(folder, n)
    return best(repeats, lambda: ndimage.uniform_filter1d(y, WINDOW))


def median_smooth(folder, n, repeats):
    from scipy import ndimage
    y = peaks_record(folder, n)
    return best(max(1, repeats - 2), lambda: ndimage.median_filter(y, size=WINDOW))


def bezier_smooth(folder, n, repeats):
    """No Bezier smoother in scipy: the Gaussian filter is the nearest kernel smoother."""
    from scipy import ndimage
    y = peaks_record(folder, n)
    return best(repeats, lambda: ndimage.gaussian_filter1d(y, 8))


def derivative(folder, n, repeats):
    """A seven-point least-squares derivative."""
    from scipy import signal
    y = peaks_record(folder, n)
    return best(repeats, lambda: signal.savgol_filter(y, 7, 2, deriv=1, delta=1 / FREQUENCY))


def detect_peaks(folder, n, repeats):
    """find_peaks with the height, distance and prominence that return the 100 peaks; the
    prominence gives each peak its bases, as the program's margins do."""
    from scipy import signal
    y = peaks_record(folder, n)
    found = signal.find_peaks(y, height=BASE + 100, distance=int(8 * SIGMA), prominence=1000)[0]
    if len(found) != PEAKS:
        raise RuntimeError(f"find_peaks returned {len(found)} peaks, not {PEAKS}")
    return best(repeats, lambda: signal.find_peaks(y, height=BASE + 100, distance=int(8 * SIGMA),
                                                   prominence=1000))


def detect_peaks_bare(folder, n, repeats):
    """find_peaks with height and distance only: local maxima, no bases."""
    from scipy import signal
    y = peaks_record(folder, n)
    return best(repeats, lambda: signal.find_peaks(y, height=BASE + 100, distance=int(8 * SIGMA)))


def integrate_peaks(folder, n, repeats):
    """numpy.trapz of every peak over its +-4 sigma stretch above the base."""
    y = peaks_record(folder, n)
    spacing = n / PEAKS
    centres = ((np.arange(PEAKS) + 0.5) * spacing).astype(np.int64)
    half = int(4 * SIGMA)
    return best(repeats, lambda: [trapz(y[c - half:c + half + 1] - BASE, dx=1 / FREQUENCY) for c in centres])


def calibrate(folder, n, repeats):
    """Temperature through the benchmark's 20-point table, dT divided by the sensitivity
    interpolated at that temperature (the dT table's five points)."""
    pairs = np.fromfile(os.path.join(folder, f"calib{n}.i32"), dtype=RECORD)
    x = np.arange(20) / 19.0
    table_x = (x * (1 << 20)).astype(np.int32).astype(np.float64)
    table_y = -150 + 1650 * x + 40 * x * x
    temps = np.array([0, 150, 400, 700, 1100], dtype=np.float64)
    sensitivity = np.array([420, 400, 360, 300, 250], dtype=np.float64) / 2.0

    def run():
        tc = np.interp(pairs["t"], table_x, table_y)
        dtc = pairs["dt"] / np.interp(tc, temps, sensitivity)
        return tc.astype(np.float32), dtc.astype(np.float32)

    return best(repeats, run)


def render_png(folder, n, repeats):
    """The dT curve drawn by matplotlib (Agg) into a PNG of the same size, in memory."""
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    rec = records(os.path.join(folder, f"run{n}.dsc"))
    x = np.arange(len(rec)) / FREQUENCY
    y = rec["dt"]

    def run():
        fig = plt.figure(figsize=(WIDTH / 100, HEIGHT / 100), dpi=100)
        ax = fig.add_subplot(1, 1, 1)
        ax.plot(x, y, linewidth=1)
        ax.grid(True)
        fig.savefig(io.BytesIO(), format="png")
        plt.close(fig)

    return best(max(1, repeats - 1), run)


def export_text(folder, n, repeats):
    """Time, temperature and dT of every item as tab-separated text with numpy.savetxt, durably."""
    rec = records(os.path.join(folder, f"run{n}.dsc"))
    table = np.column_stack([np.arange(len(rec)) / FREQUENCY, rec["t"] * 0.0001 + 20.0, rec["dt"]])
    out = os.path.join(folder, "peer-export.txt")
    return best(max(1, repeats - 2), lambda: durable(out, lambda f: np.savetxt(f, table, fmt="%.1f\t%.2f\t%.2f")))



KINETIC_LEVELS = np.arange(1, 20) * 0.05
GAS = 8.314462618


def kinetic_runs(folder, n):
    """The heating rates (K/min) and, per run, rows of time, temperature, conversion and rate."""
    stem = os.path.join(folder, f"kinetics{n}")
    with open(stem + ".rates") as f:
        rates = np.array([float(line) for line in f if line.strip()])
    runs = [np.fromfile(f"{stem}-{i}.f64", dtype="<f8").reshape(-1, 4) for i in range(len(rates))]
    return rates, runs


def kinetics(folder, n, repeats):
    """The Kinetics plug-in's evaluation with numpy and scipy on the same five runs: level
    crossings by searchsorted and linear interpolation; Friedman, Ozawa-Flynn-Wall (ASTM E1641's
    b from the exact p(x), iterated), KAS and Starink by numpy.polyfit with Student t intervals;
    Vyazovkin's Phi through scipy.special.exp1, minimised by optimize.minimize_scalar, its F-test
    bounds by optimize.brentq; the advanced form with numpy.trapz of exp(-E/RT) over each run's
    stretch; Kissinger from the rate maxima. Each method gives E, low and high in kJ/mol."""
    from scipy import optimize, special, stats
    rates, runs = kinetic_runs(folder, n)
    m = len(rates)
    t95 = stats.t.ppf(0.975, m - 2)

    def p(x):
        return np.exp(-x) / x - special.exp1(x)

    def line(x, y, factor):
        """E, low, high from the slope of y on 1/T, E = -factor * slope."""
        slope, intercept = np.polyfit(x, y, 1)
        residual = y - (slope * x + intercept)
        half = t95 * np.sqrt(np.sum(residual ** 2) / (len(x) - 2) / np.sum((x - x.mean()) ** 2))
        e = -factor * slope / 1000
        return e, e - factor * half / 1000, e + factor * half / 1000

    def crossings(run, levels):
        a = run[:, 2]
        i = np.clip(np.searchsorted(a, levels, side="left"), 1, len(a) - 1)
        w = (levels - a[i - 1]) / (a[i] - a[i - 1])
        return i, run[i - 1, :] + w[:, None] * (run[i, :] - run[i - 1, :])

    def excess(omega):
        d = omega[:, None] - omega[None, :]
        return np.sum(4 * np.sinh(d / 2) ** 2) / 2

    def vyazovkin(omega, guess):
        """Minimum of Phi - n(n-1) over E (J/mol) and where it climbs by the F-test."""
        f = lambda y: excess(omega(np.exp(y)))
        y0 = np.log(guess)
        found = optimize.minimize_scalar(f, bracket=(y0 - 0.05, y0 + 0.05), method="brent", tol=1e-9)
        level = found.fun * (1 + t95 ** 2 / (m - 2))

        def bound(direction):
            if level <= 0:
                return found.x
            step = 1e-4
            while f(found.x + direction * step) < level:
                step *= 2
            return optimize.brentq(lambda y: f(y) - level, found.x, found.x + direction * step, xtol=1e-12)

        return np.exp(found.x) / 1000, np.exp(bound(-1)) / 1000, np.exp(bound(1)) / 1000

    def run_all():
        found = [crossings(run, KINETIC_LEVELS) for run in runs]
        starts = [crossings(run, np.maximum(KINETIC_LEVELS - 0.05, 0)) for run in runs]
        temps = np.array([f[1][:, 1] for f in found])  # [run, level]
        speeds = np.array([f[1][:, 3] for f in found])
        middle = np.argmin(np.abs(rates - (rates.min() + rates.max()) / 2))
        results = {}
        for k in range(len(KINETIC_LEVELS)):
            x = 1 / temps[:, k]
            results[("Friedman", k)] = line(x, np.log(speeds[:, k]), GAS)
            b = 0.457
            for _ in range(100):
                e = -GAS / b * np.polyfit(x, np.log10(rates), 1)[0]
                xc = e / (GAS * temps[middle, k])
                b_next = np.exp(-xc) / (xc * xc * p(xc) * np.log(10))
                settled = abs(b_next - b) <= 1e-12 * b
                b = b_next
                if settled:
                    break
            results[("OFW", k)] = line(x, np.log10(rates), GAS / b)
            results[("KAS", k)] = line(x, np.log(rates / temps[:, k] ** 2), GAS)
            results[("Starink", k)] = line(x, np.log(rates / temps[:, k] ** 1.92), GAS / 1.0008)
            guess = results[("KAS", k)][0] * 1000
            results[("Vyazovkin", k)] = vyazovkin(
                lambda e, k=k: np.log(p(e / (GAS * temps[:, k]))) - np.log(rates), guess)
            stretches = []
            for r, run in enumerate(runs):
                (i0, p0), (i1, p1) = (starts[r][0][k], starts[r][1][k]), (found[r][0][k], found[r][1][k])
                t = np.concatenate(([p0[0]], run[i0:i1, 0], [p1[0]]))
                u = -1 / (GAS * np.concatenate(([p0[1]], run[i0:i1, 1], [p1[1]])))
                stretches.append((t, u))
            results[("advanced Vyazovkin", k)] = vyazovkin(
                lambda e: np.array([np.log(trapz(np.exp(e * u), t)) for t, u in stretches]), guess)
        peaks = np.array([run[np.argmax(run[:, 3]), 1] for run in runs])
        results["Kissinger"] = line(1 / peaks, np.log(rates / peaks ** 2), GAS)
        return results

    for key, (e, low, high) in run_all().items():
        if not (abs(e - 150) < 3 and low <= e <= high):
            raise RuntimeError(f"the peer's {key} gives {e:.2f} kJ/mol [{low:.2f}, {high:.2f}], not 150")
    return best(max(1, repeats - 2), run_all)


def import_csv(folder, n, repeats):
    """pandas.read_csv (its C parser) of the comma-separated export the import benchmark reads."""
    import pandas
    path = os.path.join(folder, f"import{n}.csv")

    def run():
        table = pandas.read_csv(path)
        if len(table) != n:
            raise RuntimeError(f"read_csv returned {len(table)} rows, not {n}")
        return table

    return best(repeats, run)


def cp_runs(folder, n):
    """The blank's, the sapphire's and the sample's rows of time, temperature and heat flow, their
    masses (mg) and the sapphire's table (K, J/(g K))."""
    stem = os.path.join(folder, f"cp{n}")
    with open(stem + ".masses") as f:
        masses = [float(line) for line in f if line.strip()]
    runs = [np.fromfile(f"{stem}-{k}.f64", dtype="<f8").reshape(-1, 3) for k in range(3)]
    table = np.fromfile(os.path.join(folder, "cpSapphire.f64"), dtype="<f8").reshape(-1, 2)
    return runs, masses, table


def heat_capacity(folder, n, repeats):
    """The sapphire ratio method with numpy on the same three runs: each run's heating found from its
    rate over half a minute (a moving mean of the differences by numpy.cumsum) as the longest stretch above
    0.1 K/min, the isotherms before and after it levelled by their second halves and the straight
    line between them subtracted, the rate by numpy.polyfit, the sapphire and the blank brought
    onto the sample's temperatures by numpy.interp, subtracted and divided, the sapphire's cp by
    numpy.interp of its table; the table at ten temperatures by numpy.polyfit over +-1 K."""
    runs, masses, table = cp_runs(folder, n)
    at = np.arange(60, 201, 15.0)

    def prepare(run):
        t, T, y = run[:, 0], run[:, 1], run[:, 2]
        step = (t[-1] - t[0]) / (len(t) - 1)
        half = max(1, int(round(15 / step)))
        sums = np.concatenate(([0.0], np.cumsum(np.diff(T))))
        ahead, behind = np.minimum(np.arange(len(T)) + half, len(T) - 1), np.maximum(np.arange(len(T)) - half, 0)
        slope = (sums[ahead] - sums[behind]) / ((ahead - behind) * step) * 60
        heating = np.concatenate(([False], slope[:-1] > 0.1, [False]))
        edges = np.flatnonzero(np.diff(heating.astype(np.int8)))
        starts, ends = edges[0::2], edges[1::2]
        k = np.argmax(ends - starts)
        a, b = starts[k], min(ends[k], len(t)) - 1
        middle = slice(a + (b - a) // 10, b - (b - a) // 10)
        rate = np.polyfit(t[middle], T[middle], 1)[0] * 60
        before, after = slice(a // 2, a), slice(b + 1 + (len(t) - b - 1) // 2, len(t))
        t0, y0, t1, y1 = t[before].mean(), y[before].mean(), t[after].mean(), y[after].mean()
        line = y0 + (y1 - y0) / (t1 - t0) * (t[a:b + 1] - t0)
        return np.maximum.accumulate(T[a:b + 1]), (y[a:b + 1] - line) / rate

    def run_all():
        (Tb, vb), (Tr, vr), (Ts, vs) = [prepare(r) for r in runs]
        lo, hi = max(Tb[0], Tr[0], Ts[0]), min(Tb[-1], Tr[-1], Ts[-1])
        inside = (Ts >= lo + 0.1 * (hi - lo)) & (Ts <= hi - 0.1 * (hi - lo))
        T = Ts[inside]
        blank = np.interp(T, Tb, vb)
        reference = (np.interp(T, Tr, vr) - blank) / masses[1]
        cp = np.interp(T + 273.15, table[:, 0], table[:, 1]) * (vs[inside] - blank) / masses[2] / reference
        values = []
        for T0 in at:
            near = np.abs(T - T0) <= 1
            fit = np.polyfit(T[near] - T0, cp[near], 1, full=True)
            values.append((fit[0][1], np.sqrt(fit[1][0] / (near.sum() - 2)) if len(fit[1]) else 0.0))
        return np.array(values)

    expected = 1.30 + 3.0e-3 * (at - 100) + 4.0e-6 * (at - 100) ** 2
    found = run_all()[:, 0]
    if not np.all(np.abs(found / expected - 1) < 0.005):
        raise RuntimeError(f"the peer's cp {found} is not the model's {expected}")
    return best(repeats, run_all)
