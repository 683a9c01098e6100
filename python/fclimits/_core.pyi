# Type stubs of the compiled core. Its calls take C-contiguous buffers the
# package has checked, broadcast and converted; use the package's functions.
from typing import Optional, Tuple

import numpy as np

version: str
max_background: float
max_mean: float
max_coverage_mean: float
max_tolerance: float
tail_probability: float

def limits(n: np.ndarray, b: np.ndarray, cl: np.ndarray, method: str, tolerance: float,
           correct_upper: bool, threads: int) -> np.ndarray: ...
def acceptance_region(mu: np.ndarray, b: np.ndarray, cl: np.ndarray,
                      threads: int) -> Tuple[np.ndarray, np.ndarray, np.ndarray]: ...
def sensitivity(b: np.ndarray, cl: np.ndarray, method: str, tolerance: float, correct_upper: bool,
                threads: int) -> np.ndarray: ...
def coverage(mu: np.ndarray, b: np.ndarray, cl: np.ndarray, method: str, tolerance: float,
             correct_upper: bool, threads: int) -> np.ndarray: ...
def uncertain_limits(n: np.ndarray, b: np.ndarray, cl: np.ndarray, b_sigma: np.ndarray,
                     eff: np.ndarray, eff_sigma: np.ndarray, b_pdf: str, eff_pdf: str,
                     ordering: str, method: str, tolerance: float, correct_upper: bool,
                     threads: int) -> np.ndarray: ...
def uncertain_acceptance_region(
        mu: np.ndarray, b: np.ndarray, cl: np.ndarray, b_sigma: np.ndarray, eff: np.ndarray,
        eff_sigma: np.ndarray, b_pdf: str, eff_pdf: str, ordering: str,
        threads: int) -> Tuple[np.ndarray, np.ndarray, np.ndarray, np.ndarray]: ...
def uncertain_sensitivity(b: np.ndarray, cl: np.ndarray, b_sigma: np.ndarray, eff: np.ndarray,
                          eff_sigma: np.ndarray, b_pdf: str, eff_pdf: str, ordering: str,
                          method: str, tolerance: float, correct_upper: bool,
                          threads: int) -> np.ndarray: ...
def uncertain_coverage(mu: np.ndarray, b: np.ndarray, cl: np.ndarray, b_sigma: np.ndarray,
                       eff: np.ndarray, eff_sigma: np.ndarray, b_pdf: str, eff_pdf: str,
                       ordering: str, true_b: Optional[np.ndarray], true_eff: Optional[np.ndarray],
                       averaged: bool, method: str, tolerance: float, correct_upper: bool,
                       threads: int) -> np.ndarray: ...
def gaussian_limits(x: np.ndarray, sigma: np.ndarray, cl: np.ndarray,
                    threads: int) -> np.ndarray: ...
def gaussian_acceptance(mu: np.ndarray, sigma: np.ndarray, cl: np.ndarray,
                        threads: int) -> np.ndarray: ...
def first_refusal(kind: str, values: np.ndarray) -> Optional[Tuple[int, str]]: ...
def first_uncertainty_refusal(b: np.ndarray, b_sigma: np.ndarray, eff: np.ndarray,
                              eff_sigma: np.ndarray, b_pdf: str, eff_pdf: str,
                              ordering: str) -> Optional[Tuple[int, str, str]]: ...
