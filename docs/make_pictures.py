"""Draws docs/belt.png, the belt picture of the README:
PYTHONPATH=build/python /usr/bin/python3 docs/make_belt.py"""

from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

import fclimits.plot  # noqa: E402

figure, ax = plt.subplots(figsize=(6, 5), layout="constrained")
fclimits.plot.belt(3.0, 0.9, ax=ax)
figure.savefig(Path(__file__).with_name("belt.png"), dpi=100)
