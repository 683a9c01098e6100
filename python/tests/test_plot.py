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


def test_coverage_steps_at_every_limit_and_marks_its_minimum():
    lines = drawn(fclimits.plot.coverage, 1.0, 0.9, mu_max=4.0, points=9)
    mu = lines["coverage"].get_xdata()
    covered = lines["coverage"].get_ydata()
    np.testing.assert_array_equal(covered, fclimits.coverage(mu, 1.0, 0.9))
    # A jump is a vertical step: each limit in range is drawn with the
    # doubles on both sides of it, among the evenly spaced means.
    lower, upper = fclimits.limits(np.arange(40), 1.0, 0.9)
    edges = np.concatenate([lower, upper])
    edges = edges[(edges > 0.0) & (edges < 4.0)]
    assert edges.size > 5
    for wanted in (np.linspace(0.0, 4.0, 9), edges, np.nextafter(edges, -np.inf),
                   np.nextafter(edges, np.inf)):
        assert np.isin(wanted, mu).all()
    (lowest,) = [line for label, line in lines.items() if label.startswith("minimum")]
    assert lowest.get_ydata()[0] == covered.min()
    (level,) = [line for label, line in lines.items() if label.startswith("90 % CL")]
    assert list(level.get_ydata()) == [0.9, 0.9]


def test_coverage_draws_one_curve_per_sigma():
    lines = drawn(fclimits.plot.coverage, 0.0, 0.9, mu_max=3.0, points=7, eff_sigma=[0.0, 0.2])
    for sigma in (0.0, 0.2):
        (curve,) = [line for label, line in lines.items()
                    if label.startswith(f"eff_sigma = {sigma:g}\n")]
        covered = fclimits.coverage(curve.get_xdata(), 0.0, 0.9, eff_sigma=sigma)
        np.testing.assert_array_equal(curve.get_ydata(), covered)
        assert lines[f"_minimum, eff_sigma = {sigma:g}"].get_ydata()[0] == covered.min()


def test_limits_hold_the_corrected_and_raw_limits():
    b = np.array([0.0, 1.5, 3.0, 4.5])
    lines = drawn(fclimits.plot.limits, [0, 2], b, 0.9)
    for n in (0, 2):
        lower, upper = fclimits.limits(n, b, 0.9)
        raw_upper = fclimits.limits(n, b, 0.9, correct_upper=False)[1]
        np.testing.assert_array_equal(lines[f"upper limit, n = {n}"].get_ydata(), upper)
        np.testing.assert_array_equal(lines[f"raw upper limit, n = {n}"].get_ydata(), raw_upper)
        np.testing.assert_array_equal(lines[f"lower limit, n = {n}"].get_ydata(), lower)


def test_limits_legend_has_one_entry_per_count_and_per_kind():
    figure = Figure()
    ax = figure.add_subplot()
    fclimits.plot.limits([0, 1, 2, 3], [0.0, 2.0, 4.0], 0.9, ax=ax)
    assert [text.get_text() for text in ax.get_legend().get_texts()] == [
        "n = 0", "n = 1", "n = 2", "n = 3", "upper limit", "raw upper limit", "lower limit"]


def test_only_the_pictures_import_matplotlib():
    code = "import sys, fclimits; fclimits.limits(3); assert 'matplotlib' not in sys.modules"
    subprocess.run([sys.executable, "-c", code], check=True)


def test_gaussian_belt_holds_the_acceptance_intervals():
    lines = drawn(fclimits.plot.gaussian_belt, 0.9, 2.0, points=31)
    mu = lines["x_low"].get_ydata()
    x_low, x_high = fclimits.gaussian_acceptance(mu, 2.0, 0.9)
    np.testing.assert_array_equal(lines["x_low"].get_xdata(), x_low)
    np.testing.assert_array_equal(lines["x_high"].get_xdata(), x_high)
    assert mu[0] == 0.0 and mu[-1] == 12.0
