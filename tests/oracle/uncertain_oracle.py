#!/usr/bin/python3
"""A slow, independent oracle for Feldman-Cousins limits of one count
n ~ Poisson(e s + c), with the efficiency e and the background c known only
through their pdfs (a Gaussian truncated at 0, or a lognormal, of the given
mean and sigma; sigma = 0 means known exactly).

It computes what limits/uncertain_limits.h computes, by different means:

- q(n | s).  The library integrates Pois(n | e s + c) over both parameters
  at once with fixed Gauss-Legendre panels.  Here the count is split into its
  two independent parts, n = j + k with j ~ Poisson(e s) and
  k ~ Poisson(c), so the double integral is exactly a finite convolution of
  two single mixtures,
      q(n | s) = sum_{j=0..n} A_j(s) B_{n-j},
      A_j(s) = Int Pois(j | e s) f(e) de,   B_k = Int Pois(k | c) g(c) dc,
  each mixture by scipy's adaptive quad (QUADPACK, epsrel 1e-12) over the
  stretch where the integrand is above e^-80 of its peak, with `points` at
  the peak and one, three and six widths from it.  The integrand is
  log-concave in the integration variable (x for the Gaussian, log x for the
  lognormal), so it has one peak and that stretch is one interval.  B is the
  same at every s, so an uncertain background costs almost nothing per s.
- The ranking denominators.  conrad: the largest q(n | s), from a grid over
  s and a bounded Brent search around the grid's best point (q is flat
  there, so its value is good to rounding).  profile: the largest of
  Pois(n | max(n, c)) g(c) / g(b) over c, a concave function (of log c for
  the lognormal) maximised by a bounded Brent search.
- The limits.  The library scans s in steps of w / 20, w being the Poisson
  width sqrt(eps s + b + 1) / eps, and again in steps of w / 200 from two
  steps below to two above each limit.  Here a coarse look in steps of
  w / 10, from 0 up to 1.5 times the last signal whose region holds n plus
  five widths, finds every change of "the region holds n"; around each
  change, from half a width below to half a width above, a fine look in
  steps of w / 400; every change found is bisected to 1e-10 max(1, s), and
  the limit is the bracket end whose region holds n.

Accuracy: every mixture to 1e-12 of itself (QUADPACK's error estimates stay
below that, with no absolute floor, so small terms keep their relative
accuracy; the counts sum to 1 within 1e-14); counts below 1e-16 are not
ranked, holding well under 1e-13 together.  So each limit is the belt's
edge to 1e-10 max(1, s), plus the far smaller shift that q's error gives an
edge.  A gap or island of the belt narrower than a step (w / 400 near a
change, w / 10 elsewhere) or beyond the scanned stretch can be missed.
--self-check compares the convolution with the plain double integral
(nested quad) for the rows with both parameters uncertain: they agree to
about 1e-14.

Cost: under a second per row with a known efficiency, seconds to about two
minutes with an uncertain one (every A_j at every s is a quad); the whole
table takes about eight minutes of one core.  Every loop is bounded: each
names its cap.

Usage: uncertain_oracle.py [-o FILE] [--rows 0,3,...] [--self-check]
(writes the table of requests and limits; timings go to stderr).
"""

import argparse
import math
import os
import sys
import time

import numpy as np
from scipy import integrate, optimize, special

QUAD_EPSABS = 1e-300  # no absolute floor: every mixture to epsrel of itself
QUAD_EPSREL = 1e-12
QUAD_LIMIT = 400  # subintervals per quad
SUPPORT_SIGMAS = 14.0  # a pdf's stretch, in its sigmas: outside holds < 1e-44
CUT_BELOW_PEAK = 80.0  # the integrand is integrated where above e^-80 of its peak
TAIL = 1e-18  # a mixture's terms stop past its mean once below this
RANK_CUT = 1e-16  # counts below this are not ranked (nor summed)
MAX_COUNTS = 100_000  # cap on the counts of one mixture
COARSE_STEP = 0.1  # in widths
FINE_STEP = 1.0 / 400.0  # in widths
FINE_BAND = 0.5  # in widths, each side of a change
MAX_SCAN_STEPS = 200_000
BISECTION_WIDTH = 1e-10  # relative to max(1, s)
MAX_HALVINGS = 200


class TruncatedGauss:
    """Gaussian of the given mean and sigma, cut at 0 and renormalised; the
    integration variable v is x itself."""

    def __init__(self, mean, sigma):
        self.mean, self.sigma = mean, sigma
        self.log_norm = -math.log(sigma * math.sqrt(2.0 * math.pi) * special.ndtr(mean / sigma))
        self.lo = max(0.0, mean - SUPPORT_SIGMAS * sigma)
        self.hi = mean + SUPPORT_SIGMAS * sigma
        # Mean of the truncated pdf: where a mixture's terms peak, roughly.
        z = mean / sigma
        self.average = mean + sigma * math.exp(-0.5 * z * z) / math.sqrt(2.0 * math.pi) / special.ndtr(z)

    def x(self, v):
        return v

    def log_density(self, v):  # in v
        z = (v - self.mean) / self.sigma
        return self.log_norm - 0.5 * z * z

    def log_density_slope(self, v):
        return -(v - self.mean) / self.sigma**2

    def log_density_curvature(self, v):
        return -1.0 / self.sigma**2

    def log_pdf(self, x):  # in x, up to a constant (for the profile ratio)
        return -0.5 * ((x - self.mean) / self.sigma) ** 2

    def profile_bounds(self, n):
        return 0.0, max(float(n), self.mean) + 1.0


class LogNormal:
    """Lognormal of the given mean and sigma; the integration variable is
    v = log x, Gaussian with sigma_log^2 = log(1 + sigma^2/mean^2) and
    mu_log = log(mean) - sigma_log^2 / 2."""

    def __init__(self, mean, sigma):
        self.mean, self.sigma = mean, sigma
        self.sigma_log = math.sqrt(math.log1p((sigma / mean) ** 2))
        self.mu_log = math.log(mean) - 0.5 * self.sigma_log**2
        self.log_norm = -math.log(self.sigma_log * math.sqrt(2.0 * math.pi))
        self.lo = self.mu_log - SUPPORT_SIGMAS * self.sigma_log
        self.hi = self.mu_log + SUPPORT_SIGMAS * self.sigma_log
        self.average = mean

    def x(self, v):
        return math.exp(v)

    def log_density(self, v):
        z = (v - self.mu_log) / self.sigma_log
        return self.log_norm - 0.5 * z * z

    def log_density_slope(self, v):
        return -(v - self.mu_log) / self.sigma_log**2

    def log_density_curvature(self, v):
        return -1.0 / self.sigma_log**2

    def log_pdf(self, x):  # pdf in x (with its 1/x), up to a constant
        z = (math.log(x) - self.mu_log) / self.sigma_log
        return -math.log(x) - 0.5 * z * z

    def profile_bounds(self, n):
        return math.exp(self.lo), max(float(n), self.mean) * math.exp(SUPPORT_SIGMAS * self.sigma_log)


def make_pdf(kind, mean, sigma):
    return TruncatedGauss(mean, sigma) if kind == "gauss" else LogNormal(mean, sigma)


def log_poisson(k, lam):
    if lam == 0.0:
        return 0.0 if k == 0 else -math.inf
    return k * math.log(lam) - lam - math.lgamma(k + 1)


def poisson_mixture(k, scale, pdf):
    """Int Pois(k | scale x) p(x) dx, by quad in the pdf's variable v."""
    if scale == 0.0:
        return 1.0 if k == 0 else 0.0
    lgk = math.lgamma(k + 1)
    gauss = isinstance(pdf, TruncatedGauss)

    def log_f(v):
        lam = scale * pdf.x(v)
        if lam == 0.0:  # a finite floor keeps brentq's arithmetic finite
            return (0.0 if k == 0 else -1e300) + pdf.log_density(v)
        return k * math.log(lam) - lam - lgk + pdf.log_density(v)

    def slope(v):  # of log_f: decreasing, log_f being concave
        lam = scale * pdf.x(v)
        if gauss:
            poisson_part = (math.inf if k > 0 else -scale) if lam == 0.0 else k / v - scale
        else:
            poisson_part = k - lam
        return poisson_part + pdf.log_density_slope(v)

    def curvature(v):
        lam = scale * pdf.x(v)
        poisson_part = -k / (v * v) if gauss else -lam
        return poisson_part + pdf.log_density_curvature(v)

    lo, hi = pdf.lo, pdf.hi
    if slope(lo) <= 0.0:
        peak = lo
    elif slope(hi) >= 0.0:
        peak = hi
    else:
        peak = optimize.brentq(slope, lo, hi, xtol=1e-15, rtol=1e-14, maxiter=200)
    top = log_f(peak)

    def above_cut(v):
        return log_f(v) - (top - CUT_BELOW_PEAK)

    a = lo if above_cut(lo) >= 0.0 else optimize.brentq(above_cut, lo, peak, maxiter=200)
    b = hi if above_cut(hi) >= 0.0 else optimize.brentq(above_cut, peak, hi, maxiter=200)
    bend = curvature(peak) if peak > 0.0 or not gauss else -math.inf
    width = 1.0 / math.sqrt(-bend) if math.isfinite(bend) else (b - a) / 100.0
    points = sorted({p for p in (peak + j * width for j in (-6, -3, -1, 0, 1, 3, 6)) if a < p < b})

    def integrand(v):
        return math.exp(log_f(v) - top)

    value = integrate.quad(integrand, a, b, points=points or None, epsabs=QUAD_EPSABS,
                           epsrel=QUAD_EPSREL, limit=QUAD_LIMIT)[0]
    return value * math.exp(top)


class Model:
    """q(n | s) and the ranking denominators of one model."""

    def __init__(self, b, b_sigma, eff, eff_sigma, pdf, ordering):
        self.b, self.eff, self.ordering = b, eff, ordering
        self.background = make_pdf(pdf, b, b_sigma) if b_sigma > 0.0 else None
        self.efficiency = make_pdf(pdf, eff, eff_sigma) if eff_sigma > 0.0 else None
        self.background_terms = []  # B_0, B_1, ...
        self.signal_terms = {}  # s -> [A_0(s), A_1(s), ...]
        self.full = {}  # s -> q(0 | s), q(1 | s), ... up to the tail
        self.denominators = {}
        self.guesses = {}

    def background_term(self, k):
        while len(self.background_terms) <= k:
            i = len(self.background_terms)
            if self.background is None:
                term = math.exp(log_poisson(i, self.b))
            else:
                term = poisson_mixture(i, 1.0, self.background)
            self.background_terms.append(term)
        return self.background_terms[k]

    def signal_term(self, j, s):
        terms = self.signal_terms.setdefault(s, [])
        while len(terms) <= j:
            i = len(terms)
            if self.efficiency is None:
                terms.append(math.exp(log_poisson(i, self.eff * s)))
            else:
                terms.append(poisson_mixture(i, s, self.efficiency))
        return terms[j]

    def probability(self, n, s):
        """q(n | s): the convolution of the signal's and background's terms."""
        return math.fsum(self.signal_term(j, s) * self.background_term(n - j) for j in range(n + 1))

    def probabilities(self, s):
        """q(0 | s), q(1 | s), ...: both parts' terms until past their means
        they fall below TAIL, convolved."""
        if s not in self.full:
            signal_mean = s * (self.efficiency.average if self.efficiency else self.eff)
            background_mean = self.background.average if self.background else self.b
            signal = self.terms_to_tail(lambda j: self.signal_term(j, s), signal_mean)
            background = self.terms_to_tail(self.background_term, background_mean)
            q = np.convolve(signal, background)
            self.full[s] = q[: np.nonzero(q >= TAIL)[0][-1] + 1]
        return self.full[s]

    @staticmethod
    def terms_to_tail(term, mean):
        terms = []
        for i in range(MAX_COUNTS):
            terms.append(term(i))
            if i > mean and terms[-1] < TAIL:
                return np.array(terms)
        raise RuntimeError("terms beyond the cap")

    def peak_probability(self, n):
        """Where q(n | s) might peak: a cheap lower bound of the conrad denominator."""
        if n not in self.guesses:
            s = max(0.0, (n - self.b) / self.eff)
            self.guesses[n] = (s, self.probability(n, s))
        return self.guesses[n]

    def denominator(self, n):
        if n not in self.denominators:
            if self.ordering == "conrad":
                self.denominators[n] = self.best_probability(n)
            else:
                self.denominators[n] = self.profile_denominator(n)
        return self.denominators[n]

    def best_probability(self, n):
        """max over s >= 0 of q(n | s): a grid, then Brent around its best point."""
        guess_s, guess_q = self.peak_probability(n)
        s_high = 3.0 * (n + 10.0) / self.eff
        for _ in range(20):  # doublings of the grid, at most
            grid = np.linspace(0.0, s_high, 41)
            values = [self.probability(n, s) for s in grid]
            i = int(np.argmax(values))
            if i < len(grid) - 1:
                break
            s_high *= 2.0
        else:
            raise RuntimeError("q(n | s) still rising at the end of the grid")
        best = max(max(values), guess_q)
        left, right = grid[max(i - 1, 0)], grid[i + 1]
        found = optimize.minimize_scalar(lambda s: -self.probability(n, s), bounds=(left, right),
                                         method="bounded", options={"xatol": 1e-12, "maxiter": 500})
        return max(best, -found.fun)

    def profile_denominator(self, n):
        """max over c of Pois(n | max(n, c)) g(c) / g(b); g left out where c is known."""
        if self.background is None:
            return math.exp(log_poisson(n, max(float(n), self.b)))
        g = self.background
        lognormal = isinstance(g, LogNormal)
        ref = g.log_pdf(self.b)

        def log_ratio(c):
            return log_poisson(n, max(float(n), c)) + g.log_pdf(c) - ref

        lo, hi = g.profile_bounds(n)
        if lognormal:  # concave in log c
            found = optimize.minimize_scalar(lambda u: -log_ratio(math.exp(u)), bounds=(math.log(lo), math.log(hi)),
                                             method="bounded", options={"xatol": 1e-12, "maxiter": 500})
            candidates = [-found.fun]
        else:  # concave in c; the best may be c = 0 itself
            found = optimize.minimize_scalar(lambda c: -log_ratio(c), bounds=(lo, hi), method="bounded",
                                             options={"xatol": 1e-12, "maxiter": 500})
            candidates = [-found.fun, log_ratio(0.0)]
        candidates.append(log_ratio(min(max(self.b, lo), hi)))
        return math.exp(max(candidates))

    def ranks_before(self, k, q_k, n, r_n):
        """Whether count k ranks before count n, whose ratio is r_n: a higher
        ratio, or an equal one and a higher count.  Under conrad the bounds
        q_k / Pois(k | k) <= R(k) <= q_k / q(k | a guessed s) settle most
        counts without the costly exact denominator."""
        if self.ordering == "conrad":
            upper = q_k / self.peak_probability(k)[1]
            if upper < r_n:
                return False
            lower = q_k / (math.exp(log_poisson(k, float(k))) * (1.0 + 1e-9))
            if lower > r_n:
                return True
        r_k = q_k / self.denominator(k)
        return r_k > r_n or (r_k == r_n and k > n)

    def mass_before(self, n, s):
        """The summed q of the counts ranked strictly before n at s."""
        q = self.probabilities(s)
        q_n = q[n] if n < len(q) else self.probability(n, s)
        r_n = q_n / self.denominator(n)
        return math.fsum(q_k for k, q_k in enumerate(q)
                         if k != n and q_k >= RANK_CUT and self.ranks_before(k, q_k, n, r_n))


def oracle_limits(model, n, cl):
    """(lower, upper, changes): the extreme signals whose region holds n and
    the number of changes of that state the scan found (2 or 1: no island)."""

    def holds(s):
        return model.mass_before(n, s) < cl

    def width(s):
        return math.sqrt(model.eff * s + model.b + 1.0) / model.eff

    def bisect(s_out, s_in):
        for _ in range(MAX_HALVINGS):  # each halves the bracket
            if abs(s_in - s_out) <= BISECTION_WIDTH * max(1.0, s_in):
                return s_in
            mid = 0.5 * (s_in + s_out)
            if holds(mid):
                s_in = mid
            else:
                s_out = mid
        return s_in

    # The coarse look.
    s, last_in = 0.0, None
    coarse = []
    for _ in range(MAX_SCAN_STEPS):
        state = holds(s)
        coarse.append((s, state))
        if state:
            last_in = s
        if last_in is not None and not state and s > 1.5 * last_in + 5.0 * width(last_in):
            break
        s += COARSE_STEP * width(s)
    else:
        raise RuntimeError("coarse scan beyond the cap")
    if last_in is None:
        raise RuntimeError("no scanned signal holds the count")

    # The fine look around each change, then each change bisected.
    fine = dict(coarse)
    for (s0, a), (s1, b) in zip(coarse, coarse[1:]):
        if a == b:
            continue
        s = max(0.0, s0 - FINE_BAND * width(s0))
        end = s1 + FINE_BAND * width(s1)
        for _ in range(MAX_SCAN_STEPS):
            if s > end:
                break
            if s not in fine:
                fine[s] = holds(s)
            s += FINE_STEP * width(s)
        else:
            raise RuntimeError("fine scan beyond the cap")
    points = sorted(fine.items())
    edges = []  # (s whose region holds n, rising?)
    for (s0, a), (s1, b) in zip(points, points[1:]):
        if a != b:
            edges.append(bisect(s1, s0) if a else bisect(s0, s1))
    lower = 0.0 if points[0][1] else edges[0]
    upper = edges[-1]
    return lower, upper, len(edges)


def direct_probability(model, n, s):
    """q(n | s) as the plain double integral over both parameters (both
    uncertain), nested quad: the check of the convolution above."""
    f, g = model.efficiency, model.background

    def inner(v):
        e = f.x(v)
        return integrate.quad(lambda u: math.exp(log_poisson(n, e * s + g.x(u)) + g.log_density(u)),
                              g.lo, g.hi, epsabs=0.0, epsrel=1e-11, limit=QUAD_LIMIT)[0]

    return integrate.quad(lambda v: inner(v) * math.exp(f.log_density(v)), f.lo, f.hi, epsabs=0.0,
                          epsrel=1e-11, limit=QUAD_LIMIT)[0]


def self_check():
    """The convolution against the double integral, and the counts' sum."""
    worst = 0.0
    for request in REQUESTS:
        n, b, b_sigma, eff, eff_sigma, pdf, ordering, cl = request
        if b_sigma == 0.0 or eff_sigma == 0.0:
            continue
        model = Model(b, b_sigma, eff, eff_sigma, pdf, ordering)
        for s in (0.5, 3.0, 12.0):
            q = model.probabilities(s)
            for k in (0, n, 2 * n + 3):
                direct = direct_probability(model, k, s)
                worst = max(worst, abs(q[k] - direct) / direct)
            print("%s s %g: 1 - sum q = %.1e" % (request, s, 1.0 - math.fsum(q)), file=sys.stderr)
    print("largest relative difference from the double integral: %.1e" % worst, file=sys.stderr)
    return worst < 1e-10


# n, b, b_sigma, eff, eff_sigma, pdf, ordering, cl
REQUESTS = [
    # The efficiency uncertain, the background known.
    (1, 0.0, 0.0, 1.0, 0.2, "gauss", "conrad", 0.90),
    (30, 0.0, 0.0, 1.0, 0.2, "gauss", "conrad", 0.90),
    (0, 3.0, 0.0, 1.0, 0.3, "gauss", "conrad", 0.90),
    (5, 3.0, 0.0, 0.8, 0.2, "gauss", "profile", 0.95),
    (3, 1.0, 0.0, 0.5, 0.1, "lognormal", "conrad", 0.6827),
    (10, 5.0, 0.0, 1.0, 0.4, "lognormal", "profile", 0.90),
    (2, 0.5, 0.0, 1.0, 0.4, "lognormal", "profile", 0.99),
    (15, 10.0, 0.0, 1.5, 0.3, "lognormal", "conrad", 0.95),
    (7, 2.0, 0.0, 1.0, 0.1, "gauss", "conrad", 0.99),
    (0, 0.0, 0.0, 1.0, 0.2, "lognormal", "profile", 0.90),
    (1, 3.0, 0.0, 1.0, 0.3, "gauss", "profile", 0.90),
    (20, 8.0, 0.0, 1.0, 0.25, "lognormal", "conrad", 0.6827),
    (4, 0.0, 0.0, 0.7, 0.2, "lognormal", "profile", 0.95),
    (12, 6.0, 0.0, 1.0, 0.15, "gauss", "profile", 0.99),
    # The background uncertain, the efficiency known.
    (4, 2.0, 0.5, 1.0, 0.0, "gauss", "conrad", 0.90),
    (0, 3.0, 1.0, 1.0, 0.0, "gauss", "conrad", 0.90),
    (0, 3.0, 1.0, 1.0, 0.0, "gauss", "profile", 0.90),
    (8, 6.0, 2.0, 1.0, 0.0, "lognormal", "conrad", 0.95),
    (20, 10.0, 4.0, 1.0, 0.0, "gauss", "profile", 0.6827),
    (2, 1.0, 0.4, 1.0, 0.0, "lognormal", "profile", 0.99),
    (12, 4.0, 1.0, 0.7, 0.0, "gauss", "conrad", 0.90),
    (25, 8.0, 3.0, 1.0, 0.0, "lognormal", "profile", 0.90),
    (1, 0.5, 0.2, 1.0, 0.0, "gauss", "profile", 0.95),
    (6, 10.0, 3.0, 1.0, 0.0, "gauss", "conrad", 0.99),
    (3, 3.0, 1.2, 1.0, 0.0, "lognormal", "conrad", 0.6827),
    (10, 2.0, 0.8, 1.0, 0.0, "lognormal", "profile", 0.95),
    (30, 10.0, 2.0, 1.0, 0.0, "gauss", "conrad", 0.99),
    (0, 1.0, 0.4, 1.0, 0.0, "lognormal", "conrad", 0.95),
    (5, 0.5, 0.1, 2.0, 0.0, "gauss", "profile", 0.90),
    (15, 7.0, 1.0, 1.0, 0.0, "lognormal", "conrad", 0.90),
    (9, 9.0, 3.5, 1.0, 0.0, "gauss", "profile", 0.6827),
    # Both uncertain.
    (3, 1.0, 0.3, 0.8, 0.2, "gauss", "conrad", 0.90),
    (10, 5.0, 1.5, 0.6, 0.15, "gauss", "profile", 0.6827),
    (0, 2.0, 0.8, 1.0, 0.2, "gauss", "conrad", 0.99),
    (4, 2.0, 0.5, 1.0, 0.2, "lognormal", "profile", 0.90),
    (5, 2.0, 0.4, 0.8, 0.15, "lognormal", "conrad", 0.6827),
    # A wide Gaussian efficiency, reaching 0, and both uncertain at 40 %.
    (2, 0.5, 0.0, 1.0, 0.4, "gauss", "profile", 0.99),
    (2, 0.5, 0.0, 1.0, 0.4, "gauss", "conrad", 0.99),
    (0, 2.0, 0.8, 1.0, 0.4, "lognormal", "conrad", 0.99),
    (15, 6.0, 2.0, 1.2, 0.3, "gauss", "conrad", 0.90),
]

HEADER = """\
# Feldman-Cousins limits with an uncertain background and efficiency, from tests/oracle/uncertain_oracle.py (an
# independent slow computation: quad mixtures, a fine scan of s, each change bisected to 1e-10 max(1, s)).
# n b b_sigma eff eff_sigma pdf ordering cl lower upper
"""


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Writes the oracle's table of requests and limits.")
    parser.add_argument("-o", "--output", default=os.path.join(here, "..", "data", "uncertain_oracle.txt"))
    parser.add_argument("--rows", help="comma-separated row indices (default: all)")
    parser.add_argument("--self-check", action="store_true", help="check q against a plain double integral")
    args = parser.parse_args()
    if args.self_check:
        sys.exit(0 if self_check() else 1)
    rows = range(len(REQUESTS)) if not args.rows else [int(i) for i in args.rows.split(",")]
    lines = []
    started = time.perf_counter()
    for i in rows:
        n, b, b_sigma, eff, eff_sigma, pdf, ordering, cl = REQUESTS[i]
        t = time.perf_counter()
        lower, upper, edges = oracle_limits(Model(b, b_sigma, eff, eff_sigma, pdf, ordering), n, cl)
        fields = [str(n), repr(b), repr(b_sigma), repr(eff), repr(eff_sigma), pdf, ordering, repr(cl),
                  "%.17g" % lower, "%.17g" % upper]
        lines.append(" ".join(fields) + "\n")
        print("row %2d: %s  edges %d  %.1f s" % (i, " ".join(fields), edges, time.perf_counter() - t),
              file=sys.stderr, flush=True)
    with open(args.output, "w") as out:
        out.write(HEADER)
        out.writelines(lines)
    print("total %.1f s" % (time.perf_counter() - started), file=sys.stderr)


if __name__ == "__main__":
    main()
