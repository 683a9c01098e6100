// window.fclimits: the Python module's calls, names and defaults, each
// returning a promise, computed by the library in its own worker. Options
// are one object of the Python keywords (method, tolerance, correct_upper,
// b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf, ordering, true_b,
// true_eff, averaged). A refusal rejects with a RangeError carrying the
// library's message. For example, in the browser's console:
//   await fclimits.limits(3, 3, 0.9)          // {lower: 0, upper: 4.416...}
//   await fclimits.coverage([1, 2, 3], 3)     // one coverage per mean
//   await fclimits.gaussian_limits(-1.5)      // {lower: 0, upper: 0.555...}
export function library_api(worker) {
  const call = (name, ...args) => worker.call(name, args);
  return Object.freeze({
    limits: (n, b = 0, cl = 0.9, options = {}) => call("limits", n, b, cl, options),
    acceptance_region: (mu, b = 0, cl = 0.9, options = {}) =>
      call("acceptance_region", mu, b, cl, options),
    coverage: (mu, b = 0, cl = 0.9, options = {}) => call("coverage", mu, b, cl, options),
    sensitivity: (b, cl = 0.9, options = {}) => call("sensitivity", b, cl, options),
    gaussian_limits: (x, sigma = 1, cl = 0.9) => call("gaussian_limits", x, sigma, cl),
    gaussian_acceptance: (mu, sigma = 1, cl = 0.9) => call("gaussian_acceptance", mu, sigma, cl),
    version: () => call("version"),
  });
}
