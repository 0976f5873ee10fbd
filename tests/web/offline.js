// The page in Chromium, offline and private: once visited, it reloads and
// calculates with the server stopped (its service worker keeps its files);
// it sets no cookie and uses no local, session or IndexedDB storage; and no
// request of the page or its worker leaves for another origin (Chromium's
// own network log records every request the browser makes).
"use strict";

const fs = require("node:fs");
const path = require("node:path");
const { Failure, expectEqual, launch, run, serve, temporaryFolder } = require("./driver");

const STORAGE = async () => ({
  cookie: document.cookie,
  local: localStorage.length,
  session: sessionStorage.length,
  indexedDB: (await indexedDB.databases()).length,
});

run(90, async ({ site, tool }) => {
  const server = await serve(site);
  const netLog = path.join(temporaryFolder("netlog"), "net.json");
  const page = await launch(tool, "chromium", "bg", { chromiumFlags: [`--log-net-log=${netLog}`] });
  await page.open(server.url);
  await page.page.waitForFunction(() => navigator.serviceWorker.controller !== null,
    { timeout: 20000 });

  await server.stop();
  await page.page.reload().catch(() => {});
  await page.page.waitForFunction(() => performance.getEntriesByName("vostrel-ready").length > 0,
    { timeout: 20000 }).catch(() => { throw new Failure("reloaded offline, the page never became ready"); });
  await page.click("#Command1_0");
  const last = await page.run(() => document.getElementById("Text1_0").value.split("\n")[6]);
  expectEqual(last, "Сума за плащане: 18,6", "the report's last line, offline");
  expectEqual({ ...await page.run(STORAGE), cookies: (await page.page.cookies()).length },
    { cookie: "", local: 0, session: 0, indexedDB: 0, cookies: 0 }, "what the page stored");

  await page.browser.close();  // which completes the network log
  const origin = new URL(server.url).origin;
  const { constants, events } = JSON.parse(fs.readFileSync(netLog, "utf8"));
  const started = constants.logEventTypes.URL_REQUEST_START_JOB;
  // What the page and its worker asked for carries their origin as its
  // initiator; the browser's own requests (its updates, its accounts) none.
  const asked = events.filter(({ type, params }) => type === started && params?.url
    && params.initiator !== "not an origin");
  const elsewhere = asked.map(({ params }) => params.url).filter((url) => new URL(url).origin !== origin);
  expectEqual([asked.length > 5, elsewhere], [true, []], "the page's requests, to other origins");
  console.log(`requests: all to ${origin}`);
});
