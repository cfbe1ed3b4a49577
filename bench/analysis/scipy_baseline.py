#!/usr/bin/python3
"""SciPy and NumPy baselines for the analysis benchmarks.

Called by the benchmark program with a case name and the data file it wrote
(raw float64 arrays, see below); prints the median of a few timed runs in
seconds. Only the computation is timed, not the interpreter start or the
loading of the data.

  akima  FILE  x[n] y[n] samples[2000]   argsort + Akima1DInterpolator + 2000 evaluations
  spline FILE  factor x[n] y[n] w[n]     make_smoothing_spline(lam = 1/factor)
  poly5  FILE  x[n] y[n]                 numpy.polyfit(x, y, 5)
  line   FILE  x[n] y[n]                 numpy.polyfit(x, y, 1)
  simplex FILE passes x[n] y[n] a b c    Nelder-Mead on A*exp(-B*x)+C, at most `passes` iterations
                                         (prints the time and the number of model evaluations)
"""
import sys
import time

import numpy as np


def median_of(runs, fn):
    times = []
    for _ in range(runs):
        t = time.perf_counter()
        fn()
        times.append(time.perf_counter() - t)
    return sorted(times)[len(times) // 2]


def main():
    case, path = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    data = np.fromfile(path, dtype=np.float64)
    if case == "akima":
        from scipy.interpolate import Akima1DInterpolator
        n = (data.size - 2000) // 2
        x, y, xs = data[:n], data[n:2 * n], data[2 * n:]

        def run():
            order = np.argsort(x, kind="quicksort")
            Akima1DInterpolator(x[order], y[order])(xs)
        print(median_of(runs, run))
    elif case == "spline":
        from scipy.interpolate import make_smoothing_spline
        factor = data[0]
        n = (data.size - 1) // 3
        x, y, w = data[1:1 + n], data[1 + n:1 + 2 * n], data[1 + 2 * n:]
        print(median_of(runs, lambda: make_smoothing_spline(x, y, w=w, lam=1.0 / factor)))
    elif case in ("poly5", "line"):
        n = data.size // 2
        x, y = data[:n], data[n:]
        degree = 5 if case == "poly5" else 1
        print(median_of(runs, lambda: np.polyfit(x, y, degree)))
    elif case == "simplex":
        from scipy.optimize import minimize
        passes = int(data[0])
        n = (data.size - 4) // 2
        x, y, start = data[1:1 + n], data[1 + n:1 + 2 * n], data[1 + 2 * n:]

        def chi(p):
            d = y - (p[0] * np.exp(-p[1] * x) + p[2])
            return np.dot(d, d)
        result = []

        def run():
            result[:] = [minimize(chi, start, method="Nelder-Mead",
                                  options={"maxiter": passes, "xatol": 0.0, "fatol": 0.0})]
        seconds = median_of(runs, run)
        # The time, then the number of evaluations of the model.
        print(seconds, result[0].nfev)
    else:
        raise SystemExit("unknown case " + case)


if __name__ == "__main__":
    main()
