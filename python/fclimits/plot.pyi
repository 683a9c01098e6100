# Type stubs of fclimits.plot. The docstrings in plot.py are the manual.
from typing import Any, Optional, Sequence, Union

import numpy.typing as npt

def belt(b: float, cl: float = ..., ax: Optional[Any] = ..., *, n_max: Optional[int] = ...,
         mu_max: Optional[float] = ..., points: int = ..., correct_upper: bool = ...,
         b_sigma: float = ..., eff: float = ..., eff_sigma: float = ..., pdf: str = ...,
         b_pdf: Optional[str] = ..., eff_pdf: Optional[str] = ...,
         ordering: str = ...) -> Any: ...
def coverage(b: float, cl: float = ..., ax: Optional[Any] = ..., *, mu_max: float = ...,
             points: int = ..., method: str = ..., tolerance: Optional[float] = ...,
             correct_upper: bool = ..., b_sigma: Union[float, Sequence[float]] = ...,
             eff: float = ..., eff_sigma: Union[float, Sequence[float]] = ..., pdf: str = ...,
             b_pdf: Optional[str] = ..., eff_pdf: Optional[str] = ..., ordering: str = ...,
             true_b: Optional[float] = ..., true_eff: Optional[float] = ...,
             averaged: bool = ...) -> Any: ...
def gaussian_belt(cl: float = ..., sigma: float = ..., ax: Optional[Any] = ..., *,
                  x_min: Optional[float] = ..., x_max: Optional[float] = ...,
                  mu_max: Optional[float] = ..., points: int = ...) -> Any: ...
def limits(n: npt.ArrayLike, b_values: npt.ArrayLike, cl: float = ..., ax: Optional[Any] = ...,
           *, raw: bool = ..., method: str = ...,
           tolerance: Optional[float] = ...) -> Any: ...
