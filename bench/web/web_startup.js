// Compares the web page's start-up in headless Chromium with two floors: the
// same page with no script (the site copied, its script element and any
// preload of the module removed), and the same page whose script only sets
// the ready mark (the module still preloaded, so the two fetch alike).
// Each visit is a first one, in a fresh browser context (no cache, no
// service worker), on localhost. Per visit:
//   first paint   the paint timing's first-paint
//   ready / load  the page and the script floor: their "vostrel-ready" mark
//                 (the page's once the module is instantiated and Form_Load
//                 has run, so Calculate answers); the floor with no script:
//                 the end of its load event
//   transferred   the bytes the browser received for the visit (as the
//                 local server sends them: compressed where a host would)
//   gzip          the same files as a compressing server sends them (gzip -9)
// The three run interleaved after warm-up visits that are not counted; the
// medians and the ratios of the page to each floor are printed with the
// goals: ready at most GOAL times the no-script floor's load and at most
// SCRIPT_GOAL times the script floor's ready, a first visit at most
// VISIT_GOAL transferred, the loader at most LOADER_GOAL gzipped. Then the
// whole site, font and icons included (a first visit's service worker
// fetches all of it), compressed as a server would send it, against
// BYTES_GOAL.
//
// Usage: node bench/web/web_startup.js [--rounds N] [--warmup N]
//          [--site DIR] [--tools DIR]       (scripts/bench-web.sh runs it)
"use strict";

const fs = require("node:fs");
const path = require("node:path");
const zlib = require("node:zlib");
const { launch, run, serve, temporaryFolder } = require("../../tests/web/driver");

const GOAL = 1.10;
const SCRIPT_GOAL = 1.05;
const VISIT_GOAL = 30 * 1024;
const LOADER_GOAL = 3 * 1024;
const BYTES_GOAL = 100 * 1024;
// The script, and any early fetch of the module for it.
const SCRIPT_ELEMENT = /<script\b[^>]*><\/script>\n?|<link rel="(?:module)?preload"[^>]*>\n?/g;
const SCRIPT_SOURCE = /<script src="vostrel\.js"/;

function option(name, fallback) {
  const at = process.argv.indexOf(name);
  if (at < 0) return fallback;
  const [, value] = process.argv.splice(at, 2);
  return Number(value);
}
const ROUNDS = option("--rounds", 20);
const WARMUP = option("--warmup", 2);

// The site with its page changed by `change(html)`, and any files added.
function floorOf(site, name, change, files = {}) {
  const floor = temporaryFolder(name);
  fs.cpSync(site, floor, { recursive: true });
  const page = path.join(floor, "index.html");
  fs.writeFileSync(page, change(fs.readFileSync(page, "utf8")));
  for (const [file, text] of Object.entries(files)) fs.writeFileSync(path.join(floor, file), text);
  return floor;
}

const gzipSize = (file) => zlib.gzipSync(fs.readFileSync(file), { level: 9 }).length;

async function visit(browser, url, folder, marksReady) {
  const context = await browser.createBrowserContext();
  try {
    const tab = await context.newPage();
    const network = await tab.createCDPSession();
    await network.send("Network.enable");
    let transferred = 0;
    let gzip = 0;
    network.on("Network.loadingFinished", ({ encodedDataLength }) => { transferred += encodedDataLength; });
    network.on("Network.responseReceived", ({ response }) => {
      const file = path.join(folder, new URL(response.url).pathname.replace(/\/$/, "/index.html"));
      if (fs.existsSync(file)) gzip += gzipSize(file);
    });
    await tab.goto(url, { waitUntil: "load" });
    if (marksReady) {
      await tab.waitForFunction(() => performance.getEntriesByName("vostrel-ready").length > 0,
        { timeout: 20000 });
    }
    // A page with no script may first paint after its load event.
    const timings = await tab.evaluate(async () => ({
      paint: await new Promise((resolve) => {
        new PerformanceObserver((entries) => {
          const paint = entries.getEntriesByName("first-paint")[0];
          if (paint) resolve(paint.startTime);
        }).observe({ type: "paint", buffered: true });
        setTimeout(() => resolve(NaN), 5000);
      }),
      ready: performance.getEntriesByName("vostrel-ready")[0]?.startTime
        ?? performance.getEntriesByType("navigation")[0].loadEventEnd,
    }));
    return { ...timings, transferred, gzip };
  } finally {
    await context.close();
  }
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

function siteCompressed(site) {
  let gzip = 0;
  let brotli = 0;
  for (const name of fs.readdirSync(site)) {
    const data = fs.readFileSync(path.join(site, name));
    gzip += zlib.gzipSync(data, { level: 9 }).length;
    brotli += zlib.brotliCompressSync(data, { params: {
      [zlib.constants.BROTLI_PARAM_QUALITY]: 11, [zlib.constants.BROTLI_PARAM_SIZE_HINT]: data.length } }).length;
  }
  return { gzip, brotli };
}

const COLUMNS = [["paint", "first paint [ms]", 1], ["ready", "ready / load [ms]", 1],
  ["transferred", "transferred [KB]", 1024], ["gzip", "gzip [KB]", 1024]];
const cell = (text) => String(text).padStart(20);

const ROWS = [["floor", "floor (no script)"], ["scriptFloor", "floor (ready mark)"], ["page", "page"]];

run(60 + (ROUNDS + WARMUP) * 30, async ({ site, tool }) => {
  const folders = {
    page: site,
    floor: floorOf(site, "floor", (html) => html.replace(SCRIPT_ELEMENT, "")),
    scriptFloor: floorOf(site, "script-floor",
      (html) => html.replace(SCRIPT_SOURCE, '<script src="ready.js"'),
      { "ready.js": 'performance.mark("vostrel-ready");\n' }),
  };
  const servers = {};
  for (const name of Object.keys(folders)) servers[name] = await serve(folders[name]);
  const { browser } = await launch(tool, "chromium", "bg");
  const samples = { page: [], floor: [], scriptFloor: [] };
  for (let round = 0; round < WARMUP + ROUNDS; ++round) {
    // Each of the three goes first, second and third in turn.
    const order = ROWS.map(([name]) => name);
    for (let turn = 0; turn < round % order.length; ++turn) order.push(order.shift());
    for (const name of order) {
      const figures = await visit(browser, servers[name].url, folders[name], name !== "floor");
      if (round >= WARMUP) samples[name].push(figures);
    }
  }

  const medians = Object.fromEntries(Object.entries(samples).map(([name, runs]) =>
    [name, Object.fromEntries(COLUMNS.map(([key]) => [key, median(runs.map((r) => r[key]))]))]));
  console.log(`Web page start-up in headless Chromium, first visits on localhost, ${WARMUP} warm-up `
    + `rounds, the page and its two floors interleaved\nmedians of ${ROUNDS} visits each`);
  console.log("".padEnd(22) + COLUMNS.map(([, title]) => cell(title)).join(""));
  for (const [name, label] of ROWS) {
    console.log(label.padEnd(22) + COLUMNS.map(([key, , scale]) =>
      cell((medians[name][key] / scale).toFixed(1))).join(""));
  }
  for (const [floor, label, goal] of [["floor", "page/floor", GOAL],
    ["scriptFloor", "page/ready mark", SCRIPT_GOAL]]) {
    const ratios = COLUMNS.map(([key]) => medians.page[key] / medians[floor][key]);
    console.log(`ratio ${label}`.padEnd(22) + ratios.map((r) => cell(r.toFixed(3))).join(""));
    console.log(`goal ready <= ${goal.toFixed(2)}`.padEnd(22) + COLUMNS.map(([key], i) =>
      cell(key === "ready" ? (ratios[i] <= goal ? "met" : "NOT MET") : "")).join(""));
  }

  const kb = (bytes) => (bytes / 1024).toFixed(1);
  const visited = medians.page.transferred;
  const loader = gzipSize(path.join(site, "vostrel.js"));
  console.log(`\na first visit, transferred: ${kb(visited)} KB; goal <= ${kb(VISIT_GOAL)} KB: `
    + `${visited <= VISIT_GOAL ? "met" : "NOT MET"}`);
  console.log(`the loader, gzip -9: ${kb(loader)} KB; goal <= ${kb(LOADER_GOAL)} KB: `
    + `${loader <= LOADER_GOAL ? "met" : "NOT MET"}`);
  const { gzip, brotli } = siteCompressed(site);
  console.log(`the whole site, compressed: gzip -9 ${kb(gzip)} KB, brotli ${kb(brotli)} KB; `
    + `goal <= ${kb(BYTES_GOAL)} KB: ${gzip <= BYTES_GOAL ? "met" : "NOT MET"} (gzip)`);
});
