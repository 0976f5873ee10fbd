// The page on a phone (Chromium's mobile emulation, with touch) at
// 360 x 740 and 390 x 844: nothing scrolls sideways, every control is in
// view, and taps choose a quantity and calculate.
"use strict";

const { check, expectEqual, launch, run, serve } = require("./driver");

const CONTROLS = "#Vostrel > :not([hidden])";

async function tap(page, selector) {
  const box = await (await page.page.$(selector)).boundingBox();
  await page.page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
}

run(90, async ({ site, tool }) => {
  const server = await serve(site);
  const page = await launch(tool, "chromium", "bg");
  for (const [width, height] of [[360, 740], [390, 844]]) {
    const where = `${width} x ${height}`;
    await page.page.setViewport({ width, height, deviceScaleFactor: 3, isMobile: true,
      hasTouch: true });
    await page.open(server.url);
    const layout = await page.run((selector) => ({
      sideways: document.documentElement.scrollWidth - innerWidth,
      outside: [...document.querySelectorAll(selector)].filter((control) => {
        const box = control.getBoundingClientRect();
        return box.left < 0 || box.top < 0 || box.right > innerWidth || box.bottom > innerHeight;
      }).map((control) => control.id),
    }), CONTROLS);
    expectEqual(layout, { sideways: 0, outside: [] }, `${where}: sideways scroll, controls out of view`);

    // A tap on a list gives it the focus and opens the phone's picker, which
    // then chooses as the driver does.
    await tap(page, "#List1_0");
    check(await page.run(() => document.activeElement.id === "List1_0"), `${where}: the tap missed the list`);
    await page.choose("#List1_0", "300");
    await tap(page, "#Command1_0");
    const first = await page.run(() => document.getElementById("Text1_0").value.split("\n")[0]);
    expectEqual(first, "Дисково пространство {Mb]: 30", `${where}: the report's first line after a tap`);
    await tap(page, "#Command1_1");
    expectEqual(await page.run(() => document.getElementById("Text1_0").value), "",
      `${where}: the output box after a tap on Clear`);
    console.log(`${where}: ok`);
  }
});
