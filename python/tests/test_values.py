"""The values: bit for bit those of the console (method="console") and of
the C++ library, on any number of threads, in every broadcast shape and
dtype."""

import doctest
import functools
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
    return _run_library_values(program)


@functools.cache  # its uncertain requests take a second or two
def _run_library_values(program):
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
        elif kind == "coverage":
            mu, b, cl, value = (float.fromhex(x) for x in fields)
            assert float(fclimits.coverage(mu, b, cl)) == value, fields
        elif kind.startswith("gaussian"):
            call = getattr(fclimits, kind)
            first, sigma, cl, low, high = (float.fromhex(x) for x in fields)
            assert tuple(call(first, sigma, cl)) == (low, high), fields


def from_hex(text):
    return None if text == "-" else float.fromhex(text)


def test_gives_the_library_bits_with_uncertainties():
    kinds = set()
    for kind, *fields in library_values():
        if not kind.startswith("uncertain_"):
            continue
        kinds.add(kind)
        arguments = 2 if kind == "uncertain_sensitivity" else 3
        call = [from_hex(x) for x in fields[:arguments]]
        numbers, words = fields[arguments:arguments + 3], fields[arguments + 3:arguments + 6]
        u = dict(zip(("b_sigma", "eff", "eff_sigma"), map(from_hex, numbers)),
                 **dict(zip(("b_pdf", "eff_pdf", "ordering"), words)))
        found = fields[arguments + 6:]
        if kind == "uncertain_limits":
            assert tuple(fclimits.limits(*call, **u)) == tuple(map(from_hex, found)), fields
        elif kind == "uncertain_acceptance":
            region = fclimits.acceptance_region(*call, **u)
            assert (int(region.n_low), int(region.n_high), float(region.probability),
                    bool(region.contiguous)) == (int(found[0]), int(found[1]),
                                                 from_hex(found[2]), found[3] == "1"), fields
        elif kind == "uncertain_sensitivity":
            assert float(fclimits.sensitivity(*call, **u)) == from_hex(found[0]), fields
        else:
            true_b, true_eff, averaged, value = found
            covered = fclimits.coverage(*call, **u, true_b=from_hex(true_b),
                                        true_eff=from_hex(true_eff), averaged=averaged == "1")
            assert float(covered) == from_hex(value), fields
    assert len(kinds) == 4


# Requests of the uncertain calls whose uncertainties are none, given as
# arrays: the known-background bits, contiguous regions.
no_uncertainties = {"b_sigma": np.zeros(2), "eff": np.ones(1), "eff_sigma": np.float64(0.0),
                    "pdf": "lognormal", "ordering": "profile"}


@pytest.mark.parametrize("call", [
    lambda **u: fclimits.limits([0, 3], [0.0, 3.0], 0.9, **u),
    lambda **u: fclimits.limits([2, 5], 1.0, 0.9, method="console", **u),
    lambda **u: fclimits.coverage([0.5, 2.5], 3.0, 0.9, **u),
    lambda **u: fclimits.sensitivity([0.0, 1.5], 0.9, **u),
    lambda **u: tuple(fclimits.acceptance_region([0.5, 7.0], 1.5, 0.6827, **u)),
])
def test_no_uncertainties_give_the_known_bits(call):
    np.testing.assert_array_equal(call(**no_uncertainties), call())


def test_uncertainties_broadcast_with_the_other_numbers():
    n = np.array([[0], [2]])
    b_sigma = [0.0, 0.3, 0.0]
    found = fclimits.limits(n, 1.0, 0.9, b_sigma=b_sigma)
    assert found.shape == (2, 2, 3)
    for (i, k) in np.ndindex(2, 3):
        single = fclimits.limits(int(n[i, 0]), 1.0, 0.9, b_sigma=b_sigma[k])
        np.testing.assert_array_equal(found[:, i, k], single)
    # Coverage groups its requests by every argument but the mean.
    covered = fclimits.coverage(n, 1.0, 0.9, eff_sigma=[0.0, 0.2], true_eff=[[0.9], [1.1]])
    for (i, k) in np.ndindex(2, 2):
        assert covered[i, k] == fclimits.coverage(int(n[i, 0]), 1.0, 0.9, eff_sigma=[0.0, 0.2][k],
                                                  true_eff=[0.9, 1.1][i])
    region = fclimits.acceptance_region(n, 1.0, 0.9, eff=[1.0, 0.5, 2.0])
    assert region.contiguous.shape == region.n_low.shape == (2, 3)


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
    assert fclimits.gaussian_limits(n, np.add(b, 1.0), cl).shape == (2,) + shape
    assert fclimits.gaussian_acceptance(n, np.add(b, 1.0), cl).shape == (2,) + shape


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
