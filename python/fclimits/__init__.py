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

The pictures are in :mod:`fclimits.plot`, which imports matplotlib.
"""

import importlib
from typing import NamedTuple

import numpy as np

from . import _arguments, _core

__all__ = ["limits", "acceptance_region", "sensitivity", "coverage", "Acceptance",
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


def limits(n, b=0.0, cl=0.9, *, method="exact", tolerance=None, correct_upper=True, threads=None):
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
        broadcast; for a count so large (near 2147483647) that its
        acceptance intervals pass 32 bits.
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
    """
    counts = _arguments.counts(n)
    backgrounds = _arguments.backgrounds(b)
    levels = _arguments.levels(cl)
    how = _arguments.search_options(method, tolerance, correct_upper)
    workers = _arguments.threads(threads)
    shape, arrays = _arguments.broadcast(("n", "b", "cl"), (counts, backgrounds, levels))
    return _core.limits(*arrays, *how, workers).reshape((2,) + shape)


class Acceptance(NamedTuple):
    """The counts accepted at a signal mean: ``n_low`` to ``n_high``, both
    included, and their summed Poisson probability (at least cl)."""

    n_low: np.ndarray
    n_high: np.ndarray
    probability: np.ndarray


def acceptance_region(mu, b=0.0, cl=0.9, *, threads=None):
    """The counts accepted at signal mean mu: one row of the confidence belt.

    Parameters
    ----------
    mu : float or array_like
        The signal means, finite, >= 0 and at most ``max_mean``.
    b, cl, threads
        As for :func:`limits`.

    Returns
    -------
    Acceptance
        ``(n_low, n_high, probability)``: int64, int64 and float64 arrays of
        the broadcast shape (numpy scalars for scalar arguments).

    Examples
    --------
    >>> n_low, n_high, probability = fclimits.acceptance_region(0.0, 3.0, 0.9)
    >>> int(n_low), int(n_high), round(float(probability), 5)
    (0, 5, 0.91608)
    """
    means = _arguments.means(mu)
    backgrounds = _arguments.backgrounds(b)
    levels = _arguments.levels(cl)
    workers = _arguments.threads(threads)
    shape, arrays = _arguments.broadcast(("mu", "b", "cl"), (means, backgrounds, levels))
    found = _core.acceptance_region(*arrays, workers)
    return Acceptance(*(_shaped(values, shape) for values in found))


def sensitivity(b, cl=0.9, *, method="exact", tolerance=None, correct_upper=True, threads=None):
    """The average upper limit of an experiment with background b and no
    true signal.

    The upper limits of n = 0, 1, 2, ... weighted by the Poisson probability
    of n at mean b, until the probability left is below
    ``tail_probability``. Costs about 12 sqrt(b) + 10 upper limits per
    request.

    Parameters
    ----------
    b, cl, method, tolerance, correct_upper, threads
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
    how = _arguments.search_options(method, tolerance, correct_upper)
    workers = _arguments.threads(threads)
    shape, arrays = _arguments.broadcast(("b", "cl"), (backgrounds, levels))
    return _shaped(_core.sensitivity(*arrays, *how, workers), shape)


def coverage(mu, b=0.0, cl=0.9, *, method="exact", tolerance=None, correct_upper=True, threads=None):
    """The probability that the reported interval contains the true signal
    mean mu.

    The Poisson probabilities of the counts n at mean mu + b whose interval
    ``[lower(n), upper(n)]``, bounds included, contains mu, until the
    probability left is below ``tail_probability``. Requests that share a
    background and level share the limits of each count, so many means cost
    little more than one.

    Parameters
    ----------
    mu : float or array_like
        The true signal means, finite, >= 0 and at most
        ``max_coverage_mean`` (1e5).
    b, cl, method, tolerance, correct_upper, threads
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
    """
    means = _arguments.means(mu, for_coverage=True)
    backgrounds = _arguments.backgrounds(b)
    levels = _arguments.levels(cl)
    how = _arguments.search_options(method, tolerance, correct_upper)
    workers = _arguments.threads(threads)
    shape, arrays = _arguments.broadcast(("mu", "b", "cl"), (means, backgrounds, levels))
    return _shaped(_core.coverage(*arrays, *how, workers), shape)


def __getattr__(name):
    # fclimits.plot on first use, so that only its users import matplotlib.
    if name == "plot":
        return importlib.import_module(".plot", __name__)
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")
