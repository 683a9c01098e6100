// The library's own thread, so that the page never waits on a computation.
// It loads the WebAssembly module and answers each message
// {id, call, args} with {id, result} or {id, error: {name, message}}, one
// at a time in the order they came. Besides the module's own calls there
// are three that only repeat one of them over many requests: "belt" (the
// limits of n = n_first..n_last), "gaussian_belt" (the Gaussian limits of many
// measurements) and "table" (a table's rows, with {id, progress} now and
// then). The numbers are all the module's.
import load_fclimits from "./fclimits.js";

const loading = load_fclimits();

// Progress is posted at most this often, so that a long table's messages
// cost the page nothing.
const progress_interval_ms = 100;

function belt(library, n_first, n_last, b, cl, options) {
  const rows = [];
  for (let n = n_first; n <= n_last; ++n) rows.push(library.limits(n, b, cl, options));
  return rows;
}

function gaussian_belt(library, xs, sigma, cl) {
  return xs.map((x) => library.gaussian_limits(x, sigma, cl));
}

// Each request is {n, b} (Poisson) or {x} (Gaussian); the answer is the
// same list with lower and upper added. Every row is checked before any is
// computed, so a bad value late in a long table costs nothing.
function table(library, id, requests, shared) {
  const { cl, options, sigma } = shared;
  for (const request of requests) {
    const fields = "x" in request ? { x: request.x } : { n: request.n, b: request.b };
    const refused = Object.entries(library.refusals(fields));
    if (refused.length > 0) {
      const [name, reason] = refused[0];
      throw new RangeError(`${name} = ${fields[name]} ${reason}`);
    }
  }
  let posted = performance.now();
  return requests.map((request, index) => {
    const found =
      "x" in request
        ? library.gaussian_limits(request.x, sigma, cl)
        : library.limits(request.n, request.b, cl, options);
    const now = performance.now();
    if (now - posted >= progress_interval_ms) {
      posted = now;
      self.postMessage({ id, progress: { done: index + 1, total: requests.length } });
    }
    return { ...request, lower: found.lower, upper: found.upper };
  });
}

self.onmessage = async ({ data: { id, call, args } }) => {
  const library = await loading;
  try {
    let result;
    if (call === "belt") result = belt(library, ...args);
    else if (call === "gaussian_belt") result = gaussian_belt(library, ...args);
    else if (call === "table") result = table(library, id, ...args);
    else if (typeof library[call] === "function") result = library[call](...args);
    else throw new Error(`fclimits: no call ${call}`);
    self.postMessage({ id, result });
  } catch (error) {
    self.postMessage({ id, error: { name: error.name, message: error.message } });
  }
};
