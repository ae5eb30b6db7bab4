// Takes the README's pictures of the web pages with the real program and
// Chromium (not a test): the login page, a refused login, the menu after a
// right one, the request list and the request form over it (on a new test
// database with the demo data):
//   TAMBLO_E2E_BINARY=build/tamblo node tests/e2e/screenshots.js
"use strict";

const path = require("node:path");
const { REPO_ROOT, startTamblo, launchBrowser } = require("./harness");

async function main() {
  const cleanups = [];
  const t = { after: (fn) => cleanups.push(fn) };
  const shot = async (page, name) => {
    const file = path.join(REPO_ROOT, "docs", name);
    await page.screenshot({ path: file });
    console.log(`wrote ${path.relative(REPO_ROOT, file)}`);
  };
  try {
    const server = await startTamblo(t);
    const browser = await launchBrowser(t);
    // As a browser in Brazil shows the pages (date pickers read dd/mm/yyyy).
    const page = await browser.newPage({ viewport: { width: 1200, height: 720 }, locale: "pt-BR" });
    await page.goto(server.url("/"));
    await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
    await shot(page, "web_login.png");
    await page.fill("#EDTSENHA", "bryn");
    await page.click("#BTNENTRAR");
    await page.locator(".swal2-popup").waitFor();
    await page.waitForTimeout(500); // the dialog's opening animation
    await shot(page, "web_login_recusado.png");
    await page.click(".swal2-confirm");
    await page.fill("#EDTLOGIN", "bryn");
    await page.fill("#EDTSENHA", "bryn");
    await page.press("#EDTSENHA", "Enter");
    await page.locator("#PNLMENU").waitFor();
    await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
    await shot(page, "web_menu.png");
    await page.click("#SPEEDBUTTON4");
    await page.locator(".tab-pane.active tr.jqgrow").first().waitFor();
    await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
    await page.waitForTimeout(500);
    await shot(page, "web_solicitacoes.png");
    await page.locator(".tab-pane.active tr.jqgrow td").nth(2).click();
    await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
    await page.click('.tab-pane.active [id$="_BTNALTERAR"]');
    await page.locator(".modal.show").waitFor();
    await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
    await page.waitForTimeout(800); // the popup's opening animation
    await shot(page, "web_solicitacao.png");
  } finally {
    for (const fn of cleanups.reverse()) await fn();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
