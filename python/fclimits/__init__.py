"""Exact Feldman-Cousins confidence limits for counting experiments.

The limits on the mean of a Poisson signal over a known background
(G. J. Feldman and R. D. Cousins, Phys. Rev. D 57 (1998) 3873), with the
upper-limit correction of the ADMA program, computed by the C++ library
fclimits: every value is, bit for bit, the library's double. By default the
limits are exact, the belt's true edges to adjacent doubles; with
``method="console"`` they are the console program's doubles.

Every function takes numbers or numpy arrays that broadcast against each
other like the arguments of a numpy ufunc, and runs its requests on all
cores (or on ``threads`` threads) with the GIL released, and Ctrl-C stops it
with ``KeyboardInterrupt`` within a fraction of a second. A bad argument
raises ``ValueError`` naming it, its first offending value and that value's
index, before anything is computed: the rules and their words are the C++
library's own.

    >>> import fclimits
    >>> fclimits.limits(3, 0.0, 0.9).tolist()
    [1.102065328249321, 7.424983616093278]
    >>> fclimits.limits(3, 0.0, 0.9, method="console").tolist()
    [1.10546875, 7.4287109375]

With an uncertain background or efficiency (``b_sigma``, ``eff``,
``eff_sigma``: Cousins and Highland's integral, the orderings of Conrad et
al. and of Hill), every function takes them as keywords that broadcast with
the other numbers:

    >>> fclimits.limits(1, 0.0, 0.9, eff_sigma=0.2).tolist()
    [0.105583442..., 4.63936360...]

For a Gaussian measurement x of a mean bounded at zero (Feldman and
Cousins' second case), :func:`gaussian_limits` and :func:`gaussian_acceptance`:

    >>> fclimits.gaussian_limits(0.5, 1.0, 0.9).round(4).tolist()
    [0.0, 2.1449]

The pictures are in :mod:`fclimits.plot`, which imports matplotlib.
"""

import importlib
from typing import NamedTuple

import numpy as np

from . import _arguments, _core

__all__ = ["limits", "acceptance_region", "sensitivity", "coverage", "Acceptance",
           "gaussian_limits", "gaussian_acceptance",
           "max_background", "max_mean", "max_coverage_mean", "max_tolerance",
           "tail_probability"]

__version__ = _core.version

#: Every background up to this is computed; a larger one is refused (the
#: Poisson terms overflow the double range above about 707).
max_background = _core.max_background

#: The largest signal mean taken: its counts stay within 32 bits.
max_mean = _core.max_mean

#: The largest mean coverage is computed at: its cost grows as mu**1.5, about
#: 3 s on one core here.
max_coverage_mean = _core.max_coverage_mean

#: The coarsest search tolerance taken.
max_tolerance = _core.max_tolerance

#: Sums over counts (coverage, sensitivity) stop once the Poisson probability
#: of the counts not yet taken is below this.
tail_probability = _core.tail_probability


def _shaped(flat, shape):
    # A numpy scalar for scalar arguments, as a ufunc gives.
    return flat.reshape(shape)[()]


def limits(n, b=0.0, cl=0.9, *, b_sigma=0.0, eff=1.0, eff_sigma=0.0, pdf="gauss", b_pdf=None,
           eff_pdf=None, ordering="conrad", method="exact", tolerance=None, correct_upper=True,
           threads=None):
    """The lower and upper confidence limits on the signal mean.

    Parameters
    ----------
    n : int or array_like
        The measured counts, whole numbers from 0 to 2147483647 (integer
        valued floats such as 3.0 are taken; 2.5 is refused).
    b : float or array_like, optional
        The expected backgrounds, from 0 to ``max_background`` (705).
    cl : float or array_like, optional
        The confidence levels, strictly between 0 and 1. Named ``cl`` as in
        Feldman and Cousins' paper, ROOT and this package's other
        interfaces (astropy and scipy say ``confidence_level``); the short
        name keeps calls over arrays of levels readable.
    b_sigma : float or array_like, optional
        The standard deviation of the background, from 0 (known, the
        default) to 70 (to b for a lognormal). The count is then Poisson
        with mean ``eff * s + c``, c drawn from the background's pdf, and
        the limits are on the signal s.
    eff : float or array_like, optional
        The nominal efficiency, finite and > 0 (1 by default): the limits
        are on the signal before it, the known-background limits divided
        by eff where nothing is uncertain.
    eff_sigma : float or array_like, optional
        The efficiency's standard deviation, from 0 (the default) to eff.
        With ``b_sigma`` or ``eff_sigma`` above 0 the method must be
        "exact" and ``correct_upper`` is not used: the interval is every s
        whose acceptance region holds n, (0, 0) where none does (levels
        below about 0.63). One interval at the paper's counts costs about
        4 ms with one of them above 0, 15 ms with both; more at large
        counts.
    pdf : {"gauss", "lognormal"}, optional
        The pdf of both uncertain parameters: a Gaussian truncated at 0, or
        a lognormal of the same mean and standard deviation (which needs
        the nominal value above 0 where its sigma is not 0).
    b_pdf, eff_pdf : {"gauss", "lognormal"}, optional
        The background's and the efficiency's own pdf, where they differ
        (None: ``pdf``).
    ordering : {"conrad", "profile"}, optional
        How counts are ranked: by the likelihood ratio to the best signal
        (Conrad et al., the default), or with the background profiled too
        (Hill).
    method : {"exact", "console"}, optional
        "exact" (the default): the belt's true edges, every island of
        acceptance included, each limit located to adjacent doubles, so the
        coverage is at least cl. "console": the console program's searches,
        which stop at a width of 0.01 (0.0005 b above b = 20), and its
        doubles.
    tolerance : float, optional
        For the console method: the width at which both limit searches stop.
        None (or 0.0) is the method's own: the console's digits. A finer one
        finds each limit within it, at a higher cost, growing as
        1 / tolerance down to 1e-7. At most ``max_tolerance``. The exact
        method refuses any but None and 0.0.
    correct_upper : bool, optional
        True applies the correction for backgrounds above the count: the
        upper limit becomes the highest raw upper limit found at backgrounds
        from b to about b + 1. False gives the raw upper limit at b.
    threads : int, optional
        The number of threads; None uses all cores.

    Returns
    -------
    numpy.ndarray
        Shape ``(2,) + shape``, where ``shape`` is that of ``n``, ``b`` and
        ``cl`` broadcast together: the lower limits, then the upper limits,
        as astropy's ``poisson_conf_interval`` returns them.

    Raises
    ------
    ValueError
        For an argument outside its domain, or arguments that do not
        broadcast; for a word that is none of its choices; for a sigma
        above 0 with the console method; for a count so large (near
        2147483647) that its acceptance intervals pass 32 bits.
    TypeError
        For arguments that are not real numbers.
    KeyboardInterrupt
        On Ctrl-C: the call stops, its results are lost.

    Examples
    --------
    >>> lower, upper = fclimits.limits([0, 3, 10], 3.0, 0.9)
    >>> upper.tolist()
    [1.078274095992477, 4.424983616093278, 13.500466326900979]
    >>> float(fclimits.limits(0, 3.0, 0.9, correct_upper=False)[1])
    0.9530268540543144
    >>> fclimits.limits(range(5), [[0.0], [3.0]]).shape
    (2, 2, 5)
    >>> fclimits.limits(4, 2.0, 0.9, b_sigma=[0.0, 0.5])[1].tolist()
    [6.597349680779886, 6.94035363...]
    """
    counts = _arguments.counts(n)
    backgrounds = _arguments.backgrounds(b)
    levels = _arguments.levels(cl)
    u = _arguments.uncertainties(b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf, ordering)
    how = _arguments.search_options(method, tolerance, correct_upper)
    workers = _arguments.threads(threads)
    names, arrays = ("n", "b", "cl"), (counts, backgrounds, levels)
    if u is None:
        shape, arrays = _arguments.broadcast(names, arrays)
        found = _core.limits(*arrays, *how, workers)
    else:
        shape, arrays = _arguments.broadcast_uncertain(names, arrays, u, method)
        found = _core.uncertain_limits(*arrays, *u.words, *how, workers)
    return found.reshape((2,) + shape)


class _AcceptanceFields(NamedTuple):
    n_low: np.ndarray
    n_high: np.ndarray
    probability: np.ndarray


class Acceptance(_AcceptanceFields):
    """The counts accepted at a signal mean: ``n_low`` to ``n_high``, both
    included, and their summed probability (at least cl).

    ``contiguous``, bool of the same shape, says whether the accepted counts
    are all those from n_low to n_high: with uncertainties the ranking
    could in principle leave one between them out; known-background regions
    always are contiguous. It is an attribute, not a field, so that the
    tuple stays ``(n_low, n_high, probability)`` for callers that unpack it.
    """

    def __new__(cls, n_low, n_high, probability, contiguous=None):
        region = super().__new__(cls, n_low, n_high, probability)
        region._contiguous = contiguous
        return region

    @property
    def contiguous(self):
        found = getattr(self, "_contiguous", None)  # None: known, so contiguous
        return np.full(np.shape(self.n_low), True)[()] if found is None else found

    def _replace(self, **fields):
        return Acceptance(*super()._replace(**fields), getattr(self, "_contiguous", None))


def acceptance_region(mu, b=0.0, cl=0.9, *, b_sigma=0.0, eff=1.0, eff_sigma=0.0, pdf="gauss",
                      b_pdf=None, eff_pdf=None, ordering="conrad", threads=None):
    """The counts accepted at signal mean mu: one row of the confidence belt.

    Parameters
    ----------
    mu : float or array_like
        The signal means, finite, >= 0 and at most ``max_mean`` (and so is
        ``eff * mu``, the mean the counts are drawn at).
    b, cl, b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf, ordering, threads
        As for :func:`limits`.

    Returns
    -------
    Acceptance
        ``(n_low, n_high, probability)``: int64, int64 and float64 arrays of
        the broadcast shape (numpy scalars for scalar arguments), and the
        attribute ``contiguous`` (bool).

    Examples
    --------
    >>> n_low, n_high, probability = fclimits.acceptance_region(0.0, 3.0, 0.9)
    >>> int(n_low), int(n_high), round(float(probability), 5)
    (0, 5, 0.91608)
    >>> region = fclimits.acceptance_region(2.0, 3.0, 0.9, eff_sigma=0.3)
    >>> int(region.n_low), int(region.n_high), bool(region.contiguous)
    (2, 9, True)
    """
    means = _arguments.means(mu)
    backgrounds = _arguments.backgrounds(b)
    levels = _arguments.levels(cl)
    u = _arguments.uncertainties(b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf, ordering)
    workers = _arguments.threads(threads)
    names, arrays = ("mu", "b", "cl"), (means, backgrounds, levels)
    if u is None:
        shape, arrays = _arguments.broadcast(names, arrays)
        found = _core.acceptance_region(*arrays, workers)
    else:
        shape, arrays = _arguments.broadcast_uncertain(names, arrays, u, "exact")
        given = dict(zip(names + _arguments.uncertain_names, arrays))
        # The counts are drawn at eff * mu: a mean too.
        _arguments.scaled_means("(eff * mu)", given["eff"], given["mu"])
        found = _core.uncertain_acceptance_region(*arrays, *u.words, workers)
    return Acceptance(*(_shaped(values, shape) for values in found))


def sensitivity(b, cl=0.9, *, b_sigma=0.0, eff=1.0, eff_sigma=0.0, pdf="gauss", b_pdf=None,
                eff_pdf=None, ordering="conrad", method="exact", tolerance=None,
                correct_upper=True, threads=None):
    """The average upper limit of an experiment with background b and no
    true signal.

    The upper limits of n = 0, 1, 2, ... weighted by the Poisson probability
    of n at mean b (averaged over the background's pdf where b_sigma is
    above 0), until the probability left is below ``tail_probability``.
    Costs about 12 sqrt(b) + 10 upper limits per request.

    Parameters
    ----------
    b, cl, b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf, ordering
        As for :func:`limits`.
    method, tolerance, correct_upper, threads
        As for :func:`limits`.

    Returns
    -------
    numpy.ndarray or numpy.float64
        Of the shape of ``b`` and ``cl`` broadcast together.

    Examples
    --------
    >>> float(fclimits.sensitivity(0.0, 0.9)) == fclimits.limits(0, 0.0, 0.9)[1]
    True
    """
    backgrounds = _arguments.backgrounds(b)
    levels = _arguments.levels(cl)
    u = _arguments.uncertainties(b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf, ordering)
    how = _arguments.search_options(method, tolerance, correct_upper)
    workers = _arguments.threads(threads)
    names, arrays = ("b", "cl"), (backgrounds, levels)
    if u is None:
        shape, arrays = _arguments.broadcast(names, arrays)
        found = _core.sensitivity(*arrays, *how, workers)
    else:
        shape, arrays = _arguments.broadcast_uncertain(names, arrays, u, method)
        found = _core.uncertain_sensitivity(*arrays, *u.words, *how, workers)
    return _shaped(found, shape)


def coverage(mu, b=0.0, cl=0.9, *, b_sigma=0.0, eff=1.0, eff_sigma=0.0, pdf="gauss", b_pdf=None,
             eff_pdf=None, ordering="conrad", true_b=None, true_eff=None, averaged=False,
             method="exact", tolerance=None, correct_upper=True, threads=None):
    """The probability that the reported interval contains the true signal
    mean mu.

    The Poisson probabilities of the counts n at mean mu + b whose interval
    ``[lower(n), upper(n)]``, bounds included, contains mu, until the
    probability left is below ``tail_probability``. Requests that share a
    background and level share the limits of each count, so many means cost
    little more than one.

    With uncertainties the counts are drawn at mean ``eff * mu + b`` by
    default: the nominal values are the truth. ``true_b`` and ``true_eff``
    replace either; ``averaged=True`` draws them from their pdfs instead
    (the count's distribution averaged over both; then until every count
    of probability above 1e-16 is taken).

    Parameters
    ----------
    mu : float or array_like
        The true signal means, finite, >= 0 and at most
        ``max_coverage_mean`` (1e5), and so is the true efficiency times
        mu.
    b, cl, b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf, ordering
        As for :func:`limits`.
    true_b : float or array_like, optional
        The background the counts are drawn at (a background as b is);
        None: b.
    true_eff : float or array_like, optional
        The efficiency the counts are drawn at, finite and > 0; None: eff.
    averaged : bool, optional
        Draw the background and efficiency from their pdfs; takes no
        ``true_b`` or ``true_eff``.
    method, tolerance, correct_upper, threads
        As for :func:`limits`.

    Returns
    -------
    numpy.ndarray or numpy.float64
        Of the shape of ``mu``, ``b`` and ``cl`` broadcast together.

    Raises
    ------
    ValueError
        As for :func:`limits`, and for a mu above ``max_coverage_mean``.

    Examples
    --------
    >>> bool(fclimits.coverage(2.0, 3.0, 0.9) >= 0.9)
    True
    >>> fclimits.coverage(2.5, 0.0, 0.9, eff_sigma=[0.0, 0.4]).round(4).tolist()
    [0.9037, 0.9958]
    """
    means = _arguments.means(mu, for_coverage=True)
    backgrounds = _arguments.backgrounds(b)
    levels = _arguments.levels(cl)
    true_names, true_values, averaged = _arguments.truth(true_b, true_eff, averaged)
    u = _arguments.uncertainties(b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf, ordering,
                                 needed=bool(true_names))
    how = _arguments.search_options(method, tolerance, correct_upper)
    workers = _arguments.threads(threads)
    names, arrays = ("mu", "b", "cl"), (means, backgrounds, levels)
    if u is None:
        shape, arrays = _arguments.broadcast(names, arrays)
        return _shaped(_core.coverage(*arrays, *how, workers), shape)
    shape, arrays = _arguments.broadcast_uncertain(names + true_names, arrays + true_values, u,
                                                   method)
    given = dict(zip(names + true_names + _arguments.uncertain_names, arrays))
    # The counts are drawn at the true efficiency times mu: a mean too.
    drawn = "true_eff" if "true_eff" in given else "eff"
    _arguments.scaled_means(f"({drawn} * mu)", given[drawn], given["mu"], for_coverage=True)
    numbers = (given[name] for name in _arguments.uncertain_names)
    found = _core.uncertain_coverage(*arrays[:3], *numbers, *u.words, given.get("true_b"),
                                     given.get("true_eff"), averaged, *how, workers)
    return _shaped(found, shape)


def gaussian_limits(x, sigma=1.0, cl=0.9, *, threads=None):
    """The lower and upper confidence limits on a mean mu >= 0 from a
    Gaussian measurement x of standard deviation sigma.

    Feldman and Cousins' second case (a mass squared, a rate, a neutrino
    mass): the measurements accepted at each mean are those of the largest
    likelihood ratio P(x | mu) / P(x | max(0, x)), with probability cl, and
    the interval holds every mean whose acceptance interval holds x. Each
    limit lies within max(1e-12 |limit|, 1e-14 sigma) of the exact one,
    and costs a few microseconds.

    Parameters
    ----------
    x : float or array_like
        The measurements, any finite values (below 0 too).
    sigma : float or array_like, optional
        Their standard deviations, finite and > 0.
    cl : float or array_like, optional
        The confidence levels, strictly between 0 and 1.
    threads : int, optional
        As for :func:`limits`.

    Returns
    -------
    numpy.ndarray
        Shape ``(2,) + shape``, ``shape`` that of x, sigma and cl broadcast
        together: the lower limits, then the upper limits. At x >= 0 the
        upper limit is x + z sigma (z the central interval's half width);
        at levels below 0.5 a measurement far below 0 is accepted by no
        mean, and its interval is (0, 0).

    Raises
    ------
    ValueError
        For an argument outside its domain, or arguments that do not
        broadcast, before anything is computed; for an upper limit beyond
        the largest double.

    Examples
    --------
    The paper's Table X at 90 %:

    >>> lower, upper = fclimits.gaussian_limits([-2.3, 0.5, 1.3, 2.4], 1.0, 0.9)
    >>> lower.round(2).tolist(), upper.round(2).tolist()
    ([0.0, 0.0, 0.02, 0.87], [0.34, 2.14, 2.94, 4.04])
    """
    measured = _arguments.measurements(x)
    deviations = _arguments.sigmas(sigma)
    levels = _arguments.levels(cl)
    workers = _arguments.threads(threads)
    shape, arrays = _arguments.broadcast(("x", "sigma", "cl"), (measured, deviations, levels))
    return _core.gaussian_limits(*arrays, workers).reshape((2,) + shape)


def gaussian_acceptance(mu, sigma=1.0, cl=0.9, *, threads=None):
    """The measurements accepted at mean mu >= 0: one row of the Gaussian
    belt, from x_low to x_high with probability cl.

    At mu >= z sigma (z the central interval's half width) it is mu +- z
    sigma; below, x_low is below 0. At mu = 0 it is the limit of the
    intervals above: x_low is -inf for cl >= 0.5 (every x up to x_high is
    accepted).

    Parameters
    ----------
    mu : float or array_like
        The means, finite and >= 0.
    sigma, cl, threads
        As for :func:`gaussian_limits`.

    Returns
    -------
    numpy.ndarray
        Shape ``(2,) + shape``: x_low, then x_high.

    Examples
    --------
    >>> x_low, x_high = fclimits.gaussian_acceptance([0.0, 1.0], 1.0, 0.9)
    >>> x_low.round(4).tolist(), x_high.round(4).tolist()
    ([-inf, -0.7313], [1.2816, 2.5692])
    """
    means = _arguments.gaussian_means(mu)
    deviations = _arguments.sigmas(sigma)
    levels = _arguments.levels(cl)
    workers = _arguments.threads(threads)
    shape, arrays = _arguments.broadcast(("mu", "sigma", "cl"), (means, deviations, levels))
    return _core.gaussian_acceptance(*arrays, workers).reshape((2,) + shape)


def __getattr__(name):
    # fclimits.plot on first use, so that only its users import matplotlib.
    if name == "plot":
        return importlib.import_module(".plot", __name__)
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")
