// Takes the README's pictures of the web pages with the real program and
// Chromium (not a test):
//   TAMBLO_E2E_BINARY=build/tamblo node tests/e2e/screenshots.js
"use strict";

const path = require("node:path");
const { REPO_ROOT, startTamblo, launchBrowser } = require("./harness");

async function main() {
  const cleanups = [];
  const t = { after: (fn) => cleanups.push(fn) };
  try {
    // The login page attaches to no database.
    const server = await startTamblo(t, { database: false });
    const browser = await launchBrowser(t);
    const page = await browser.newPage({ viewport: { width: 1200, height: 720 } });
    await page.goto(server.url("/"));
    await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
    const file = path.join(REPO_ROOT, "docs", "web_login.png");
    await page.screenshot({ path: file });
    console.log(`wrote ${path.relative(REPO_ROOT, file)}`);
  } finally {
    for (const fn of cleanups.reverse()) await fn();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
