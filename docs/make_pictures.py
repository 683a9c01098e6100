"""Draws the pictures of the README, docs/method.md and docs/python.md:
PYTHONPATH=build/python /usr/bin/python3 docs/make_pictures.py

belt.png                the 90 % confidence belt at b = 3
coverage.png            the coverage of its intervals against the true mean
limits.png              the limits of n = 0..3 against the background, raw and corrected
coverage_uncertain.png  the coverage at b = 0 with the efficiency known to 0, 20 and 40 %
gaussian_belt.png       the 90 % belt of a Gaussian measurement of a mean bounded at zero
"""

from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import fclimits.plot  # noqa: E402

here = Path(__file__).parent
pictures = {
    "belt.png": ((6, 5), lambda ax: fclimits.plot.belt(3.0, 0.9, ax=ax)),
    "coverage.png": ((7, 4.5), lambda ax: fclimits.plot.coverage(3.0, 0.9, ax=ax, mu_max=10.0)),
    "limits.png": ((7, 4.5), lambda ax: fclimits.plot.limits([0, 1, 2, 3], np.arange(801) * 0.01,
                                                             0.9, ax=ax)),
    "coverage_uncertain.png": ((7, 4.5), lambda ax: fclimits.plot.coverage(
        0.0, 0.9, ax=ax, mu_max=10.0, eff_sigma=[0.0, 0.2, 0.4])),
    "gaussian_belt.png": ((6, 5), lambda ax: fclimits.plot.gaussian_belt(0.9, ax=ax)),
}
for name, (size, draw) in pictures.items():
    figure, ax = plt.subplots(figsize=size, layout="constrained")
    draw(ax)
    # No date or software version inside, so an unchanged picture is the same file.
    figure.savefig(here / name, dpi=100, metadata={"Software": None})
    plt.close(figure)
