"""The argument conventions of the package's functions.

Each check refuses the first bad element of one argument, in C order, with
its index in the array as given, before anything is computed; the
uncertainties, which the library's rule takes with the background, once
they are broadcast with it. The rules and their words are the library's own
(``_core.first_refusal``, ``_core.first_uncertainty_refusal``); only the
value's text and its index are written here. Arguments then broadcast like
numpy ufunc arguments and go to the compiled core as C-contiguous buffers of
the dtype it reads.
"""

import math
import numbers
import operator
from typing import NamedTuple

import numpy as np

from . import _core

# More threads than any machine has cores only costs memory; far more would
# fail to start.
most_threads = 1024


def _real(value, name):
    # Booleans are numbers to Python, but a count of True is not meant.
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"fclimits: {name} must be a real number or an array of them, "
                        f"not {type(value).__name__}")
    try:
        return float(value)
    except OverflowError:  # an int beyond the double range
        return math.copysign(math.inf, value)


def _numbers(value, name):
    """(given, values): the argument as an array, for the messages, and its
    values as float64 (exact for every count the rules take)."""
    given = np.asarray(value)
    if given.dtype.kind == "O":
        # Python ints beyond 64 bits, or lists mixing kinds of number.
        values = np.fromiter((_real(x, name) for x in given.flat), np.float64,
                             count=given.size).reshape(given.shape)
        return given, values
    # Strings would convert to numbers, booleans to counts: neither is meant.
    if given.dtype.kind not in "iuf":
        raise TypeError(f"fclimits: {name} must be a real number or an array of them, "
                        f"not of dtype {given.dtype}")
    return given, given.astype(np.float64, copy=False)


def _checked(name, kind, value):
    """The argument's values as float64, once the library's rule of this kind
    has taken each of them; else ValueError naming the first it refuses."""
    given, values = _numbers(value, name)
    found = _core.first_refusal(kind, np.ascontiguousarray(values).reshape(-1))
    if found is None:
        return values
    flat, reason = found
    _refuse(name, given, np.unravel_index(flat, given.shape), reason)


def _refuse(name, given, index, reason):
    """ValueError naming the argument, its element at index and why."""
    where = "[" + ", ".join(str(i) for i in index) + "]" if index else ""
    element = given[index]
    if isinstance(element, numbers.Integral) and not isinstance(element, bool):
        text = str(int(element))
    else:
        text = repr(float(element))
    raise ValueError(f"fclimits: {name}{where} = {text} {reason}")


def counts(n):
    """n as int32: whole numbers from 0 to 2147483647; 3.0 is 3, 2.5 is refused."""
    return _checked("n", "count", n).astype(np.int32)


def backgrounds(b):
    """b as float64: finite, >= 0 and at most max_background."""
    return _checked("b", "background", b)


def means(mu, for_coverage=False):
    """mu as float64: finite, >= 0 and at most max_mean (max_coverage_mean
    for coverage)."""
    return _checked("mu", "coverage_mean" if for_coverage else "mean", mu)


def measurements(x):
    """x as float64: finite."""
    return _checked("x", "measurement", x)


def sigmas(sigma):
    """sigma as float64: finite and > 0."""
    return _checked("sigma", "sigma", sigma)


def gaussian_means(mu):
    """mu as float64: finite and >= 0 (no largest)."""
    return _checked("mu", "gaussian_mean", mu)


def levels(cl):
    """cl as float64: strictly between 0 and 1."""
    return _checked("cl", "level", cl)


def word(name, value, choices, what):
    """value, once it is one of the words choices; else ValueError listing
    them."""
    if not isinstance(value, str) or value not in choices:
        listed = " or ".join(repr(choice) for choice in choices)
        raise ValueError(f"fclimits: {name} = {value!r} is not {what}: it must be {listed}")
    return value


def search_options(method, tolerance, correct_upper):
    """(method, tolerance, correct_upper) as the core takes them; None is the
    method's own tolerance, 0.0, the only one the exact method takes."""
    word("method", method, ("exact", "console"), "a search method")
    if tolerance is None:
        return method, 0.0, bool(correct_upper)
    if np.ndim(tolerance) != 0:
        raise TypeError("fclimits: tolerance must be one number, not an array")
    tolerance = float(_checked("tolerance", "tolerance", tolerance))
    if method == "exact" and tolerance != 0.0:
        raise ValueError(f"fclimits: tolerance = {tolerance!r} is for the console method "
                         "(method='console'): the exact method finds each limit to adjacent "
                         "doubles")
    return method, tolerance, bool(correct_upper)


def threads(value):
    """The number of threads as the core takes it: None (all cores) is 0."""
    if value is None:
        return 0
    count = operator.index(value)  # refuses 2.5 and "2"
    if not 1 <= count <= most_threads:
        raise ValueError(f"fclimits: threads = {count} is not a number of threads: it must be "
                         f"from 1 to {most_threads} (None: all cores)")
    return count


def broadcast(names, arrays):
    """The common shape and the arrays broadcast to it, each C-contiguous."""
    try:
        shaped = np.broadcast_arrays(*arrays)
    except ValueError:
        shapes = ", ".join(f"{name} {array.shape}" for name, array in zip(names, arrays))
        raise ValueError(f"fclimits: the arguments do not broadcast together: {shapes}") from None
    return shaped[0].shape, [np.ascontiguousarray(array) for array in shaped]


#: The numbers of the uncertainties, in the order the core takes them.
uncertain_names = ("b_sigma", "eff", "eff_sigma")


class Uncertainties(NamedTuple):
    """The uncertainties of a call: b_sigma, eff and eff_sigma as given (for
    the messages) and as float64, and the words b_pdf, eff_pdf and ordering."""

    given: tuple
    values: tuple
    words: tuple


def _plain(value, default):
    # One Python number equal to the default: a call without uncertainties
    # is told apart by a comparison, and costs nothing more.
    return type(value) in (float, int) and value == default


def uncertainties(b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf, ordering, needed=False):
    """None where b_sigma, eff and eff_sigma are the plain numbers 0, 1 and 0
    (unless needed): the known-background calls give the same bits. Else
    Uncertainties; the words are checked either way, so a misspelt one is
    refused even where it would not matter."""
    pdf = word("pdf", pdf, ("gauss", "lognormal"), "a pdf")
    words = (pdf if b_pdf is None else word("b_pdf", b_pdf, ("gauss", "lognormal"), "a pdf"),
             pdf if eff_pdf is None else word("eff_pdf", eff_pdf, ("gauss", "lognormal"), "a pdf"),
             word("ordering", ordering, ("conrad", "profile"), "an ordering"))
    if not needed and _plain(b_sigma, 0.0) and _plain(eff, 1.0) and _plain(eff_sigma, 0.0):
        return None
    given, values = zip(*(_numbers(value, name)
                          for name, value in zip(uncertain_names, (b_sigma, eff, eff_sigma))))
    return Uncertainties(given, values, words)


def truth(true_b, true_eff, averaged):
    """(names, values) of the true values given, checked, and averaged as a
    bool; averaged takes no true value (the library's rule)."""
    averaged = bool(averaged)
    if averaged and (true_b is not None or true_eff is not None):
        raise ValueError("fclimits: averaged coverage draws the background and efficiency from "
                         "their pdfs: it takes no true_b or true_eff")
    names, values = [], []
    if true_b is not None:
        names.append("true_b")
        values.append(_checked("true_b", "background", true_b))
    if true_eff is not None:
        names.append("true_eff")
        values.append(_checked("true_eff", "efficiency", true_eff))
    return tuple(names), tuple(values), averaged


def _own_index(flat, shape, own_shape):
    """The index, in an argument of own_shape, of the element broadcast to
    the flat index flat of shape."""
    index = np.unravel_index(flat, shape)[len(shape) - len(own_shape):]
    return tuple(0 if size == 1 else i for i, size in zip(index, own_shape))


def broadcast_uncertain(names, arrays, u, method):
    """broadcast of the call's arrays (names holding "b") and then b_sigma,
    eff and eff_sigma; each request's uncertainties are checked with its
    background by the library's rule, and a sigma above 0 is refused to the
    console method."""
    shape, shaped = broadcast(names + uncertain_names, tuple(arrays) + u.values)
    uncertain = shaped[len(names):]
    found = _core.first_uncertainty_refusal(shaped[names.index("b")].reshape(-1),
                                            *(x.reshape(-1) for x in uncertain), *u.words)
    if found is not None:
        flat, name, reason = found
        given = u.given[uncertain_names.index(name)]
        _refuse(name, given, _own_index(flat, shape, given.shape), reason)
    b_sigma, _, eff_sigma = uncertain
    if method == "console" and (b_sigma.any() or eff_sigma.any()):
        raise ValueError("fclimits: method = 'console' has no uncertainties: with b_sigma or "
                         "eff_sigma above 0 the method must be 'exact'")
    return shape, shaped


def scaled_means(name, eff, mu, for_coverage=False):
    """Refuses a product eff * mu the library refuses as a mean (the counts
    are drawn at it), naming it and its index in the broadcast shape."""
    _checked(name, "coverage_mean" if for_coverage else "mean", eff * mu)
