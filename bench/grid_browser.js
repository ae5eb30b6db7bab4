// In Chromium: the time from opening a page whose data grid lists 5,000
// requests (the grid's default limit) to its first rows shown, and how long
// the rows request itself took. Uses the browser tests' fixture program
// (tests/e2e/fixture) and helpers.
//   node bench/grid_browser.js [runs]      (TAMBLO_E2E_BINARY: the built tamblo)
"use strict";

const fs = require("node:fs");
const {
  fixtureBinary,
  createTestDatabase,
  startTamblo,
  launchBrowser,
} = require("../tests/e2e/harness");

async function main() {
  const runs = Number(process.argv[2] || 7);
  const database = await createTestDatabase();
  const server = await startTamblo(null, { binary: fixtureBinary(), database, args: ["--rows", "5000"] });
  const browser = await launchBrowser();
  const times = [];
  const loads = [];
  let shown = 0;
  try {
    for (let i = 0; i < runs; i++) {
      const context = await browser.newContext();
      const page = await context.newPage();
      const start = Date.now();
      await page.goto(server.url("/"));
      await page.locator("#GRDLISTA tr.jqgrow").first().waitFor({ state: "visible", timeout: 60000 });
      times.push(Date.now() - start);
      shown = await page.evaluate(() => $("#GRDLISTA").jqGrid("getGridParam", "records"));
      loads.push(
        await page.evaluate(() => {
          const entry = performance
            .getEntriesByType("resource")
            .find((e) => e.name.includes("rest/json/jqgrid/get"));
          return entry ? entry.duration : NaN;
        }),
      );
      await context.close();
    }
  } finally {
    await browser.close();
    await server.stop();
    fs.rmSync(database.path, { force: true });
  }
  const median = (a) => [...a].sort((x, y) => x - y)[Math.floor(a.length / 2)];
  console.log(`grid page with ${shown} rows (the first run warms the server and the browser):`);
  console.log(
    `  open to first rows shown: median ${median(times)} ms, slowest ${Math.max(...times)} ms ` +
      `(${times.join(", ")})`,
  );
  console.log(`  rows request (in the page): median ${median(loads).toFixed(1)} ms`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
