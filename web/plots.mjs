// The page's pictures in SVG, drawn from the library's numbers: a frame
// with axes, round ticks and labels, and shapes placed in the frame's own
// coordinates. Small enough to need no plotting library.
const svg_ns = "http://www.w3.org/2000/svg";
const width = 480;
const height = 320;
const margin = { left: 52, right: 14, top: 28, bottom: 44 };

function element(name, attributes, parent) {
  const made = document.createElementNS(svg_ns, name);
  for (const [key, value] of Object.entries(attributes)) made.setAttribute(key, value);
  parent.appendChild(made);
  return made;
}

// A text, centred on its point unless the attributes say otherwise.
function label(parent, attributes, text) {
  element("text", { "text-anchor": "middle", ...attributes }, parent).textContent = text;
}

// Steps of 1, 2 or 5 times a power of ten giving about `count` ticks.
function ticks(low, high, count = 6) {
  const rough = (high - low) / count;
  const power = 10 ** Math.floor(Math.log10(rough));
  const step = [1, 2, 5, 10].map((m) => m * power).find((s) => s >= rough);
  const found = [];
  for (let k = Math.ceil(low / step); k * step <= high + step * 1e-9; ++k) {
    found.push(Number((k * step).toPrecision(12)));
  }
  return found;
}

class Frame {
  constructor(svg, { x, y, x_label, y_label, title }) {
    svg.replaceChildren();
    svg.setAttribute("viewBox", `0 0 ${width} ${height}`);
    svg.setAttribute("role", "img");
    svg.setAttribute("aria-label", title);
    element("title", {}, svg).textContent = title;
    this.x = x;
    this.y = y;
    this.size = { x: width - margin.left - margin.right, y: height - margin.top - margin.bottom };
    const plot_area = { x: margin.left, y: margin.top, width: this.size.x, height: this.size.y };
    const clip = element("clipPath", { id: `${svg.id}-inside` }, element("defs", {}, svg));
    element("rect", plot_area, clip);
    this.inside = element("g", { "clip-path": `url(#${svg.id}-inside)` }, svg);
    const axes = element("g", { class: "axes" }, svg);
    element("rect", { ...plot_area, class: "border" }, axes);
    this.draw_ticks(axes);
    const middle = { x: margin.left + this.size.x / 2, y: margin.top + this.size.y / 2 };
    label(axes, { x: middle.x, y: height - 6, class: "label" }, x_label);
    label(axes, { x: 14, y: middle.y, class: "label", transform: `rotate(-90 14 ${middle.y})` }, y_label);
    label(axes, { x: margin.left, y: 18, class: "title", "text-anchor": "start" }, title);
  }

  draw_ticks(axes) {
    const bottom = height - margin.bottom;
    for (const t of ticks(...this.x)) {
      element("line", { x1: this.px(t), x2: this.px(t), y1: bottom, y2: bottom + 5 }, axes);
      label(axes, { x: this.px(t), y: bottom + 18 }, t);
    }
    for (const t of ticks(...this.y)) {
      element("line", { x1: margin.left - 5, x2: margin.left, y1: this.py(t), y2: this.py(t) }, axes);
      label(axes, { x: margin.left - 8, y: this.py(t) + 4, "text-anchor": "end" }, t);
    }
  }

  px(x) { return margin.left + ((x - this.x[0]) / (this.x[1] - this.x[0])) * this.size.x; }
  py(y) { return margin.top + (1 - (y - this.y[0]) / (this.y[1] - this.y[0])) * this.size.y; }

  box(x0, x1, y0, y1, kind) {
    const [left, right] = [this.px(x0), this.px(x1)];
    const [top, bottom] = [this.py(y1), this.py(y0)];
    const box_height = Math.max(bottom - top, 0.5);
    element("rect", { x: left, y: top, width: right - left, height: box_height, class: kind }, this.inside);
  }

  path(points, kind, closed = false) {
    const d = points.map(([x, y], i) => `${i ? "L" : "M"}${this.px(x).toFixed(2)},${this.py(y).toFixed(2)}`);
    element("path", { d: d.join(" ") + (closed ? " Z" : ""), class: kind }, this.inside);
  }
}

const percent = (cl) => `${Number((100 * cl).toPrecision(6))} %`;

// The belt of a count: for each n from n_first its interval [lower, upper]
// as a column, the measured count's column marked.
export function draw_belt(svg, { rows, n_first, n, b, cl }) {
  const y_low = Math.min(...rows.map((row) => row.lower));
  const y_top = Math.max(...rows.map((row) => row.upper)) * 1.02 || 1;
  const left = n_first - 0.5;
  const frame = new Frame(svg, {
    x: [left, n_first + rows.length - 0.5], y: [y_low < 1 ? 0 : y_low * 0.98, y_top],
    x_label: "measured count n", y_label: "signal mean μ", title: `Confidence belt, b = ${b}, ${percent(cl)}`,
  });
  rows.forEach((row, k) => {
    const count = n_first + k;
    frame.box(count - 0.45, count + 0.45, row.lower, row.upper, count === n ? "measured" : "band");
  });
  const { lower, upper } = rows[n - n_first];
  for (const edge of [lower, upper]) frame.path([[left, edge], [n, edge]], "marker");
}

// The Gaussian belt: the limits of every measurement x between its two
// curves, the measured x marked.
export function draw_gaussian_belt(svg, { xs, rows, x, sigma, cl }) {
  const y_top = Math.max(...rows.map((row) => row.upper)) * 1.02 || 1;
  const frame = new Frame(svg, {
    x: [xs[0], xs[xs.length - 1]], y: [0, y_top], x_label: "measured x", y_label: "mean μ",
    title: `Confidence belt, σ = ${sigma}, ${percent(cl)}`,
  });
  const upper = xs.map((value, i) => [value, rows[i].upper]);
  const lower = xs.map((value, i) => [value, rows[i].lower]).reverse();
  frame.path([...upper, ...lower], "band", true);
  frame.path([[x, 0], [x, y_top]], "marker");
}

// The coverage at each mean, with the level drawn.
export function draw_coverage(svg, { means, coverage, b, cl }) {
  const y_low = Math.max(0, Math.min(cl, ...coverage) - 0.02);
  const frame = new Frame(svg, {
    x: [means[0], means[means.length - 1]], y: [y_low, 1], x_label: "signal mean μ", y_label: "coverage",
    title: `Coverage, b = ${b}, ${percent(cl)}`,
  });
  frame.path([[means[0], cl], [means[means.length - 1], cl]], "level");
  frame.path(means.map((mu, i) => [mu, coverage[i]]), "curve");
}
