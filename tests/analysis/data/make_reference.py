#!/usr/bin/python3
"""Writes the reference curves the piecewise-cubic tests compare against.

The values come from SciPy's own implementations (Akima1DInterpolator,
make_smoothing_spline, CubicSpline), which compute the same curves by other
means (B-spline bases and their own slope code). Run it again (with the Debian python3 that has SciPy) only when the
data sets below change:  python3 make_reference.py  (in this folder).
"""
import numpy as np
from scipy.interpolate import Akima1DInterpolator, CubicSpline, make_smoothing_spline


def write(name, sets):
    with open(name, "w") as f:
        for title, rows in sets:
            f.write("# %s\n" % title)
            for row in rows:
                f.write(" ".join(repr(float(v)) for v in row) + "\n")


rng = np.random.default_rng(20261210)

# Akima: 40 knots at uneven spacing, a smooth signal with noise; the data go
# to the engine in shuffled order.
x = np.sort(rng.uniform(0.0, 20.0, 40))
y = np.sin(x / 2.0) * 3.0 + rng.normal(0.0, 0.3, 40)
order = rng.permutation(40)
akima = Akima1DInterpolator(x, y)
xs = np.linspace(x[0], x[-1], 401)
write("akima_reference.txt", [
    ("data x y (shuffled)", zip(x[order], y[order])),
    ("samples x f f' f''", zip(xs, akima(xs), akima(xs, 1), akima(xs, 2))),
])

# Smoothing spline: 60 knots, weights 0.5 .. 2, WeightFactor 3, so the
# objective is sum w*WF*(y - g)^2 + integral g''^2, i.e. lam = 1/WF with
# weights w.
x = np.sort(rng.uniform(-5.0, 5.0, 60))
y = x ** 3 / 10.0 - x + rng.normal(0.0, 0.5, 60)
w = rng.uniform(0.5, 2.0, 60)
factor = 3.0
spline = make_smoothing_spline(x, y, w=w, lam=1.0 / factor)
xs = np.linspace(x[0], x[-1], 401)
order = rng.permutation(60)
# A very large factor: the natural interpolating cubic spline.
natural = CubicSpline(x, y, bc_type="natural")
write("spline_reference.txt", [
    ("data x y w (shuffled)", zip(x[order], y[order], w[order])),
    ("factor", [(factor,)]),
    ("samples x g g' natural", zip(xs, spline(xs), spline(xs, 1), natural(xs))),
])
