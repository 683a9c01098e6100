// The paper's grid in WebAssembly under node, to compare with the native
// library: n 0..20, b 0..15 in steps of 0.5, levels 0.6827, 0.90, 0.95,
// exact method. Prints one line per request, "n b cl lower upper", each
// number in its shortest round-tripping text, then the time on stderr.
// Usage: node web/grid.mjs build-wasm/web [console]
import { readFileSync } from "node:fs";
import { join, resolve } from "node:path";
import { pathToFileURL } from "node:url";

const site = resolve(process.argv[2] ?? "build-wasm/web");
const method = process.argv[3] ?? "exact";
const load = (await import(pathToFileURL(join(site, "fclimits.js")))).default;
const library = await load({ wasmBinary: readFileSync(join(site, "fclimits.wasm")) });

const lines = [];
const start = process.hrtime.bigint();
for (const cl of [0.6827, 0.9, 0.95]) {
  for (let n = 0; n <= 20; ++n) {
    for (let k = 0; k <= 30; ++k) {
      const b = k / 2;
      const found = library.limits(n, b, cl, { method });
      lines.push(`${n} ${b} ${cl} ${found.lower} ${found.upper}`);
    }
  }
}
const seconds = Number(process.hrtime.bigint() - start) / 1e9;
console.log(lines.join("\n"));
console.error(`${lines.length} requests in ${seconds.toFixed(3)} s`);
