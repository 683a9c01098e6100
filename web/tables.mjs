// Tables: every count with every background (or every Gaussian
// measurement), at the calculator's level, method and uncertainties, shown
// on the page and offered as CSV. The rows are computed in a worker of
// their own, so the calculator answers meanwhile; Stop ends that worker.
import { LibraryWorker } from "./library_worker.mjs";
import { largest_list, parse_list } from "./value_list.mjs";

const field = (id) => document.getElementById(id);

// The columns of a table, named as fctable names them.
function columns_of(kind, fields) {
  if (kind === "gaussian") return ["x", "sigma", "cl", "lower", "upper"];
  const uncertain = fields.b_sigma !== 0 || fields.eff !== 1 || fields.eff_sigma !== 0;
  return uncertain ? ["n", "b", "cl", "b_sigma", "eff", "eff_sigma", "lower", "upper"]
                   : ["n", "b", "cl", "lower", "upper"];
}

// The lists of the table's fields, with any field's error beside it.
function requests_of(kind) {
  const names = kind === "gaussian" ? ["table_x"] : ["table_n", "table_b"];
  const lists = {};
  for (const name of names) {
    const parsed = parse_list(field(name).value);
    field(`${name}-message`).textContent = parsed.error ?? "";
    if (parsed.error) return null;
    lists[name] = parsed.values;
  }
  if (kind === "gaussian") return lists.table_x.map((x) => ({ x }));
  if (lists.table_n.length * lists.table_b.length > largest_list) {
    field("table_b-message").textContent = `the table would hold more than ${largest_list} rows`;
    return null;
  }
  return lists.table_n.flatMap((n) => lists.table_b.map((b) => ({ n, b })));
}

// The most rows the page shows; the CSV holds them all.
const most_rows_shown = 5000;

function show_table(columns, rows) {
  const table = field("table-rows");
  const head = document.createElement("tr");
  for (const name of columns) head.appendChild(document.createElement("th")).textContent = name;
  const body = document.createDocumentFragment();
  for (const row of rows.slice(0, most_rows_shown)) {
    const line = document.createElement("tr");
    for (const name of columns) {
      line.appendChild(document.createElement("td")).textContent = String(row[name]);
    }
    body.appendChild(line);
  }
  table.replaceChildren(document.createElement("thead"), document.createElement("tbody"));
  table.tHead.appendChild(head);
  table.tBodies[0].appendChild(body);
}

function offer_csv(columns, rows) {
  const lines = [columns.join(","), ...rows.map((row) => columns.map((name) => String(row[name])).join(","))];
  const link = field("table-csv");
  if (link.href) URL.revokeObjectURL(link.href);
  link.href = URL.createObjectURL(new Blob([lines.join("\n") + "\n"], { type: "text/csv" }));
  link.download = "fclimits-table.csv";
  link.hidden = false;
}

export function start_tables({ read_request, on_change }) {
  let running = null;
  const status = field("table-status");
  const progress = field("table-progress");

  function finish(text) {
    running = null;
    status.textContent = text;
    progress.hidden = true;
    field("table-start").disabled = false;
    field("table-stop").disabled = true;
  }

  async function compute() {
    const request = read_request();
    if (Object.keys(request.errors).length > 0) {
      status.textContent = "the calculator's inputs need fixing first";
      return;
    }
    const requests = requests_of(request.kind);
    if (requests === null) return;
    const { kind, fields, options } = request;
    const shared = { cl: fields.cl, sigma: fields.sigma, options };
    const columns = columns_of(kind, fields);
    field("table-csv").hidden = true;
    field("table-start").disabled = true;
    field("table-stop").disabled = false;
    progress.hidden = false;
    progress.value = 0;
    status.textContent = `0 of ${requests.length} rows`;
    running = new LibraryWorker();
    const worker = running;
    const started = performance.now();
    try {
      const answered = await worker.call("table", [requests, shared], ({ done, total }) => {
        progress.value = done / total;
        status.textContent = `${done} of ${total} rows`;
      });
      const rows = answered.map((row) => ({ ...fields, ...row }));
      show_table(columns, rows);
      offer_csv(columns, rows);
      const seconds = ((performance.now() - started) / 1000).toFixed(2);
      const shown = rows.length > most_rows_shown ? ` (the first ${most_rows_shown} shown)` : "";
      finish(`${rows.length} rows in ${seconds} s${shown}`);
    } catch (error) {
      if (running === worker) finish(error.message);
    } finally {
      worker.terminate();
    }
  }

  field("table-request").addEventListener("submit", (event) => {
    event.preventDefault();
    if (running === null) compute();
  });
  field("table-request").addEventListener("input", on_change);
  field("table-stop").addEventListener("click", () => {
    if (running === null) return;
    const worker = running;
    finish("stopped: no rows kept");
    worker.terminate();
  });
}
