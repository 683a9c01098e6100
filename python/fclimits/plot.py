"""Pictures of the limits with matplotlib: the confidence belt, the coverage
and the limits against the background; the belt of a Gaussian measurement
of a mean bounded at zero.

Each helper draws on ``ax`` (the current Axes when None), labels its axes
and legend, and returns the Axes. The values drawn are those of the
package's functions: a line's data are their arrays.
"""

import numpy as np

import fclimits
from fclimits import _arguments


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


def _uncertainties(b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf, ordering):
    """The keywords of the package's functions; one number each, as one
    picture has one model."""
    return {"b_sigma": _one_number(b_sigma, "b_sigma"), "eff": _one_number(eff, "eff"),
            "eff_sigma": _one_number(eff_sigma, "eff_sigma"), "pdf": pdf, "b_pdf": b_pdf,
            "eff_pdf": eff_pdf, "ordering": ordering}


def _model_text(b, u):
    """"b = 3 ± 0.5, ε = 0.8 ± 0.2": the uncertainties where there are any."""
    text = f"b = {b:g}" + (f" ± {u['b_sigma']:g}" if u["b_sigma"] else "")
    if u["eff"] != 1.0 or u["eff_sigma"]:
        text += f", ε = {u['eff']:g}" + (f" ± {u['eff_sigma']:g}" if u["eff_sigma"] else "")
    return text


def belt(b, cl=0.9, ax=None, *, n_max=None, mu_max=None, points=801, correct_upper=True,
         b_sigma=0.0, eff=1.0, eff_sigma=0.0, pdf="gauss", b_pdf=None, eff_pdf=None,
         ordering="conrad"):
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
    b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf, ordering
        The uncertainties, one number each, as for :func:`fclimits.limits`:
        the belt of the signal s. Where a region is not contiguous the band
        still spans n_low to n_high.

    Returns
    -------
    matplotlib.axes.Axes
        With the lines "lower limit" and "upper limit" (x: the counts, y:
        their limits) and the band "acceptance region".
    """
    b = _one_number(b, "b")
    cl = _one_number(cl, "cl")
    u = _uncertainties(b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf, ordering)
    ax = _axes(ax)
    if n_max is None:
        n_max = int(np.ceil(b + 4 * np.sqrt(b) + 5))
    counts = np.arange(n_max + 1)
    lower, upper = fclimits.limits(counts, b, cl, correct_upper=correct_upper, **u)
    if mu_max is None:
        mu_max = 1.04 * float(upper[-1])  # room for the last marker
    mu = np.linspace(0.0, mu_max, points)
    n_low, n_high, _ = fclimits.acceptance_region(mu, b, cl, **u)
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
    ax.set_title(f"Feldman-Cousins belt, {_model_text(b, u)}, {_level_text(cl)}")
    ax.legend(loc="upper left")
    return ax


def coverage(b, cl=0.9, ax=None, *, mu_max=10.0, points=401, method="exact", tolerance=None,
             correct_upper=True, b_sigma=0.0, eff=1.0, eff_sigma=0.0, pdf="gauss", b_pdf=None,
             eff_pdf=None, ordering="conrad", true_b=None, true_eff=None, averaged=False):
    """Draws the coverage of the intervals against the true signal mean,
    with the level cl, the lowest coverage and the share of means below cl
    marked; with a sequence of b_sigma or eff_sigma values, one curve each.

    The coverage jumps wherever the mean crosses a limit of some count: it
    is drawn at ``points`` evenly spaced means and also at each limit from
    0 to mu_max and the doubles on either side of it, so every jump is a
    vertical step at its place. Between jumps it is the probability of a
    fixed run of counts, which rises and then falls, so its lowest values
    lie beside the jumps or at the ends: the minimum marked is the minimum
    over the whole range.

    Parameters
    ----------
    b, cl : float
        The background and the confidence level.
    ax : matplotlib.axes.Axes, optional
        Where to draw; the current Axes when None.
    mu_max : float, optional
        The highest true signal mean shown.
    points : int, optional
        The number of evenly spaced means from 0 to mu_max; the share of
        means below cl is taken over them.
    method, tolerance, correct_upper
        As for :func:`fclimits.limits`.
    b_sigma, eff_sigma : float or sequence of float, optional
        The uncertainties, as for :func:`fclimits.coverage`. One of them
        may be a sequence: one curve for each of its values, in the colours
        C0, C1, ..., with a legend entry each; the picture users ask for,
        the coverage for an efficiency known to 0, 20 and 40 %, is
        ``coverage(0.0, 0.9, eff_sigma=[0.0, 0.2, 0.4])``.
    eff, pdf, b_pdf, eff_pdf, ordering, true_b, true_eff, averaged
        As for :func:`fclimits.coverage`, one value each.

    Returns
    -------
    matplotlib.axes.Axes
        With one curve: the lines "coverage" (x: the means, evenly spaced
        and at the jumps, y: their coverage), "minimum" (one point) and
        "confidence level"; the legend gives the minimum and the share of
        means below cl. With several: the lines "eff_sigma = 0.2" (or
        b_sigma), their legend entries giving each one's minimum and share
        below cl, the points "_minimum, eff_sigma = 0.2" (no legend entry)
        and the level.
    """
    b = _one_number(b, "b")
    cl = _one_number(cl, "cl")
    # Checked before the limits around it are sought: their number grows with it.
    mu_max = float(_arguments._checked("mu_max", "coverage_mean", _one_number(mu_max, "mu_max")))
    sigmas = {"b_sigma": b_sigma, "eff_sigma": eff_sigma}
    swept, values = _swept(sigmas)
    if swept:
        sigmas[swept] = 0.0  # each curve's own below
    u = _uncertainties(eff=eff, pdf=pdf, b_pdf=b_pdf, eff_pdf=eff_pdf, ordering=ordering, **sigmas)
    drawn = {"true_b": None if true_b is None else _one_number(true_b, "true_b"),
             "true_eff": None if true_eff is None else _one_number(true_eff, "true_eff"),
             "averaged": bool(averaged)}
    # The counts are drawn at eff * mu: checked too before the limits are sought.
    drawn_eff = u["eff"] if drawn["true_eff"] is None else drawn["true_eff"]
    _arguments._checked("true_eff" if drawn["true_eff"] is not None else "eff", "efficiency",
                        drawn_eff)
    _arguments.scaled_means("(eff * mu_max)", drawn_eff, mu_max, for_coverage=True)
    ax = _axes(ax)
    how = {"method": method, "tolerance": tolerance, "correct_upper": correct_upper}
    grid = np.linspace(0.0, mu_max, points)
    for k, value in enumerate(values):
        model = {**u, swept: value} if swept else u
        mu = np.union1d(grid, _around_limits(b, cl, mu_max, how, model, drawn))
        covered = fclimits.coverage(mu, b, cl, **how, **model, **drawn)
        below = int(np.count_nonzero(covered[np.searchsorted(mu, grid)] < cl))
        lowest = int(np.argmin(covered))
        minimum = f"minimum {covered[lowest]:.4f}\nat μ = {mu[lowest]:.4g}"
        if swept:
            name = f"{swept} = {value:g}"
            ax.plot(mu, covered, color=f"C{k}", linewidth=1.2,
                    label=f"{name}\n{minimum}\n{below} of {grid.size} means below")
            ax.plot(mu[lowest], covered[lowest], "o", color=f"C{k}", clip_on=False,
                    label=f"_minimum, {name}")
        else:
            ax.plot(mu, covered, color="C0", linewidth=1.2, label="coverage")
            ax.plot(mu[lowest], covered[lowest], "o", color="C3", clip_on=False, label=minimum)
    level = _level_text(cl)
    if not swept:
        level += f"; below it:\n{below} of {grid.size} evenly\nspaced means"
    ax.axhline(cl, color="k", linestyle="--", linewidth=1, label=level)
    ax.set_xlim(0.0, mu_max)
    ax.set_xlabel("true signal mean μ")
    ax.set_ylabel("coverage")
    ax.set_title(f"Coverage, {_model_text(b, u)}{_truth_text(drawn)}, {_level_text(cl)}")
    # Beside the axes: the curve fills them, jumps reach far up and down.
    ax.legend(loc="upper left", bbox_to_anchor=(1.02, 1.0), borderaxespad=0.0, frameon=False)
    return ax


def _swept(sigmas):
    """(name, values) of the one sigma given as a sequence, else (None, [None])."""
    swept = {name: value for name, value in sigmas.items() if np.ndim(value) != 0}
    if not swept:
        return None, [None]
    if len(swept) > 1 or np.ndim(next(iter(swept.values()))) != 1:
        raise ValueError("fclimits.plot: only one of b_sigma and eff_sigma may be a sequence, "
                         "of numbers, one curve each")
    ((name, values),) = swept.items()
    return name, [float(value) for value in values]


def _truth_text(drawn):
    if drawn["averaged"]:
        return ", counts averaged over the pdfs"
    text = "" if drawn["true_b"] is None else f", true b = {drawn['true_b']:g}"
    return text + ("" if drawn["true_eff"] is None else f", true ε = {drawn['true_eff']:g}")


def _around_limits(b, cl, mu_max, how, u, drawn):
    """The limits from 0 to mu_max of every count that weighs in the
    coverage there, each with the doubles just below and above it."""
    # The largest mean the counts are drawn at; averaged over the pdfs, with
    # seven of their sigmas to spare. Counts more than 7 standard deviations
    # above it weigh less than the coverage sums leave out
    # (tail_probability): their jumps could not be seen. The bound is fixed
    # before any limit is computed.
    eff = drawn["true_eff"] or u["eff"]
    b_drawn = b if drawn["true_b"] is None else drawn["true_b"]
    if drawn["averaged"]:
        eff += 7 * u["eff_sigma"]
        b_drawn += 7 * u["b_sigma"]
    top = eff * mu_max + b_drawn
    last = int(np.ceil(top + 7 * np.sqrt(top) + 10))
    edges = []
    for first in range(0, last + 1, _counts_at_once):
        lower, upper = fclimits.limits(np.arange(first, min(first + _counts_at_once, last + 1)),
                                       b, cl, **how, **u)
        edges += [lower[lower <= mu_max], upper[upper <= mu_max]]
        # The lower limit of n, the least mean whose region reaches n, does
        # not fall as n grows (with uncertainties, as far as seen): past a
        # run of them above mu_max no count has a limit in range. A high
        # count's limit costs most with uncertainties.
        if lower.min() > mu_max:
            break
    edges = np.concatenate(edges)
    beside = np.concatenate([np.nextafter(edges, -np.inf), edges, np.nextafter(edges, np.inf)])
    return beside[(beside >= 0.0) & (beside <= mu_max)]


# The counts whose limits _around_limits asks for in one call: enough to
# keep the cores busy.
_counts_at_once = 8


# The line style of each kind of limit; the colour tells the count.
_limit_styles = {"upper limit": "-", "raw upper limit": "--", "lower limit": ":"}


def limits(n, b_values, cl=0.9, ax=None, *, raw=True, method="exact", tolerance=None):
    """Draws the lower and upper limits of counts n against the background.

    Each count has its colour and each kind of limit its line style: the
    upper limit solid, the lower limit dotted and, with ``raw``, the raw
    upper limit (without the correction for backgrounds above the count)
    dashed, so the correction's effect shows where it parts from the upper
    limit. The legend, one entry per count and one per kind, stands to the
    right of the axes, clear of the data; a figure made with
    ``layout="constrained"`` (or saved with ``bbox_inches="tight"``) makes
    room for it.

    Parameters
    ----------
    n : int or sequence of int
        The counts, one colour each (the colours repeat after ten).
    b_values : array_like
        The backgrounds, the x values.
    cl : float
        The confidence level.
    ax : matplotlib.axes.Axes, optional
        Where to draw; the current Axes when None.
    raw : bool, optional
        Whether to draw the raw upper limit too.
    method, tolerance
        As for :func:`fclimits.limits`.

    Returns
    -------
    matplotlib.axes.Axes
        With, for each count, the lines "upper limit, n = ..." and
        "lower limit, n = ..." (and "raw upper limit, n = ..."), and a
        legend of the entries "n = ..." and the kinds.
    """
    counts = np.atleast_1d(n)
    if counts.ndim != 1:
        raise ValueError("fclimits.plot: n must be one count or a sequence of counts")
    b_values = np.asarray(b_values, dtype=np.float64)
    if b_values.ndim != 1:
        raise ValueError("fclimits.plot: b_values must be a sequence of backgrounds")
    cl = _one_number(cl, "cl")
    ax = _axes(ax)
    how = {"method": method, "tolerance": tolerance}
    lower, upper = fclimits.limits(counts[:, None], b_values, cl, **how)
    drawn = {"upper limit": upper, "lower limit": lower}
    if raw:
        drawn["raw upper limit"] = fclimits.limits(counts[:, None], b_values, cl, **how,
                                                   correct_upper=False)[1]
    from matplotlib.lines import Line2D  # matplotlib only where a picture is drawn

    entries = []
    for k, count in enumerate(counts):
        color = f"C{k % 10}"
        # The raw limit first, so the corrected one is drawn over it where they agree.
        for kind in ("raw upper limit", "upper limit", "lower limit"):
            if kind in drawn:
                ax.plot(b_values, drawn[kind][k], color=color, linestyle=_limit_styles[kind],
                        label=f"{kind}, n = {count}")
        entries.append(Line2D([], [], color=color, linewidth=4, label=f"n = {count}"))
    for kind in ("upper limit", "raw upper limit", "lower limit"):
        if kind in drawn:
            entries.append(Line2D([], [], color="0.3", linestyle=_limit_styles[kind], label=kind))
    ax.set_xlabel("background b")
    ax.set_ylabel("signal mean μ")
    ax.set_title(f"Limits against the background, {_level_text(cl)}")
    ax.legend(handles=entries, loc="upper left", bbox_to_anchor=(1.02, 1.0), borderaxespad=0.0,
              handlelength=2.5, frameon=False)
    return ax


def gaussian_belt(cl=0.9, sigma=1.0, ax=None, *, x_min=None, x_max=None, mu_max=None,
                  points=601):
    """Draws the confidence belt of a Gaussian measurement x of a mean
    mu >= 0, as Feldman and Cousins draw it: x on the horizontal axis, mu on
    the vertical, the acceptance interval [x_low, x_high] of each mean
    shaded. The confidence interval of a measurement is where a vertical
    line through it crosses the band.

    Parameters
    ----------
    cl, sigma : float
        The confidence level and the standard deviation.
    ax : matplotlib.axes.Axes, optional
        Where to draw; the current Axes when None.
    x_min, x_max : float, optional
        The measurements shown; by default -2 sigma to 4 sigma, as in the
        paper.
    mu_max : float, optional
        The highest mean shown; by default 6 sigma.
    points : int, optional
        The number of means, evenly spaced from 0 to mu_max, at which the
        acceptance interval is taken.

    Returns
    -------
    matplotlib.axes.Axes
        With the lines "x_low" and "x_high" (x: the edges, y: the means; at
        mu = 0 and cl >= 0.5 x_low is -inf, which is not drawn) and the band
        "acceptance interval".
    """
    cl = _one_number(cl, "cl")
    sigma = _one_number(sigma, "sigma")
    x_min = -2.0 * sigma if x_min is None else _one_number(x_min, "x_min")
    x_max = 4.0 * sigma if x_max is None else _one_number(x_max, "x_max")
    mu_max = 6.0 * sigma if mu_max is None else _one_number(mu_max, "mu_max")
    ax = _axes(ax)
    mu = np.linspace(0.0, mu_max, points)
    x_low, x_high = fclimits.gaussian_acceptance(mu, sigma, cl)
    # An edge at -inf (mu = 0) reaches past the left of the picture.
    shown_low = np.maximum(x_low, x_min - (x_max - x_min))
    ax.fill_betweenx(mu, shown_low, x_high, alpha=0.3, color="C0", linewidth=0,
                     label="acceptance interval")
    ax.plot(x_low, mu, color="C0", linewidth=1.2, label="x_low")
    ax.plot(x_high, mu, color="C0", linewidth=1.2, label="x_high")
    ax.set_xlim(x_min, x_max)
    ax.set_ylim(0.0, mu_max)
    ax.set_xlabel("measured x" + ("" if sigma == 1.0 else f" (σ = {sigma:g})"))
    ax.set_ylabel("mean μ")
    ax.set_title(f"Feldman-Cousins belt, Gaussian mean bounded at 0, {_level_text(cl)}")
    ax.legend(loc="upper left", handles=ax.collections[-1:])
    return ax
