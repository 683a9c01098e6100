"""Pictures of the limits with matplotlib: the confidence belt, the coverage
and the limits against the background.

Each helper draws on ``ax`` (the current Axes when None), labels its axes
and legend, and returns the Axes. The values drawn are those of the
package's functions: a line's data are their arrays.
"""

import numpy as np

import fclimits


def _axes(ax):
    if ax is None:
        import matplotlib.pyplot as plt  # only where no Axes is given

        return plt.gca()
    return ax


def _one_number(value, name):
    if np.ndim(value) != 0:
        raise ValueError(f"fclimits.plot: {name} must be one number, not an array")
    return float(value)


def _level_text(cl):
    return f"{100 * cl:g} % CL"


def belt(b, cl=0.9, ax=None, *, n_max=None, mu_max=None, points=801, correct_upper=True):
    """Draws the confidence belt at background b and level cl.

    The acceptance region of each signal mean, as a band over the counts
    (each accepted count n covering n - 0.5 to n + 0.5), and the limits of
    each count n = 0..n_max as a vertical interval from its lower to its
    upper limit. Where the upper-limit correction applies (counts below the
    background) the upper limit rises above the band's edge.

    Parameters
    ----------
    b, cl : float
        The background and the confidence level.
    ax : matplotlib.axes.Axes, optional
        Where to draw; the current Axes when None.
    n_max : int, optional
        The highest count shown; by default about b + 4 sqrt(b) + 5.
    mu_max : float, optional
        The highest signal mean shown; by default just above the upper
        limit of n_max.
    points : int, optional
        The number of signal means at which the acceptance region is taken.
    correct_upper : bool, optional
        As for :func:`fclimits.limits`.

    Returns
    -------
    matplotlib.axes.Axes
        With the lines "lower limit" and "upper limit" (x: the counts, y:
        their limits) and the band "acceptance region".
    """
    b = _one_number(b, "b")
    cl = _one_number(cl, "cl")
    ax = _axes(ax)
    if n_max is None:
        n_max = int(np.ceil(b + 4 * np.sqrt(b) + 5))
    counts = np.arange(n_max + 1)
    lower, upper = fclimits.limits(counts, b, cl, correct_upper=correct_upper)
    if mu_max is None:
        mu_max = 1.04 * float(upper[-1])  # room for the last marker
    mu = np.linspace(0.0, mu_max, points)
    n_low, n_high, _ = fclimits.acceptance_region(mu, b, cl)
    # A region holds from its mean up to the next one taken.
    ax.fill_betweenx(mu, n_low - 0.5, n_high + 0.5, step="post", alpha=0.3, color="C0",
                     linewidth=0, label="acceptance region")
    ax.vlines(counts, lower, upper, color="C1", linewidth=1.5)
    ax.plot(counts, upper, "v", color="C1", label="upper limit")
    # Lower limits of 0 sit on the axis: their markers are drawn whole.
    ax.plot(counts, lower, "^", color="C2", label="lower limit", clip_on=False)
    ax.set_xlim(-0.5, n_max + 0.5)
    ax.set_ylim(0.0, mu_max)
    ax.set_xlabel("measured count n")
    ax.set_ylabel("signal mean μ")
    ax.set_title(f"Feldman-Cousins belt, b = {b:g}, {_level_text(cl)}")
    ax.legend(loc="upper left")
    return ax


def coverage(b, cl=0.9, ax=None, *, mu_max=10.0, points=401, tolerance=None,
             correct_upper=True):
    """Draws the coverage of the intervals against the true signal mean,
    with the level cl marked.

    Parameters
    ----------
    b, cl : float
        The background and the confidence level.
    ax : matplotlib.axes.Axes, optional
        Where to draw; the current Axes when None.
    mu_max : float, optional
        The highest true signal mean shown.
    points : int, optional
        The number of means from 0 to mu_max.
    tolerance, correct_upper
        As for :func:`fclimits.limits`.

    Returns
    -------
    matplotlib.axes.Axes
        With the lines "coverage" (x: the means, y: their coverage) and
        "confidence level".
    """
    b = _one_number(b, "b")
    cl = _one_number(cl, "cl")
    ax = _axes(ax)
    mu = np.linspace(0.0, mu_max, points)
    covered = fclimits.coverage(mu, b, cl, tolerance=tolerance, correct_upper=correct_upper)
    ax.plot(mu, covered, color="C0", label="coverage")
    ax.axhline(cl, color="k", linestyle="--", linewidth=1, label="confidence level")
    ax.set_xlabel("true signal mean μ")
    ax.set_ylabel("coverage")
    ax.set_title(f"Coverage, b = {b:g}, {_level_text(cl)}")
    ax.legend(loc="best")
    return ax


def limits(n, b_values, cl=0.9, ax=None, *, raw=True, tolerance=None):
    """Draws the lower and upper limits of counts n against the background.

    With ``raw`` the raw upper limit (without the correction for backgrounds
    above the count) is drawn dashed as well, so the correction's effect
    shows where the two part.

    Parameters
    ----------
    n : int or sequence of int
        The counts, one set of lines each.
    b_values : array_like
        The backgrounds, the x values.
    cl : float
        The confidence level.
    ax : matplotlib.axes.Axes, optional
        Where to draw; the current Axes when None.
    raw : bool, optional
        Whether to draw the raw upper limit too.
    tolerance
        As for :func:`fclimits.limits`.

    Returns
    -------
    matplotlib.axes.Axes
        With, for each count, the lines "upper limit, n = ..." and
        "lower limit, n = ..." (and "raw upper limit, n = ...").
    """
    counts = np.atleast_1d(n)
    if counts.ndim != 1:
        raise ValueError("fclimits.plot: n must be one count or a sequence of counts")
    b_values = np.asarray(b_values, dtype=np.float64)
    if b_values.ndim != 1:
        raise ValueError("fclimits.plot: b_values must be a sequence of backgrounds")
    cl = _one_number(cl, "cl")
    ax = _axes(ax)
    lower, upper = fclimits.limits(counts[:, None], b_values, cl, tolerance=tolerance)
    if raw:
        raw_upper = fclimits.limits(counts[:, None], b_values, cl, tolerance=tolerance,
                                    correct_upper=False)[1]
    for k, count in enumerate(counts):
        color = f"C{k % 10}"
        ax.plot(b_values, upper[k], color=color, label=f"upper limit, n = {count}")
        if raw:
            ax.plot(b_values, raw_upper[k], color=color, linestyle="--",
                    label=f"raw upper limit, n = {count}")
        ax.plot(b_values, lower[k], color=color, linestyle=":", label=f"lower limit, n = {count}")
    ax.set_xlabel("background b")
    ax.set_ylabel("signal mean μ")
    ax.set_title(f"Limits against the background, {_level_text(cl)}")
    ax.legend()
    return ax
