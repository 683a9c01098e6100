// The calculator: reads the form, keeps every input in the address, asks
// the library's worker for the limits and pictures as the user types, and
// puts each refusal beside its field. Computes nothing itself.
import { library_api } from "./api.mjs";
import { LibraryWorker } from "./library_worker.mjs";
import { draw_belt, draw_coverage, draw_gaussian_belt } from "./plots.mjs";
import { start_tables } from "./tables.mjs";

const number_names = ["n", "b", "x", "sigma", "cl", "b_sigma", "eff", "eff_sigma"];
const word_names = ["method", "pdf", "ordering"];
const table_names = ["table_n", "table_b", "table_x"];
const uncertainty_names = ["b_sigma", "eff", "eff_sigma", "pdf", "ordering"];
const by_case = {
  poisson: ["n", "b", "cl", "method", ...uncertainty_names],
  gaussian: ["x", "sigma", "cl"],
};
// Always in the address, so that a link reads as the request it is.
const always_written = { poisson: ["n", "b", "cl"], gaussian: ["x", "sigma", "cl"] };

const field = (id) => document.getElementById(id);
const calculator = new LibraryWorker();
window.fclimits = library_api(calculator);

// The pictures ask for many limits, which can take seconds for a large
// count or with uncertainties: they have a worker of their own, ended and
// started afresh when the form changes while it is busy.
let pictures = new LibraryWorker();
let pictures_busy = 0;
function draw_call(name, args) {
  const worker = pictures;
  ++pictures_busy;
  return worker.call(name, args).finally(() => {
    if (worker === pictures) --pictures_busy;
  });
}
function restart_pictures() {
  if (pictures_busy === 0) return;
  pictures.terminate();
  pictures = new LibraryWorker();
  pictures_busy = 0;
}

const defaults = Object.fromEntries(
  [...number_names, ...word_names, ...table_names].map((name) => [name, field(name).value]));

const measurement_case = () => document.querySelector('input[name="case"]:checked').value;

function set_case(kind) {
  document.querySelector(`input[name="case"][value="${kind}"]`).checked = true;
  document.body.className = kind;
}

// A decimal number as typed, or why it is not one.
function number_of(text) {
  const typed = text.trim();
  if (typed === "") return { error: "enter a number" };
  if (!/^[+-]?(\d+\.?\d*|\.\d+)(e[+-]?\d+)?$/i.test(typed)) return { error: `"${typed}" is not a number` };
  return { value: Number(typed) };
}

// The request the form holds: {kind, fields, options, errors}; errors
// names each field whose text is not a number.
export function read_request() {
  const kind = measurement_case();
  const fields = {};
  const errors = {};
  for (const name of by_case[kind]) {
    if (word_names.includes(name)) {
      fields[name] = field(name).value;
      continue;
    }
    const parsed = number_of(field(name).value);
    if (parsed.error) errors[name] = parsed.error;
    else fields[name] = parsed.value;
  }
  const options = {};
  for (const name of ["method", ...uncertainty_names]) {
    if (name in fields) options[name] = fields[name];
  }
  return { kind, fields, options, errors };
}

function write_address() {
  const kind = measurement_case();
  const query = new URLSearchParams();
  const names = [...by_case[kind], ...table_names.filter((name) => field(name).closest(`.${kind}`))];
  for (const name of names) {
    const value = field(name).value.trim();
    if (always_written[kind].includes(name) || value !== defaults[name]) query.set(name, value);
  }
  history.replaceState(null, "", `?${query.toString().replaceAll("%3A", ":").replaceAll("%2C", ",")}`);
}

function read_address() {
  const query = new URLSearchParams(location.search);
  set_case(query.has("x") || query.has("sigma") ? "gaussian" : "poisson");
  for (const name of [...number_names, ...word_names, ...table_names]) {
    if (query.has(name)) field(name).value = query.get(name);
  }
  if (uncertainty_names.some((name) => query.has(name))) {
    field("uncertain").open = true;
  }
}

function show_messages(messages) {
  for (const name of [...number_names, "method"]) {
    const message = messages[name] ?? "";
    field(`${name}-message`).textContent = message;
    field(name).setAttribute("aria-invalid", message ? "true" : "false");
  }
}

function show_limits(found, cl) {
  field("level-text").textContent = `${Number((100 * cl).toPrecision(6))} %`;
  field("rounded").textContent = found ? `[${found.lower.toFixed(2)}, ${found.upper.toFixed(2)}]` : "—";
  field("lower").textContent = found ? String(found.lower) : "—";
  field("upper").textContent = found ? String(found.upper) : "—";
}

function clear_pictures() {
  field("belt-picture").replaceChildren();
  field("coverage-picture").replaceChildren();
}

// The counts the belt shows: the measured one among its neighbours, fewer
// of them for a large count, whose limits cost more each.
function belt_counts(n, b) {
  if (n > 1000) return [n - 8, n + 4];
  const n_first = Math.max(0, n - 40);
  const n_last = Math.max(15, n + 5, Math.ceil(b + 3 * Math.sqrt(b) + 5));
  return [n_first, Math.min(n_last, n_first + 60)];
}

// A picture the library refused to draw says why in its caption.
async function picture(caption, draw) {
  try {
    await draw();
  } catch (error) {
    if (error.message !== "fclimits: stopped") field(caption).textContent = error.message;
  }
}

const coverage_points = 240;

// Each update is stale once the form changes again; a stale one stops asking.
let generation = 0;

async function update_poisson({ fields, options }, current) {
  const { n, b, cl } = fields;
  const found = await calculator.call("limits", [n, b, cl, options]);
  if (!current()) return;
  show_limits(found, cl);
  await picture("belt-caption", async () => {
    const [n_first, n_last] = belt_counts(n, b);
    const rows = await draw_call("belt", [n_first, n_last, b, cl, options]);
    if (current()) draw_belt(field("belt-picture"), { rows, n_first, n, b, cl });
  });
  if (!current()) return;
  await picture("coverage-caption", async () => {
    const mu_last = Math.max(5, 1.5 * found.upper);
    const means = Array.from({ length: coverage_points }, (_, i) => (mu_last * i) / (coverage_points - 1));
    const coverage = await draw_call("coverage", [means, b, cl, options]);
    if (current()) draw_coverage(field("coverage-picture"), { means, coverage, b, cl });
  });
}

async function update_gaussian({ fields }, current) {
  const { x, sigma, cl } = fields;
  const found = await calculator.call("gaussian_limits", [x, sigma, cl]);
  if (!current()) return;
  show_limits(found, cl);
  const [x_first, x_last] = [Math.min(-3 * sigma, x - 2 * sigma), Math.max(4 * sigma, x + 3 * sigma)];
  const xs = Array.from({ length: 161 }, (_, i) => x_first + ((x_last - x_first) * i) / 160);
  field("coverage-picture").replaceChildren();
  await picture("belt-caption", async () => {
    const rows = await draw_call("gaussian_belt", [xs, sigma, cl]);
    if (current()) draw_gaussian_belt(field("belt-picture"), { xs, rows, x, sigma, cl });
  });
}

async function update() {
  const mine = generation;
  const current = () => mine === generation;
  const request = read_request();
  document.body.className = request.kind;
  write_address();
  field("result-message").textContent = "";
  field("belt-caption").textContent = request.kind === "poisson"
    ? "Each count's interval; the measured count's marked."
    : "The limits of every measurement x; the measured x marked.";
  field("coverage-caption").textContent = request.kind === "poisson"
    ? "How often the interval holds the true mean; the level dashed."
    : "A Gaussian measurement's intervals hold the true mean with probability cl at every mean: " +
      "each acceptance interval holds cl.";
  try {
    let messages = request.errors;
    if (Object.keys(messages).length === 0) {
      const refused = await calculator.call("refusals", [request.fields]);
      if (!current()) return;
      messages = Object.fromEntries(Object.entries(refused).map(([name, reason]) =>
        [name, name === "method" ? `console ${reason}` : `${name} = ${field(name).value.trim()} ${reason}`]));
    }
    show_messages(messages);
    if (Object.keys(messages).length > 0) {
      show_limits(null, request.fields.cl ?? Number.NaN);
      clear_pictures();
      return;
    }
    await (request.kind === "poisson" ? update_poisson : update_gaussian)(request, current);
  } catch (error) {
    if (!current()) return;
    show_limits(null, request.fields.cl);
    clear_pictures();
    field("result-message").textContent = error.message;
  }
}

// While one update runs, typing only marks the form changed: the worker
// answers in order, so asking again for every key would queue stale work.
let running = false;
let changed = false;
async function schedule() {
  ++generation;
  restart_pictures();
  changed = true;
  if (running) return;
  running = true;
  try {
    while (changed) {
      changed = false;
      await update();
    }
  } finally {
    running = false;
  }
}

read_address();
field("request").addEventListener("input", schedule);
field("request").addEventListener("submit", (event) => event.preventDefault());
for (const button of document.querySelectorAll("[data-cl]")) {
  button.addEventListener("click", () => {
    field("cl").value = button.dataset.cl;
    schedule();
  });
}
start_tables({ read_request, on_change: write_address });
schedule();
window.fclimits.version().then((version) => {
  field("version").textContent = `fclimits ${version}, compiled to WebAssembly.`;
});
