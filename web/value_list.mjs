// Lists of values as fctable reads them: values and ranges start:stop or
// start:stop:step separated by commas ("0:20", "0:15:0.5", "1,3,10").
// Each value is worked out exactly in decimal and rounded to a double once,
// so 0:1:0.1 holds the same doubles as typing 0.1, 0.2, ..., 1, and as
// fctable's table of the same range.

// The longest list the page computes: a table of more rows is refused.
export const largest_list = 100000;

function decimal(text) {
  const match = /^([+-]?)(\d*)(?:\.(\d*))?(?:[eE]([+-]?\d+))?$/.exec(text.trim());
  if (!match || (match[2] === "" && (match[3] ?? "") === "")) return null;
  const [, sign, whole, fraction = "", exponent = "0"] = match;
  return { digits: BigInt(sign + (whole + fraction || "0")), exponent: Number(exponent) - fraction.length };
}

const double_of = (digits, exponent) => Number(`${digits}e${exponent}`);

// The values of one value or range, or an error's words.
function parse_run(text) {
  const parts = text.split(":");
  const bounds = parts.map(decimal);
  if (parts.length > 3 || bounds.includes(null)) {
    return { error: `"${text}" is not a value or a range start:stop or start:stop:step` };
  }
  if (parts.length === 1) {
    const value = double_of(bounds[0].digits, bounds[0].exponent);
    if (!Number.isFinite(value)) return { error: `"${text}" lies beyond the range of a double` };
    return { values: [value] };
  }
  if (parts.length === 2) bounds.push({ digits: 1n, exponent: 0 });
  const unit = Math.min(...bounds.filter((d) => d.digits !== 0n).map((d) => d.exponent), 0);
  const [first, last, step] = bounds.map((d) => d.digits * 10n ** BigInt(d.exponent - unit));
  if (step <= 0n) return { error: `the step of the range "${text}" is not above 0` };
  if (last < first) return { error: `the range "${text}" ends below its start` };
  const count = (last - first) / step + 1n;
  if (count > BigInt(largest_list)) {
    return { error: `the range "${text}" holds more than ${largest_list} values` };
  }
  const values = [];
  for (let i = 0n; i < count; ++i) values.push(double_of(first + i * step, unit));
  // The values lie between the two ends, so checking those checks them all.
  if (!Number.isFinite(values[0]) || !Number.isFinite(values[values.length - 1])) {
    return { error: `the range "${text}" reaches beyond the range of a double` };
  }
  return { values };
}

// {values} or {error}.
export function parse_list(text) {
  const values = [];
  for (const part of text.split(",")) {
    const run = parse_run(part.trim());
    if (run.error) return run;
    values.push(...run.values);
    if (values.length > largest_list) return { error: `the list holds more than ${largest_list} values` };
  }
  return { values };
}
