// What every web test shares: the site served on a free port of localhost,
// a browser engine started with a fresh profile in a temporary folder, one
// way to drive each engine, and a bounded run that ends whatever it started.
//
// Usage of a test: node TEST.js [ENGINE] [--site DIR] [--tools DIR]
//   ENGINE  chromium (the default), firefox or webkit
//   --site  the site, as scripts/build-web.sh writes it (default build/web)
//   --tools the npm tools scripts/install-web-test-tools.sh installs
//           (default build/web-tools)
// A test with no site or no tools says so and ends with status 0: CTest
// counts it as skipped.
//
// Chromium and Firefox ESR are driven by puppeteer-core (over the DevTools
// protocol and WebDriver BiDi), WebKitGTK by its own WebDriver
// (WebKitWebDriver) with MiniBrowser, on an Xvfb of its own.
"use strict";

const childProcess = require("node:child_process");
const fs = require("node:fs");
const net = require("node:net");
const os = require("node:os");
const path = require("node:path");
const readline = require("node:readline");
const { createRequire } = require("node:module");

const ROOT = path.resolve(__dirname, "..", "..");
const CHROMIUM = "/usr/bin/chromium";
const FIREFOX = "/usr/bin/firefox-esr";
const WEBKIT_DRIVER = "/usr/bin/WebKitWebDriver";
// Headless, quiet, and with nothing fetched but the page.
const CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
  "--disable-background-networking", "--disable-component-update", "--disable-sync"];

class Failure extends Error {}

function options() {
  const args = process.argv.slice(2);
  const take = (name, fallback) => {
    const at = args.indexOf(name);
    return at < 0 ? fallback : path.resolve(args.splice(at, 2)[1]);
  };
  const site = take("--site", path.join(ROOT, "build", "web"));
  const tools = take("--tools", path.join(ROOT, "build", "web-tools"));
  return { site, tools, engine: args[0] || "chromium" };
}

function skip(message) {
  console.log(message);
  process.exit(0);
}

// Everything a run started, ended in reverse order whatever happens.
const cleanups = [];
let ending = null;
function defer(cleanup) {
  cleanups.push(cleanup);
}
async function endAll() {
  ending ??= (async () => {
    while (cleanups.length) {
      try {
        await Promise.race([cleanups.pop()(), new Promise((done) => setTimeout(done, 10000))]);
      } catch (error) {
        console.error(`cleaning up: ${error.message}`);
      }
    }
  })();
  return ending;
}

// Runs `test(context)` within `seconds`; a failure or the time running out
// ends it with status 1, after everything it started has been ended.
function run(seconds, test) {
  const { site, tools, engine } = options();
  if (!fs.existsSync(path.join(site, "index.html"))) {
    skip(`no web build in ${site}: scripts/build-web.sh writes one`);
  }
  if (!fs.existsSync(path.join(tools, "node_modules"))) {
    skip(`no web test tools in ${tools}: scripts/install-web-test-tools.sh installs them`);
  }
  const finish = async (status, message) => {
    if (message) console.error(message);
    await endAll();
    process.exit(status);
  };
  const timer = setTimeout(() => finish(1, `gave up after ${seconds} s`), seconds * 1000);
  for (const signal of ["SIGINT", "SIGTERM"]) {
    process.on(signal, () => finish(1, `stopped by ${signal}`));
  }
  const started = Date.now();
  const tool = createRequire(path.join(tools, "package.json"));
  test({ site, tools, engine, tool })
    .then(() => {
      clearTimeout(timer);
      console.log(`passed in ${((Date.now() - started) / 1000).toFixed(1)} s`);
      return finish(0);
    })
    .catch((error) => finish(1, error instanceof Failure ? `FAILED: ${error.message}`
      : `${error.stack}${error.cause ? `\ncaused by: ${error.cause.stack ?? error.cause}` : ""}`));
}

function check(condition, message) {
  if (!condition) throw new Failure(message);
}

// Objects compare whatever the order of their keys (engines differ in it).
const canonical = (value) => JSON.stringify(value, (key, v) => (v && typeof v === "object"
  && !Array.isArray(v) ? Object.fromEntries(Object.entries(v).sort()) : v));

function expectEqual(actual, expected, what) {
  const a = canonical(actual);
  const e = canonical(expected);
  check(a === e, `${what}:\n  got      ${a}\n  expected ${e}`);
}

function temporaryFolder(prefix) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), `vostrel-${prefix}-`));
  defer(async () => fs.rmSync(folder, { recursive: true, force: true }));
  return folder;
}

// Starts a process in a group of its own and ends the group at cleanup.
function start(argv, spawnOptions = {}) {
  const child = childProcess.spawn(argv[0], argv.slice(1), { detached: true, ...spawnOptions });
  const exited = new Promise((done) => child.once("exit", done));
  defer(async () => {
    if (child.exitCode !== null || child.signalCode !== null) return;
    const signal = (name) => { try { process.kill(-child.pid, name); } catch { /* gone */ } };
    signal("SIGTERM");
    const timer = setTimeout(() => signal("SIGKILL"), 5000);
    await exited;
    clearTimeout(timer);
  });
  return child;
}

function firstLine(stream, what) {
  return new Promise((resolve, reject) => {
    const lines = readline.createInterface({ input: stream });
    lines.once("line", (line) => { resolve(line.trim()); lines.close(); });
    lines.once("close", () => reject(new Failure(`${what} said nothing`)));
  });
}

// Serves `site` on a free port; returns its address and a way to stop it.
async function serve(site) {
  const server = start(["/usr/bin/python3", path.join(ROOT, "scripts", "serve-web.py"),
    "--port", "0", site], { stdio: ["ignore", "pipe", "ignore"] });
  const url = await firstLine(server.stdout, "the web server");
  const stop = () => new Promise((done) => {
    if (server.exitCode !== null || server.signalCode !== null) return done();
    server.once("exit", done);
    process.kill(-server.pid, "SIGTERM");
  });
  return { url, stop };
}

function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.once("error", reject);
    probe.listen(0, "127.0.0.1", () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

async function xServer() {
  const xvfb = start(["Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
    { stdio: ["ignore", "ignore", "ignore", "pipe"] });
  return `:${await firstLine(xvfb.stdio[3], "Xvfb")}`;
}

// The page's own readiness: the module has run Form_Load and answers clicks.
const READY = () => performance.getEntriesByName("vostrel-ready").length > 0;
// Two frames later the browser has rendered the page and acted on its
// autofocus, which WebKit otherwise does amid the first key presses.
const RENDERED = () => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done)));

// Waits, at most 20 s, until the page `page` opened is ready and rendered.
// It asks again and again rather than through puppeteer's waitForFunction,
// whose poller compiles the function with Function() inside the page: the
// page's policy forbids that, and Firefox ESR 140 holds puppeteer to it.
async function whenReady(page) {
  const deadline = Date.now() + 20000;
  while (!(await page.run(READY))) {
    check(Date.now() < deadline, "the page never became ready");
    await new Promise((done) => setTimeout(done, 100));
  }
  await page.run(RENDERED);
}

// One engine's page, driven through puppeteer.
class PuppeteerPage {
  constructor(browser, page) {
    this.browser = browser;
    this.page = page;
  }
  async open(url, { ready = true } = {}) {
    await this.page.goto(url);
    if (ready) await whenReady(this);
  }
  run(fn, ...args) { return this.page.evaluate(fn, ...args); }
  click(selector) { return this.page.click(selector); }
  tab() { return this.page.keyboard.press("Tab"); }
  async choose(selector, text) { await this.page.select(selector, text); }
  async fill(selector, text) {
    await this.page.$eval(selector, (box) => { box.value = ""; });
    await this.page.type(selector, text);
  }
}

// The same, through WebDriver's HTTP protocol (WebKitWebDriver).
class WebDriverPage {
  constructor(base) { this.base = base; }
  async call(method, route, body) {
    const response = await fetch(`${this.base}${route}`, {
      method, headers: { "content-type": "application/json" },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const answer = await response.json();
    if (!response.ok) throw new Failure(`WebDriver ${route}: ${JSON.stringify(answer.value)}`);
    return answer.value;
  }
  async open(url, { ready = true } = {}) {
    await this.call("POST", "/url", { url });
    if (ready) await whenReady(this);
  }
  // The text of the browser's own alert, which is then accepted.
  async acceptAlert() {
    const text = await this.call("GET", "/alert/text");
    await this.call("POST", "/alert/accept", {});
    return text;
  }
  run(fn, ...args) {
    return this.call("POST", "/execute/sync",
      { script: `return (${fn}).apply(null, arguments);`, args });
  }
  async element(selector) {
    const found = await this.call("POST", "/element", { using: "css selector", value: selector });
    return Object.values(found)[0];
  }
  async click(selector) {
    await this.call("POST", `/element/${await this.element(selector)}/click`, {});
  }
  async tab() {
    const tab = "\uE004";
    await this.call("POST", "/actions", { actions: [{ type: "key", id: "keyboard",
      actions: [{ type: "keyDown", value: tab }, { type: "keyUp", value: tab }] }] });
  }
  async choose(selector, text) {
    const index = await this.run((s, t) => [...document.querySelector(s).options]
      .findIndex((option) => option.text === t), selector, text);
    await this.click(`${selector} option:nth-child(${index + 1})`);
  }
  async fill(selector, text) {
    const box = await this.element(selector);
    await this.call("POST", `/element/${box}/clear`, {});
    await this.call("POST", `/element/${box}/value`, { text });
  }
}

// WebKitGTK's own browser, in its API version's folder of the library
// directory (webkit2gtk-4.1, webkitgtk-6.0...), the newest first.
function minibrowser() {
  const found = [];
  for (const lib of fs.readdirSync("/usr/lib").filter((name) => name.includes("-linux-"))) {
    for (const api of fs.readdirSync(path.join("/usr/lib", lib)).filter((name) => /^webkit2?gtk-/.test(name))) {
      const program = path.join("/usr/lib", lib, api, "MiniBrowser");
      if (fs.existsSync(program)) found.push(program);
    }
  }
  check(found.length, "no MiniBrowser: scripts/install-deps.sh web-test installs WebKitGTK");
  return found.sort().pop();
}

// Starts `engine` with a fresh profile, its language `language` ("bg",
// "en"; WebKitGTK also "C", its locale then C.UTF-8); returns a page of it.
// `chromiumFlags` go to Chromium only.
async function launch(tool, engine, language, { chromiumFlags = [] } = {}) {
  const profile = temporaryFolder(`${engine}-profile`);
  if (engine === "webkit") {
    const port = await freePort();
    const display = await xServer();
    const locale = { bg: "bg_BG.UTF-8", en: "en_US.UTF-8", C: "C.UTF-8" }[language];
    start([WEBKIT_DRIVER, `--port=${port}`], { stdio: "ignore", env: { ...process.env,
      DISPLAY: display, LANGUAGE: language, LANG: locale, LC_ALL: locale, HOME: profile,
      XDG_DATA_HOME: profile, XDG_CACHE_HOME: profile, XDG_CONFIG_HOME: profile } });
    const base = `http://127.0.0.1:${port}`;
    const deadline = Date.now() + 20000;
    for (;;) {
      try { await fetch(`${base}/status`); break; } catch {
        check(Date.now() < deadline, "WebKitWebDriver did not start");
        await new Promise((done) => setTimeout(done, 100));
      }
    }
    const session = await new WebDriverPage(base).call("POST", "/session", { capabilities: {
      alwaysMatch: { browserName: "MiniBrowser", "webkitgtk:browserOptions": {
        binary: minibrowser(), args: ["--automation"] } } } });
    const page = new WebDriverPage(`${base}/session/${session.sessionId}`);
    defer(() => page.call("DELETE", "").catch(() => {}));
    return page;
  }
  const puppeteer = tool("puppeteer-core");
  let browser;
  if (engine === "firefox") {
    browser = await puppeteer.launch({ browser: "firefox", executablePath: FIREFOX,
      headless: true, userDataDir: profile, extraPrefsFirefox: {
        "intl.accept_languages": language, "intl.locale.requested": language } });
  } else {
    // Chromium takes its languages from its preferences and from --lang.
    fs.mkdirSync(path.join(profile, "Default"));
    fs.writeFileSync(path.join(profile, "Default", "Preferences"),
      JSON.stringify({ intl: { accept_languages: language, selected_languages: language } }));
    browser = await puppeteer.launch({ executablePath: CHROMIUM, headless: true,
      userDataDir: profile, args: [...CHROMIUM_FLAGS, `--lang=${language}`, ...chromiumFlags] });
  }
  defer(() => browser.close());
  const [page] = await browser.pages();
  return new PuppeteerPage(browser, page || await browser.newPage());
}

module.exports = { CHROMIUM, CHROMIUM_FLAGS, Failure, check, defer, expectEqual, launch, run,
  serve, start, temporaryFolder };
