# Type stubs of the package fclimits: what editors complete and type
# checkers check. The docstrings in __init__.py are the manual.
from typing import NamedTuple, Optional

import numpy as np
import numpy.typing as npt

__version__: str
max_background: float
max_mean: float
max_coverage_mean: float
max_tolerance: float
tail_probability: float

class Acceptance(NamedTuple):
    n_low: np.ndarray
    n_high: np.ndarray
    probability: np.ndarray
    # An attribute, not a field: the tuple is (n_low, n_high, probability).
    @property
    def contiguous(self) -> np.ndarray: ...

def limits(
    n: npt.ArrayLike,
    b: npt.ArrayLike = ...,
    cl: npt.ArrayLike = ...,
    *,
    b_sigma: npt.ArrayLike = ...,
    eff: npt.ArrayLike = ...,
    eff_sigma: npt.ArrayLike = ...,
    pdf: str = ...,
    b_pdf: Optional[str] = ...,
    eff_pdf: Optional[str] = ...,
    ordering: str = ...,
    method: str = ...,
    tolerance: Optional[float] = ...,
    correct_upper: bool = ...,
    threads: Optional[int] = ...,
) -> np.ndarray: ...
def acceptance_region(
    mu: npt.ArrayLike,
    b: npt.ArrayLike = ...,
    cl: npt.ArrayLike = ...,
    *,
    b_sigma: npt.ArrayLike = ...,
    eff: npt.ArrayLike = ...,
    eff_sigma: npt.ArrayLike = ...,
    pdf: str = ...,
    b_pdf: Optional[str] = ...,
    eff_pdf: Optional[str] = ...,
    ordering: str = ...,
    threads: Optional[int] = ...,
) -> Acceptance: ...
def sensitivity(
    b: npt.ArrayLike,
    cl: npt.ArrayLike = ...,
    *,
    b_sigma: npt.ArrayLike = ...,
    eff: npt.ArrayLike = ...,
    eff_sigma: npt.ArrayLike = ...,
    pdf: str = ...,
    b_pdf: Optional[str] = ...,
    eff_pdf: Optional[str] = ...,
    ordering: str = ...,
    method: str = ...,
    tolerance: Optional[float] = ...,
    correct_upper: bool = ...,
    threads: Optional[int] = ...,
) -> np.ndarray: ...
def gaussian_limits(
    x: npt.ArrayLike,
    sigma: npt.ArrayLike = ...,
    cl: npt.ArrayLike = ...,
    *,
    threads: Optional[int] = ...,
) -> np.ndarray: ...
def gaussian_acceptance(
    mu: npt.ArrayLike,
    sigma: npt.ArrayLike = ...,
    cl: npt.ArrayLike = ...,
    *,
    threads: Optional[int] = ...,
) -> np.ndarray: ...
def coverage(
    mu: npt.ArrayLike,
    b: npt.ArrayLike = ...,
    cl: npt.ArrayLike = ...,
    *,
    b_sigma: npt.ArrayLike = ...,
    eff: npt.ArrayLike = ...,
    eff_sigma: npt.ArrayLike = ...,
    pdf: str = ...,
    b_pdf: Optional[str] = ...,
    eff_pdf: Optional[str] = ...,
    ordering: str = ...,
    true_b: Optional[npt.ArrayLike] = ...,
    true_eff: Optional[npt.ArrayLike] = ...,
    averaged: bool = ...,
    method: str = ...,
    tolerance: Optional[float] = ...,
    correct_upper: bool = ...,
    threads: Optional[int] = ...,
) -> np.ndarray: ...
