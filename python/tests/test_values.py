"""The values: bit for bit those of the console (method="console") and of
the C++ library, on any number of threads, in every broadcast shape and
dtype."""

import doctest
import os
import re
import subprocess
from pathlib import Path

import numpy as np
import pytest

import fclimits

repository = Path(__file__).resolve().parents[2]
console_levels = [0.6827, 0.90, 0.95]


def bits(values):
    return np.asarray(values, dtype=np.float64).view(np.uint64)


def console_records():
    """Per request n, b and the console's lower and upper limits at the
    three levels, shape (requests, 3, 2)."""
    rows = [line.split() for line in (repository / "tests/data/console_limits.txt").open()
            if line.strip() and not line.startswith("#")]
    n = np.array([int(row[0]) for row in rows])
    b = np.array([float.fromhex(row[1]) for row in rows])
    limits = np.array([[float.fromhex(x) for x in row[2:]] for row in rows]).reshape(-1, 3, 2)
    return n, b, limits


def test_gives_the_console_bits():
    n, b, recorded = console_records()
    assert len(n) == 671
    lower, upper = fclimits.limits(n[:, None], b[:, None], console_levels, method="console")
    np.testing.assert_array_equal(bits(lower), bits(recorded[..., 0]))
    np.testing.assert_array_equal(bits(upper), bits(recorded[..., 1]))


def library_values():
    """The C++ library's own output over its grid, or a skip where only the
    installed module is at hand."""
    program = os.environ.get("FCLIMITS_LIBRARY_VALUES")
    if not program:
        pytest.skip("FCLIMITS_LIBRARY_VALUES (the library_values program) not set")
    lines = subprocess.run([program], check=True, capture_output=True, text=True).stdout
    return [line.split() for line in lines.splitlines()]


def test_gives_the_library_bits():
    for kind, *fields in library_values():
        if kind == "acceptance":
            mu, b, cl = (float.fromhex(x) for x in fields[:3])
            region = fclimits.acceptance_region(mu, b, cl)
            assert (int(region.n_low), int(region.n_high)) == (int(fields[3]), int(fields[4]))
            assert float(region.probability) == float.fromhex(fields[5]), fields
        elif kind == "limits":
            n = int(fields[0])
            b, cl, lower, upper = (float.fromhex(x) for x in fields[1:])
            assert tuple(fclimits.limits(n, b, cl)) == (lower, upper), fields
        elif kind == "sensitivity":
            b, cl, value = (float.fromhex(x) for x in fields)
            assert float(fclimits.sensitivity(b, cl)) == value, fields
        else:
            mu, b, cl, value = (float.fromhex(x) for x in fields)
            assert float(fclimits.coverage(mu, b, cl)) == value, fields


def test_many_requests_at_once_give_the_single_calls():
    # Coverage groups its requests by background and level; each element
    # must come back to its own place.
    mu = np.array([[0.0, 2.5], [7.0, 0.5]])
    b = np.array([[3.0, 0.0], [3.0, 1.5]])
    cl = np.array([[0.9, 0.9], [0.6827, 0.9]])
    many = {
        "coverage": fclimits.coverage(mu, b, cl),
        "sensitivity": fclimits.sensitivity(b, cl),
        "acceptance": np.stack(fclimits.acceptance_region(mu, b, cl)),
    }
    for index in np.ndindex(mu.shape):
        one = (mu[index], b[index], cl[index])
        assert many["coverage"][index] == fclimits.coverage(*one)
        assert many["sensitivity"][index] == fclimits.sensitivity(*one[1:])
        assert tuple(many["acceptance"][(slice(None),) + index]) == fclimits.acceptance_region(*one)


def test_threads_give_the_same_bits_as_one():
    n = np.arange(12)[:, None]
    b = np.array([0.0, 2.5, 6.0])
    one = fclimits.limits(n, b, 0.9, threads=1)
    for threads in (None, 2, 5):
        np.testing.assert_array_equal(bits(fclimits.limits(n, b, 0.9, threads=threads)), bits(one))
    mu = np.linspace(0.0, 6.0, 13)
    np.testing.assert_array_equal(bits(fclimits.coverage(mu, 2.0, 0.9, threads=3)),
                                  bits(fclimits.coverage(mu, 2.0, 0.9, threads=1)))


@pytest.mark.parametrize("n, b, cl, shape", [
    (3, 0.0, 0.9, ()),
    ([0, 3, 10], 3.0, 0.9, (3,)),
    (np.arange(4)[:, None], [0.0, 1.0], 0.9, (4, 2)),
    (2, [[0.0], [1.0]], [0.6827, 0.9, 0.95], (2, 3)),
    ([], 3.0, 0.9, (0,)),
])
def test_broadcasts_like_a_ufunc(n, b, cl, shape):
    found = fclimits.limits(n, b, cl)
    assert found.shape == (2,) + shape and found.dtype == np.float64
    assert np.shape(fclimits.coverage(n, b, cl)) == shape
    region = fclimits.acceptance_region(n, b, cl)
    assert region.n_low.shape == shape and region.n_low.dtype == np.int64
    assert np.shape(fclimits.sensitivity(b, cl)) == np.broadcast_shapes(np.shape(b), np.shape(cl))


@pytest.mark.parametrize("n, b", [
    (np.array([0, 3, 10], dtype=np.int8), np.float32(3.0)),
    (np.array([0, 3, 10], dtype=np.uint64), np.array([3], dtype=np.int16)),
    ([0.0, 3.0, 10.0], 3),
    (np.array([0, 99, 3, 99, 10])[::2], np.full(6, 3.0)[::2]),  # strided views
])
def test_takes_any_real_dtype_and_layout(n, b):
    expected = fclimits.limits([0, 3, 10], 3.0, 0.9)
    np.testing.assert_array_equal(bits(fclimits.limits(n, b, 0.9)), bits(expected))


def test_version_is_the_projects():
    project = re.search(r"project\(fclimits VERSION ([0-9.]+)",
                        (repository / "CMakeLists.txt").read_text()).group(1)
    assert fclimits.__version__ == project


def test_docstring_examples():
    failures, _ = doctest.testmod(fclimits, extraglobs={"fclimits": fclimits},
                                  optionflags=doctest.ELLIPSIS)
    assert failures == 0
