"""The argument conventions of the package's functions.

Each check refuses the first bad element of one argument, in C order, with
its index in the array as given, before anything is computed. Arguments
then broadcast like numpy ufunc arguments and go to the compiled core as
C-contiguous buffers of the dtype it reads.
"""

import operator

import numpy as np

from . import _core

largest_count = 2**31 - 1
# More threads than any machine has cores only costs memory; far more would
# fail to start.
most_threads = 1024


def _numbers(value, name):
    array = np.asarray(value)
    # Strings would convert to numbers, booleans to counts: neither is meant.
    if array.dtype.kind not in "iuf":
        raise TypeError(f"fclimits: {name} must be a real number or an array of them, "
                        f"not of dtype {array.dtype}")
    return array


def _refuse_first_bad(name, array, good, reason):
    """Raises ValueError for the first element where good is False;
    reason(value) says why it is refused."""
    if good.all():
        return
    index = np.unravel_index(np.argmin(good), array.shape)
    where = "[" + ", ".join(str(i) for i in index) + "]" if index else ""
    value = array[index]
    text = str(int(value)) if array.dtype.kind in "iu" else repr(float(value))
    raise ValueError(f"fclimits: {name}{where} = {text} {reason(value)}")


def counts(n):
    """n as int32: whole numbers from 0 to 2147483647; 3.0 is 3, 2.5 is refused."""
    array = _numbers(n, "n")
    good = (array >= 0) & (array <= largest_count)
    if array.dtype.kind == "f":
        good &= np.floor(array) == array  # false for NaN and infinities too
    _refuse_first_bad("n", array, good,
                      lambda _: "is not a count: it must be a whole number from 0 to 2147483647")
    return array.astype(np.int32)


def backgrounds(b):
    """b as float64: finite, >= 0 and at most max_background."""
    array = _numbers(b, "b").astype(np.float64, copy=False)

    def reason(value):
        if value >= 0 and np.isfinite(value):
            return ("is too large: the Poisson terms overflow the double range above about 707 "
                    f"(every background up to {_core.max_background:g} is computed)")
        return "is not a background: it must be finite and >= 0"

    _refuse_first_bad("b", array, (array >= 0) & (array <= _core.max_background), reason)
    return array


def means(mu):
    """mu as float64: finite and >= 0."""
    array = _numbers(mu, "mu").astype(np.float64, copy=False)
    _refuse_first_bad("mu", array, np.isfinite(array) & (array >= 0),
                      lambda _: "is not a signal mean: it must be finite and >= 0")
    return array


def levels(cl):
    """cl as float64: strictly between 0 and 1."""
    array = _numbers(cl, "cl").astype(np.float64, copy=False)
    _refuse_first_bad("cl", array, (array > 0) & (array < 1),
                      lambda _: "is not a confidence level: it must lie strictly between 0 and 1")
    return array


def search_options(tolerance, correct_upper):
    """(tolerance, correct_upper) as the core takes them; None is the
    method's own tolerance, 0.0."""
    if tolerance is None:
        return 0.0, bool(correct_upper)
    array = _numbers(tolerance, "tolerance").astype(np.float64, copy=False)
    if array.ndim != 0:
        raise TypeError("fclimits: tolerance must be one number, not an array")
    _refuse_first_bad("tolerance", array, np.isfinite(array) & (array >= 0),
                      lambda _: "is not a search tolerance: it must be finite and >= 0 "
                      "(None: the method's own)")
    return float(array), bool(correct_upper)


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
