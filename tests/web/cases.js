// The page in one browser engine (node cases.js ENGINE): what it shows when
// it opens, the reports its buttons write under Bulgarian and English (and,
// in WebKitGTK, under the C locale), its overflow message, its tab order, and
// its starts where the browser lacks streaming compilation and the dialog
// element, or WebAssembly altogether. The arithmetic is the core's and what
// Form_Load and Command1_Click do is the procedures' (each proven by its own
// table, tests/window/form_procedures_test.cpp for the procedures); these
// cases prove that the page's runtime hands them the right texts and shows
// what comes back. Where a case's outcome is also a row of the procedures'
// table, it says so: what it adds is the page's part.
"use strict";

const fs = require("node:fs");
const path = require("node:path");
const { check, expectEqual, launch, run, serve, temporaryFolder } = require("./driver");

const report = (lines, separator) => lines.map((line) => `${line.replace(".", separator)}\n`).join("");
const DEFAULT_LINES = ["Дисково пространство {Mb]: 10", "Брой сайтове: 2",
  "Брой MySQL бази данни: 0.5", "Период на обслужване [м]: 3", "Обща сума без ДДС: 15.5",
  "Дължимо ДДС: 3.1", "Сума за плащане: 18.6"];
const LARGEST_LINES = ["Дисково пространство {Mb]: 210", "Брой сайтове: 24",
  "Брой MySQL бази данни: 6", "Период на обслужване [м]: 36", "Обща сума без ДДС: 276",
  "Дължимо ДДС: 55.2", "Сума за плащане: 331.2"];
const ZERO_LINES = ["Дисково пространство {Mb]: 0", "Брой сайтове: 0", "Брой MySQL бази данни: 0",
  "Период на обслужване [м]: 0", "Обща сума без ДДС: 0", "Дължимо ДДС: 0", "Сума за плащане: 0"];
const TAB_ORDER = ["List1_0", "Text2_0", "List1_1", "Text2_1", "List1_2", "Text2_2", "List1_3",
  "Text2_3", "Command1_0", "Command1_1"];

// What the window holds: the output box, each list's chosen entry, the price
// boxes, whether the overflow message is open and what it says.
const state = () => ({
  output: document.getElementById("Text1_0").value,
  chosen: [0, 1, 2, 3].map((i) => {
    const list = document.getElementById(`List1_${i}`);
    return list.selectedIndex < 0 ? null : list.options[list.selectedIndex].text;
  }),
  prices: [0, 1, 2, 3].map((i) => document.getElementById(`Text2_${i}`).value),
  message: document.getElementById("message").open
    ? document.getElementById("message-text").textContent : null,
});

const OVERFLOW_MESSAGE = "Overflow: препълване при изчисляване на „Дисково пространство {Mb]“.\n"
  + "Сумата е извън допустимия обхват. Въведете по-малка цена и изчислете отново.";
const NO_WEBASSEMBLY = "Този браузър не изпълнява WebAssembly, затова калкулаторът не може да "
  + "изчислява тук.";

// Pages of the site that first run a script taking from the browser what an
// older or a locked-down one lacks. The page's own policy still holds: the
// script is one of the site's files.
const STARTS = {
  "old-safari": "delete WebAssembly.instantiateStreaming; delete window.HTMLDialogElement;",
  "no-webassembly": "delete window.WebAssembly;",
};

function siteWithStarts(site) {
  const folder = temporaryFolder("site");
  fs.cpSync(site, folder, { recursive: true });
  const page = fs.readFileSync(path.join(folder, "index.html"), "utf8");
  for (const [name, script] of Object.entries(STARTS)) {
    fs.writeFileSync(path.join(folder, `${name}.js`), `${script}\n`);
    fs.writeFileSync(path.join(folder, `${name}.html`),
      page.replace("<script src=\"vostrel.js\"", `<script src="${name}.js"></script>\n$&`));
  }
  // The policy as a browser that knows no 'wasm-unsafe-eval' reads it.
  fs.writeFileSync(path.join(folder, "no-wasm-eval.html"), page.replace(" 'wasm-unsafe-eval'", ""));
  return folder;
}

// [name, language, body, where]: `where` may name the engines that run the
// case (all by default) and the page it opens (index.html by default).
const CASES = [
  ["start-up texts", "bg", async (page) => {
    const shown = await page.run(() => ({
      title: document.title,
      focus: document.activeElement.id,
      hiddenBox: getComputedStyle(document.getElementById("Text1_1")).display,
    }));
    expectEqual(shown, { title: "vostrel.example.org Vostrel", focus: "Text1_0", hiddenBox: "none" },
      "the title, the focus and the hidden box");
    const { output, ...rest } = await page.run(state);
    expectEqual(rest, { chosen: ["100", "1", "1", "1"], prices: ["0.1", "2", "0.5", "3"],
      message: null }, "the rows");
    const lines = output.split("\n");
    expectEqual([lines.length, lines[0], lines[12], lines[13]],
      [14, "Разглеждаме безплатни хостинг услуги като:",
        "Проектът да изчислява дължима такса за месечен абонамент за web услуги в частност hosting.", ""],
      "the task statement's size, first and last lines");
  }],
  // The procedures' table has the report and one report for two clicks; here
  // each browser language's separator reaches them, and the box shows it.
  ...["bg", "en"].map((language) => [`the default report in ${language}`, language, async (page) => {
    await page.click("#Command1_0");
    await page.click("#Command1_0");  // once, not twice: the box is emptied first
    expectEqual((await page.run(state)).output, report(DEFAULT_LINES, language === "bg" ? "," : "."),
      "the report");
  }]),
  // WebKitGTK under LANG=C says its language is "C", which Intl refuses.
  ["the default report under the C locale", "C", async (page) => {
    await page.click("#Command1_0");
    expectEqual((await page.run(state)).output, report(DEFAULT_LINES, "."), "the report");
  }, { engines: ["webkit"] }],
  // The last entry of each list reaches the procedures as the list shows it.
  ["the largest choices", "bg", async (page) => {
    for (const [i, text] of ["2100", "12", "12", "12"].entries()) {
      await page.choose(`#List1_${i}`, text);
    }
    await page.click("#Command1_0");
    expectEqual((await page.run(state)).output, report(LARGEST_LINES, ","), "the report");
  }],
  // A row of the procedures' table; here the lists and boxes show what it
  // wrote.
  ["Clear, then Calculate", "bg", async (page) => {
    await page.choose("#List1_2", "5");
    await page.click("#Command1_1");
    expectEqual(await page.run(state), { output: "", chosen: ["100", "1", "1", "1"],
      prices: ["", "", "", ""], message: null }, "the window after Clear");
    await page.click("#Command1_0");
    expectEqual((await page.run(state)).output, report(ZERO_LINES, ","), "the report");
  }],
  ["one overflow", "bg", async (page) => {
    await page.fill("#Text2_0", `1${"0".repeat(307)}`);
    await page.click("#Command1_0");
    const { output, message } = await page.run(state);
    expectEqual([output, message], ["", OVERFLOW_MESSAGE], "the output box and the message");
    await page.click("#message-ok");
    check((await page.run(state)).message === null, "OK left the message open");
  }],
  ["the tab order", "bg", async (page) => {
    const order = [];
    for (let i = 0; i < TAB_ORDER.length; ++i) {
      await page.tab();
      order.push(await page.run(() => document.activeElement.id));
    }
    expectEqual(order, TAB_ORDER, "the controls Tab reaches from the output box");
  }],
  // Safari before 15 compiles the module only once fetched; before 15.4 it
  // has no dialog element, and the message goes to the browser's alert.
  ["a start with neither streaming compilation nor the dialog", "bg", async (page) => {
    await page.click("#Command1_0");
    expectEqual((await page.run(state)).output, report(DEFAULT_LINES, ","), "the report");
    await page.fill("#Text2_0", `1${"0".repeat(307)}`);
    await page.click("#Command1_0");
    expectEqual(await page.acceptAlert(), OVERFLOW_MESSAGE, "the alert");
    expectEqual((await page.run(state)).message, null, "the dialog");
  }, { engines: ["webkit"], page: "old-safari.html" }],
  ["a start with no WebAssembly", "bg", async (page) => {
    expectEqual((await page.run(state)).output, NO_WEBASSEMBLY, "the output box");
  }, { page: "no-webassembly.html", ready: false }],
  ["a start whose policy forbids compiling the module", "bg", async (page) => {
    for (const deadline = Date.now() + 10000; Date.now() < deadline;) {
      if ((await page.run(state)).output === NO_WEBASSEMBLY) break;
      await new Promise((done) => setTimeout(done, 100));
    }
    expectEqual((await page.run(state)).output, NO_WEBASSEMBLY, "the output box");
  }, { engines: ["chromium"], page: "no-wasm-eval.html", ready: false }],
];

run(240, async ({ site, engine, tool }) => {
  const server = await serve(siteWithStarts(site));
  const cases = CASES.filter(([, , , where = {}]) => !where.engines || where.engines.includes(engine));
  for (const language of new Set(cases.map(([, caseLanguage]) => caseLanguage))) {
    const page = await launch(tool, engine, language);
    const said = await page.run(() => navigator.language);
    check(said.split("-")[0] === language, `${engine} says its language is ${said}, not ${language}`);
    for (const [name, caseLanguage, body, where = {}] of cases) {
      if (caseLanguage !== language) continue;
      await page.open(server.url + (where.page || ""), { ready: where.ready !== false });
      const started = Date.now();
      try {
        await body(page);
      } catch (error) {
        error.message = `${engine}, ${name}: ${error.message}`;
        throw error;
      }
      console.log(`${engine}: ${name}: ok (${Date.now() - started} ms)`);
    }
  }
});
