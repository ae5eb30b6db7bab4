// The application's first page in a real browser: "/" from a real
// tamblo --web on a real Firebird database. The login page comes with
// Bootstrap from the server itself, connects its WebSocket, sends the
// page-load event once and is released; the connection-lost overlay comes
// when the connection drops, the page reconnects in place while its session
// lives (202) and reloads into a new session when the server forgot it (401).
"use strict";

const { test } = require("node:test");
const assert = require("node:assert/strict");
const { startTamblo, launchBrowser, openPage, waitFor } = require("./harness");

function afterPageLoads(record) {
  return record.websockets
    .flatMap((ws) => ws.sent)
    .map((text) => JSON.parse(text))
    .filter((m) => m.parameters.some((p) => p.EventID === "AfterPageLoad"));
}

test("login page", async (t) => {
  const server = await startTamblo(t);
  const browser = await launchBrowser(t);

  await t.test("served with Bootstrap from the server, connected, page-load sent once", async (t) => {
    const { page, record, response } = await openPage(t, browser, server, server.url("/"));
    assert.equal(response.status(), 200);
    assert.equal(await page.title(), "Corvessa - Tamblo");
    await waitFor(() => afterPageLoads(record).length > 0, "the page-load event");
    // The server releases the page: the loading overlay goes.
    await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
    await page.waitForTimeout(300);
    assert.equal(afterPageLoads(record).length, 1, "sent once");
    assert.equal(record.websockets.length, 1);
    const ws = new URL(record.websockets[0].url);
    assert.equal(ws.origin.replace("ws:", "http:"), server.origin);
    assert.equal(ws.pathname, "/websocket/connectionparams");
    const received = record.websockets[0].received.map((text) => JSON.parse(text));
    assert.ok(
      received.some((m) => (m.ExecJS || []).includes("UnLockThreadClient();")),
      JSON.stringify(received),
    );
    // Bootstrap is in effect, and every file came from this server.
    assert.equal(await page.$eval("main .row", (e) => getComputedStyle(e).display), "flex");
    const logo = page.locator("img.tamblo-login-logo");
    await logo.waitFor();
    assert.ok(await logo.evaluate((img) => img.complete && img.naturalWidth > 0));
    for (const path of ["/css/bootstrap.min.css", "/js/bootstrap.bundle.min.js", "/js/jquery-3.6.4.js", "/img/logo.png"])
      assert.ok(
        record.requests.some((r) => new URL(r.url).pathname === path && r.status === 200),
        path,
      );
    assert.equal(await page.evaluate(() => isOverlayErrorVisible()), false);
    record.assertClean();
  });

  await t.test("a dropped connection reconnects in place while the session lives", async (t) => {
    const { page, record } = await openPage(t, browser, server, server.url("/"));
    await waitFor(() => afterPageLoads(record).length === 1, "the page-load event");
    await page.evaluate(() => (window.samePage = true));
    await page.evaluate(() => orvanews.close());
    await waitFor(() => record.websockets.length === 2, "a second connection");
    await waitFor(() => page.evaluate(() => !isOverlayErrorVisible()), "the overlay hidden again");
    const probes = record.requests.filter((r) => r.method === "HEAD");
    assert.deepEqual(probes.map((r) => r.status), [202]);
    assert.equal(await page.evaluate(() => window.samePage), true);
    await page.waitForTimeout(300);
    assert.equal(afterPageLoads(record).length, 1, "not sent again");
    // Chromium reports a HEAD fetch whose empty body nobody reads as
    // aborted, after its status arrived.
    record.assertClean({ failed: (r) => r.method === "HEAD" && r.status === 202 });
  });

  await t.test("the server gone: overlay, probes, and a new session on 401", async (t) => {
    const { page, record } = await openPage(t, browser, server, server.url("/"));
    await waitFor(() => afterPageLoads(record).length === 1, "the page-load event");
    const firstToken = await page.evaluate(() => connectionInfo.token);
    await server.stop();
    await waitFor(() => page.evaluate(() => isOverlayErrorVisible()), "the connection-lost overlay");
    await waitFor(
      () => record.requests.filter((r) => r.method === "HEAD" && r.failure).length >= 2,
      "failed probes while the server is away",
    );
    await server.restart();
    await waitFor(() => afterPageLoads(record).length === 2, "the page-load event of the reloaded page");
    const answered = record.requests.filter((r) => r.method === "HEAD" && r.status !== null);
    assert.deepEqual(answered.map((r) => r.status), [401]);
    assert.notEqual(await page.evaluate(() => connectionInfo.token), firstToken);
    await waitFor(() => page.evaluate(() => !isOverlayErrorVisible()), "the overlay hidden");
    assert.equal(await page.title(), "Corvessa - Tamblo");
    record.assertClean({
      failed: (r) => r.method === "HEAD",
      error: (e) => /ERR_CONNECTION_REFUSED|WebSocket connection|status of 401/.test(e),
    });
  });
});
