// The static pages and the libraries under the web root come from Tamblo
// itself: no request leaves the server, none fails.
"use strict";

const { test } = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const { REPO_ROOT, startTamblo, launchBrowser, openPage } = require("./harness");

test("the about page loads Bootstrap, Font Awesome and its icon from the server", async (t) => {
  const server = await startTamblo(t);
  const browser = await launchBrowser(t);
  const { page, record, response } = await openPage(t, browser, server, server.url("/sobre.html"));
  assert.equal(response.status(), 200);
  await page.evaluate(() => document.fonts.ready);

  // Bootstrap styles the button; Font Awesome draws the icons with its own font.
  const style = await page.evaluate(() => {
    const button = getComputedStyle(document.querySelector(".btn-primary"));
    const icon = getComputedStyle(document.querySelector(".fa-landmark"), "::before");
    return {
      buttonBackground: button.backgroundColor,
      iconFont: icon.fontFamily,
      iconFontLoaded: [...document.fonts].some((f) => f.family.includes("Font Awesome") && f.status === "loaded"),
      bootstrapScript: typeof window.bootstrap === "object",
    };
  });
  assert.equal(style.buttonBackground, "rgb(13, 110, 253)");
  assert.match(style.iconFont, /Font Awesome/);
  assert.ok(style.iconFontLoaded, "the Font Awesome web font loaded");
  assert.ok(style.bootstrapScript, "Bootstrap's script ran");

  const loaded = record.requests.filter((r) => r.status === 200).map((r) => new URL(r.url).pathname);
  for (const p of ["/sobre.html", "/css/bootstrap.min.css", "/css/all.min.css", "/js/bootstrap.bundle.min.js", "/webfonts/fa-solid-900.woff2"]) {
    assert.ok(loaded.includes(p), `${p} loaded from the server (loaded: ${loaded.join(", ")})`);
  }
  record.assertClean();
});

test("the files under the web root are served byte for byte", async (t) => {
  const server = await startTamblo(t, { database: false });
  const files = {
    "/css/bootstrap.min.css": "assets/node_modules/bootstrap/dist/css/bootstrap.min.css",
    "/js/bootstrap.bundle.min.js": "assets/node_modules/bootstrap/dist/js/bootstrap.bundle.min.js",
    "/css/all.min.css": "assets/node_modules/@fortawesome/fontawesome-free/css/all.min.css",
    "/webfonts/fa-solid-900.woff2": "assets/node_modules/@fortawesome/fontawesome-free/webfonts/fa-solid-900.woff2",
    "/favicon.ico": "wwwroot/favicon.ico",
  };
  for (const [urlPath, file] of Object.entries(files)) {
    const response = await fetch(server.url(urlPath));
    assert.equal(response.status, 200, urlPath);
    const body = Buffer.from(await response.arrayBuffer());
    assert.ok(body.equals(fs.readFileSync(path.join(REPO_ROOT, file))), `${urlPath} differs from ${file}`);
  }
});
