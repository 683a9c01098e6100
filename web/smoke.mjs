// Loads the WebAssembly library under node and checks it against the
// native library: the limits of n = 3, b = 0 at 90 % (exact method), the
// refusals that WebAssembly finds without floating-point flags or
// std::to_chars, and every console-method double recorded in
// tests/data/console_limits.txt.
// Prints what differs; exit status 1 if anything does.
// Usage: node web/smoke.mjs build-wasm/web
import { readFileSync } from "node:fs";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";

const site = resolve(process.argv[2] ?? "build-wasm/web");
const source = dirname(dirname(fileURLToPath(import.meta.url)));
const load = (await import(pathToFileURL(join(site, "fclimits.js")))).default;
const library = await load({ wasmBinary: readFileSync(join(site, "fclimits.wasm")) });

// A hexadecimal double ("0x1.4acp+0", "-0x1p-1"): at most 53 significant
// bits, scaled by a power of two, so the value is exact.
function hex_double(text) {
  const match = /^(-?)0x([0-9a-f]+)(?:\.([0-9a-f]*))?p([+-]\d+)$/i.exec(text);
  if (!match) throw new Error(`not a hexadecimal double: ${text}`);
  const [, sign, whole, fraction = "", exponent] = match;
  const value = parseInt(whole + fraction, 16) * 2 ** (Number(exponent) - 4 * fraction.length);
  return sign ? -value : value;
}

let differences = 0;
function expect(what, found, wanted) {
  if (Object.is(found, wanted)) return;
  ++differences;
  console.log(`${what}: ${found}, native ${wanted}`);
}

// The native library's exact limits, as the Python module prints them.
const three = library.limits(3, 0, 0.9, {});
expect("limits(3, 0, 0.9) lower", three.lower, 1.102065328249321);
expect("limits(3, 0, 0.9) upper", three.upper, 7.424983616093278);

// The native messages, word for word.
const refusals = [
  [() => library.limits(2147480000, 0, 0.9, {}),
   "fclimits: n = 2147480000 is too large: its acceptance intervals reach counts beyond 2147483647"],
  [() => library.acceptance_region(2.5e9, 3, 0.9, {}),
   "fclimits: mu = 2.5e+09 is too large: the largest mean taken is 2e+09 (its counts stay " +
   "within 32 bits)"],
  [() => library.limits(3.5, 0, 0.9, {}),
   "fclimits: n = 3.5 is not a count: it must be a whole number from 0 to 2147483647"],
];
for (const [call, message] of refusals) {
  let found = "no error";
  try {
    call();
  } catch (error) {
    found = `${error.name}: ${error.message}`;
  }
  expect("refusal", found, `RangeError: ${message}`);
}

const levels = [0.6827, 0.9, 0.95];
let checked = 0;
for (const line of readFileSync(join(source, "tests/data/console_limits.txt"), "utf8").split("\n")) {
  if (line === "" || line.startsWith("#")) continue;
  const [n, b, ...limits] = line.split(" ");
  levels.forEach((cl, i) => {
    const found = library.limits(Number(n), hex_double(b), cl, { method: "console" });
    const what = `console n = ${n}, b = ${hex_double(b)}, cl = ${cl}`;
    expect(`${what} lower`, found.lower, hex_double(limits[2 * i]));
    expect(`${what} upper`, found.upper, hex_double(limits[2 * i + 1]));
    checked += 2;
  });
}
console.log(`${checked + 2} limits and ${refusals.length} refusals checked, ${differences} differ from native`);
process.exitCode = differences === 0 ? 0 : 1;
