"""Every refusal: the argument, its first offending value and that value's
index, before anything is computed."""

import numpy as np
import pytest

import fclimits

nan = float("nan")
# A count the computation itself refuses: where it stands before a bad
# argument, the argument's refusal shows that nothing was computed first.
too_large = 2147480000


@pytest.mark.parametrize("call, error, message", [
    (lambda: fclimits.limits(-1), ValueError, "n = -1 is not a count"),
    (lambda: fclimits.limits([0, 3, 2.5, -1]), ValueError, "n[2] = 2.5 is not a count"),
    (lambda: fclimits.limits([[0, 1], [nan, 2]]), ValueError, "n[1, 0] = nan is not a count"),
    (lambda: fclimits.limits(2**31), ValueError, "n = 2147483648 is not a count"),
    (lambda: fclimits.limits(np.uint64(2**63)), ValueError, "n = 9223372036854775808 is not"),
    (lambda: fclimits.limits(True), TypeError, "n must be a real number"),
    (lambda: fclimits.limits("3"), TypeError, "n must be a real number"),
    (lambda: fclimits.limits(too_large, [3.0, -1.0]), ValueError,
     "b[1] = -1.0 is not a background: it must be finite and >= 0"),
    (lambda: fclimits.limits(0, [3.0, np.inf]), ValueError, "b[1] = inf is not a background"),
    (lambda: fclimits.limits(0, [705.0, 705.5]), ValueError, "b[1] = 705.5 is too large"),
    (lambda: fclimits.limits(too_large, 3.0, [0.9, 0.0]), ValueError,
     "cl[1] = 0.0 is not a confidence level"),
    (lambda: fclimits.sensitivity(0.0, 1.0), ValueError, "cl = 1.0 is not a confidence level"),
    (lambda: fclimits.coverage(1.0, 0.0, nan), ValueError, "cl = nan is not"),
    (lambda: fclimits.coverage([1.0, -0.5], 0.0), ValueError, "mu[1] = -0.5 is not a signal mean"),
    (lambda: fclimits.acceptance_region(np.inf), ValueError, "mu = inf is not a signal mean"),
    (lambda: fclimits.gaussian_limits([0.5, nan]), ValueError, "x[1] = nan is not a measurement"),
    (lambda: fclimits.gaussian_limits(0.5, [1.0, 0.0]), ValueError,
     "sigma[1] = 0.0 is not a standard deviation: it must be finite and > 0"),
    (lambda: fclimits.gaussian_acceptance(-1.0), ValueError, "mu = -1.0 is not a mean"),
    (lambda: fclimits.gaussian_limits(1.7e308, 1e307), ValueError, "beyond the largest double"),
    (lambda: fclimits.limits(0, tolerance=-0.1), ValueError, "tolerance = -0.1 is not"),
    (lambda: fclimits.limits(0, tolerance=0.1), ValueError, "tolerance = 0.1 is for the console"),
    (lambda: fclimits.limits(0, method="fast"), ValueError, "method = 'fast' is not a search"),
    (lambda: fclimits.limits(0, tolerance=[0.1]), TypeError, "tolerance must be one number"),
    (lambda: fclimits.sensitivity(1.0, threads=0), ValueError, "threads = 0 is not a number"),
    (lambda: fclimits.limits(0, threads=2.5), TypeError, "integer"),
    (lambda: fclimits.limits([too_large, 1, 2], [0.0, 1.0]), ValueError,
     "do not broadcast together: n (3,), b (2,), cl ()"),
    # Found by the library while it computes, as it is no fixed bound.
    (lambda: fclimits.limits(too_large), ValueError, "n = 2147480000 is too large"),
    (lambda: fclimits.coverage([1.0, 2e5]), ValueError, "mu[1] = 200000.0 is too large for cov"),
    (lambda: fclimits.acceptance_region([1.0, 2.5e9]), ValueError, "mu[1] = 2500000000.0 is too"),
    (lambda: fclimits.coverage(1.0, nan), ValueError, "b = nan is not a background"),
    (lambda: fclimits.sensitivity(706), ValueError, "b = 706 is too large: the largest background"),
    (lambda: fclimits.limits(10, 3.0, tolerance=1e308), ValueError, "tolerance = 1e+308 is too"),
    (lambda: fclimits.limits(2**64), ValueError, "n = 18446744073709551616 is not a count"),
    (lambda: fclimits.limits(np.array([1, 2**70], dtype=object)), ValueError,
     "n[1] = 1180591620717411303424 is not a count"),
    (lambda: fclimits.limits(np.array([1, "2"], dtype=object)), TypeError, "not str"),
    # Uncertainties: the library's rule, each request's with its background.
    (lambda: fclimits.limits(too_large, 3.0, b_sigma=[0.1, -0.5]), ValueError,
     "b_sigma[1] = -0.5 is not a standard deviation: it must be finite and >= 0"),
    (lambda: fclimits.limits([0, 1, 2], 3.0, eff_sigma=[[0.1], [-1]]), ValueError,
     "eff_sigma[1, 0] = -1.0 is not a standard deviation"),
    (lambda: fclimits.limits(1, [[2.0], [0.0]], b_sigma=[0.0, 0.5], pdf="lognormal"), ValueError,
     "b_sigma[1] = 0.5 cannot be given to a lognormal background of b = 0"),
    (lambda: fclimits.coverage(1.0, 0.0, b_sigma=0.5, b_pdf="lognormal"), ValueError,
     "b_sigma = 0.5 cannot be given to a lognormal background"),
    (lambda: fclimits.sensitivity(1.0, b_sigma=1.5, pdf="lognormal"), ValueError,
     "b_sigma = 1.5 is too large: a lognormal background's sigma is at most b"),
    (lambda: fclimits.limits(1, 1.0, eff=[1.0, 0.0]), ValueError,
     "eff[1] = 0.0 is not an efficiency: it must be finite and > 0"),
    (lambda: fclimits.acceptance_region(1.0, eff=0.5, eff_sigma=0.6), ValueError,
     "eff_sigma = 0.6 is too large: an efficiency's sigma is at most eff"),
    (lambda: fclimits.limits(1, 1.0, eff_sigma=[0.0, 0.1], method="console"), ValueError,
     "method = 'console' has no uncertainties"),
    (lambda: fclimits.limits(1, pdf="gaus"), ValueError,
     "pdf = 'gaus' is not a pdf: it must be 'gauss' or 'lognormal'"),
    (lambda: fclimits.coverage(1.0, eff_pdf="normal"), ValueError, "eff_pdf = 'normal' is not"),
    (lambda: fclimits.sensitivity(1.0, ordering="hill"), ValueError,
     "ordering = 'hill' is not an ordering: it must be 'conrad' or 'profile'"),
    (lambda: fclimits.limits(1, eff=True), TypeError, "eff must be a real number"),
    (lambda: fclimits.coverage(1.0, 1.0, true_b=1.0, averaged=True), ValueError,
     "averaged coverage draws the background and efficiency from their pdfs"),
    (lambda: fclimits.coverage(1.0, 1.0, true_eff=[1, -1]), ValueError,
     "true_eff[1] = -1 is not an efficiency"),
    (lambda: fclimits.coverage(1.0, 1.0, true_b=np.inf), ValueError, "true_b = inf is not a back"),
    (lambda: fclimits.coverage([1.0, 6e4], eff=2.0, eff_sigma=0.1), ValueError,
     "(eff * mu)[1] = 120000.0 is too large for coverage"),
    (lambda: fclimits.acceptance_region([1.0, 1e9], eff=3.0), ValueError,
     "(eff * mu)[1] = 3000000000.0 is too large"),
])
def test_refuses(call, error, message):
    with pytest.raises(error) as refusal:
        call()
    assert message in str(refusal.value)
