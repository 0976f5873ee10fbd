// The page in one browser engine (node cases.js ENGINE): what it shows when
// it opens, the reports its buttons write under Bulgarian and English, its
// overflow message and its tab order. The arithmetic itself is the core's,
// proven by its own tests; these cases prove the page hands it the right
// texts and shows what comes back.
"use strict";

const { check, expectEqual, launch, run, serve } = require("./driver");

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
  ...["bg", "en"].map((language) => [`the default report in ${language}`, language, async (page) => {
    await page.click("#Command1_0");
    await page.click("#Command1_0");  // once, not twice: the box is emptied first
    expectEqual((await page.run(state)).output, report(DEFAULT_LINES, language === "bg" ? "," : "."),
      "the report");
  }]),
  ["the largest choices", "bg", async (page) => {
    for (const [i, text] of ["2100", "12", "12", "12"].entries()) {
      await page.choose(`#List1_${i}`, text);
    }
    await page.click("#Command1_0");
    expectEqual((await page.run(state)).output, report(LARGEST_LINES, ","), "the report");
  }],
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
    expectEqual([output, message], ["", "Overflow: препълване при изчисляване на „Дисково "
      + "пространство {Mb]“.\nСумата е извън допустимия обхват. Въведете по-малка цена и изчислете "
      + "отново."], "the output box and the message");
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
];

run(240, async ({ site, engine, tool }) => {
  const server = await serve(site);
  for (const language of ["bg", "en"]) {
    const page = await launch(tool, engine, language);
    const said = await page.run(() => navigator.language);
    check(said.split("-")[0] === language, `${engine} says its language is ${said}, not ${language}`);
    for (const [name, caseLanguage, body] of CASES) {
      if (caseLanguage !== language) continue;
      await page.open(server.url);
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
