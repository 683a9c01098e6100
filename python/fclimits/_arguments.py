"""The argument conventions of the package's functions.

Each check refuses the first bad element of one argument, in C order, with
its index in the array as given, before anything is computed. The rules and
their words are the library's own (``_core.first_refusal``); only the
value's text and its index are written here. Arguments then broadcast like
numpy ufunc arguments and go to the compiled core as C-contiguous buffers of
the dtype it reads.
"""

import math
import numbers
import operator

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
    index = np.unravel_index(flat, given.shape)
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


def levels(cl):
    """cl as float64: strictly between 0 and 1."""
    return _checked("cl", "level", cl)


def search_options(method, tolerance, correct_upper):
    """(method, tolerance, correct_upper) as the core takes them; None is the
    method's own tolerance, 0.0, the only one the exact method takes."""
    if not isinstance(method, str) or method not in ("exact", "console"):
        raise ValueError(f"fclimits: method = {method!r} is not a search method: "
                         "it must be 'exact' or 'console'")
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
