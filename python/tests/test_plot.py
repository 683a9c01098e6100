"""Each picture draws on an Agg canvas, labels its axes and legend, and its
lines hold the computed values."""

import subprocess
import sys

import pytest

matplotlib = pytest.importorskip("matplotlib")
from matplotlib.backends.backend_agg import FigureCanvasAgg  # noqa: E402
from matplotlib.figure import Figure  # noqa: E402

import numpy as np  # noqa: E402

import fclimits  # noqa: E402
import fclimits.plot  # noqa: E402


def drawn(helper, *arguments, **options):
    figure = Figure()
    FigureCanvasAgg(figure)
    ax = figure.add_subplot()
    assert helper(*arguments, ax=ax, **options) is ax
    figure.canvas.draw()
    assert ax.get_xlabel() and ax.get_ylabel() and ax.get_legend() is not None
    return {line.get_label(): line for line in ax.get_lines()}


def test_belt_holds_the_limits_of_each_count():
    lines = drawn(fclimits.plot.belt, 3.0, 0.9, n_max=8)
    lower, upper = fclimits.limits(np.arange(9), 3.0, 0.9)
    np.testing.assert_array_equal(lines["upper limit"].get_xdata(), np.arange(9))
    np.testing.assert_array_equal(lines["upper limit"].get_ydata(), upper)
    np.testing.assert_array_equal(lines["lower limit"].get_ydata(), lower)


def test_coverage_holds_the_coverage_and_the_level():
    lines = drawn(fclimits.plot.coverage, 1.0, 0.9, mu_max=4.0, points=9)
    mu = lines["coverage"].get_xdata()
    np.testing.assert_array_equal(mu, np.linspace(0.0, 4.0, 9))
    np.testing.assert_array_equal(lines["coverage"].get_ydata(), fclimits.coverage(mu, 1.0, 0.9))
    assert list(lines["confidence level"].get_ydata()) == [0.9, 0.9]


def test_limits_hold_the_corrected_and_raw_limits():
    b = np.array([0.0, 1.5, 3.0, 4.5])
    lines = drawn(fclimits.plot.limits, [0, 2], b, 0.9)
    for n in (0, 2):
        lower, upper = fclimits.limits(n, b, 0.9)
        raw_upper = fclimits.limits(n, b, 0.9, correct_upper=False)[1]
        np.testing.assert_array_equal(lines[f"upper limit, n = {n}"].get_ydata(), upper)
        np.testing.assert_array_equal(lines[f"raw upper limit, n = {n}"].get_ydata(), raw_upper)
        np.testing.assert_array_equal(lines[f"lower limit, n = {n}"].get_ydata(), lower)


def test_only_the_pictures_import_matplotlib():
    code = "import sys, fclimits; fclimits.limits(3); assert 'matplotlib' not in sys.modules"
    subprocess.run([sys.executable, "-c", code], check=True)
