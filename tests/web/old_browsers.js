// What the oldest browsers the page runs in can take, checked on the built
// site (node old_browsers.js SITE): the loader parses as ECMAScript 2017, the
// language of Safari 11 (no optional chaining, no ??, no object spread), and
// the module uses WebAssembly's first features only (no sign extension, no
// bulk memory), which Safari 11 and Chrome 57 compile. Emscripten's own
// switches for old browsers cannot be given (docs/web.md says why), so this
// is where a newer Emscripten's output would show it.
"use strict";

const childProcess = require("node:child_process");
const fs = require("node:fs");
const path = require("node:path");

const site = process.argv[2];
const acorn = require("/usr/share/nodejs/acorn");
try {
  acorn.parse(fs.readFileSync(path.join(site, "vostrel.js"), "utf8"), { ecmaVersion: 2017 });
  childProcess.execFileSync("wasm-opt", ["--mvp-features", path.join(site, "vostrel.wasm"),
    "-o", "/dev/null"], { stdio: ["ignore", "ignore", "pipe"] });
} catch (error) {
  console.error(`FAILED: ${error.message}${error.stderr ? `\n${error.stderr}` : ""}`);
  process.exit(1);
}
console.log("the loader is ECMAScript 2017, the module WebAssembly's first features");
