// Chromium's accessibility tree names every control as the desktop window
// names it, and axe-core finds no violation, on a desktop's screen and on a
// phone's. axe is handed to the page through the driver, which the page's
// content security policy (no inline script) does not stop.
"use strict";

const fs = require("node:fs");
const { check, expectEqual, launch, run, serve } = require("./driver");

const CAPTIONS = ["Дисково пространство {Mb]:", "Брой сайтове:", "Брой MySQL бази данни:",
  "Период на обслужване [м]:"];
const EXPECTED = [
  ["textbox", "Отчет"],
  ...CAPTIONS.flatMap((caption) => [["combobox", `${caption} Размер`], ["textbox", `${caption} Цена`]]),
  ["button", "Изчисли"], ["button", "Изчисти"],
];

function controls(node, found = []) {
  if (["textbox", "combobox", "button"].includes(node.role)) found.push([node.role, node.name]);
  for (const child of node.children || []) controls(child, found);
  return found;
}

run(90, async ({ site, tool }) => {
  const server = await serve(site);
  const page = await launch(tool, "chromium", "bg");
  await page.open(server.url);
  const tree = await page.page.accessibility.snapshot({ interestingOnly: true });
  expectEqual(controls(tree), EXPECTED, "the controls in Chromium's accessibility tree, in order");

  const axeSource = fs.readFileSync(tool.resolve("axe-core/axe.min.js"), "utf8");
  for (const [width, height] of [[1024, 768], [360, 740]]) {
    await page.page.setViewport({ width, height, isMobile: width < 500, hasTouch: width < 500 });
    await page.open(server.url);
    // A script element of the page's own would be refused; the driver's is not.
    await page.run(axeSource);
    check(await page.run(() => typeof axe === "object"), "axe-core did not reach the page");
    const { violations, passes } = await page.run(() => axe.run(document,
      { runOnly: ["wcag2a", "wcag2aa", "wcag21a", "wcag21aa", "wcag22aa", "best-practice"] }));
    const found = violations.map(({ id, nodes }) =>
      `${id}: ${nodes.map(({ target, failureSummary }) => `${target} ${failureSummary}`).join("; ")}`);
    check(!found.length, `axe at ${width} x ${height}:\n  ${found.join("\n  ")}`);
    console.log(`axe at ${width} x ${height}: no violation, ${passes.length} rules passed`);
  }
});
