// The shipped deployment on this machine: one Firebird server, two
// `tamblo --web` nodes on loopback ports and nginx with the site of
// deploy/nginx/tamblo.conf (TLS with a throwaway certificate), browsers
// through nginx. New browsers are spread over both nodes; every request of a
// page (its WebSocket, the reconnect probe, grid data, uploads, downloads)
// reaches the node that holds its session; stopping a node sends its
// browsers to a fresh login on the other. Run by scripts/test-deploy.
"use strict";

const { test } = require("node:test");
const assert = require("node:assert/strict");
const { spawn, execFile } = require("node:child_process");
const fs = require("node:fs");
const https = require("node:https");
const http = require("node:http");
const path = require("node:path");
const {
  REPO_ROOT,
  createTestDatabase,
  freePort,
  launchBrowser,
  recordContext,
  startTamblo,
  tempDir,
  waitFor,
} = require("../e2e/harness");

const NGINX = process.env.TAMBLO_NGINX || "nginx";
const SITE = path.join(REPO_ROOT, "deploy", "nginx", "tamblo.conf");

function run(command, args) {
  return new Promise((resolve, reject) => {
    execFile(command, args, (error, stdout, stderr) =>
      error ? reject(new Error(`${command} ${args.join(" ")}: ${error.message}\n${stderr}`)) : resolve(stdout),
    );
  });
}

/**
 * The shipped site with this test's addresses: each replacement must find
 * its text, so a changed site fails here instead of being tested half.
 */
function renderSite(ports, cert, key) {
  let site = fs.readFileSync(SITE, "utf8");
  const replace = (pattern, by) => {
    const before = site;
    site = site.replace(pattern, by);
    assert.notEqual(site, before, `the site has no ${pattern}`);
  };
  replace(/^\s*listen \[::\]:\d+.*$/gm, "");
  replace(/listen 443 /g, `listen 127.0.0.1:${ports.tls} `);
  replace(/listen 80;/g, `listen 127.0.0.1:${ports.plain};`);
  replace(/127\.0\.0\.1:8881\b/g, `127.0.0.1:${ports.no1}`);
  replace(/127\.0\.0\.1:8882\b/g, `127.0.0.1:${ports.no2}`);
  replace(/\/etc\/ssl\/tamblo\/tamblo\.crt/g, cert);
  replace(/\/etc\/ssl\/tamblo\/tamblo\.key/g, key);
  return site;
}

/**
 * nginx in the foreground with the rendered site, logging for every request
 * the node(s) it went to; stopped after the test.
 */
async function startNginx(t, dir, ports) {
  const cert = path.join(dir, "tamblo.crt");
  const key = path.join(dir, "tamblo.key");
  await run("openssl", [
    "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
    "-days", "1", "-subj", "/CN=localhost", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost",
    "-keyout", key, "-out", cert,
  ]);
  fs.writeFileSync(path.join(dir, "tamblo-site.conf"), renderSite(ports, cert, key));
  const log = path.join(dir, "access.log");
  fs.writeFileSync(
    path.join(dir, "nginx.conf"),
    `worker_processes 1;
daemon off;
pid ${dir}/nginx.pid;
error_log ${dir}/error.log;
events { worker_connections 1024; }
http {
  log_format route '$request_method $request_uri $status "$upstream_addr"';
  access_log ${log} route;
  client_body_temp_path ${dir}/body;
  proxy_temp_path ${dir}/proxy;
  include ${dir}/tamblo-site.conf;
}
`,
  );
  let output = "";
  const child = spawn(NGINX, ["-c", path.join(dir, "nginx.conf"), "-p", dir, "-e", path.join(dir, "error.log")], {
    stdio: ["ignore", "pipe", "pipe"],
  });
  child.stdout.on("data", (c) => (output += c));
  child.stderr.on("data", (c) => (output += c));
  const exited = new Promise((resolve) => child.on("exit", resolve));
  t.after(async () => {
    child.kill("SIGQUIT");
    await exited;
  });
  const origin = `https://127.0.0.1:${ports.tls}`;
  await waitFor(async () => {
    if (child.exitCode !== null) throw new Error(`nginx ended: ${output}`);
    return (await request(`${origin}/robots.txt`).catch(() => null)) !== null;
  }, "nginx listening");
  return {
    origin,
    plain: `http://127.0.0.1:${ports.plain}`,
    /** [{ method, uri, status, upstreams: ["127.0.0.1:port", ...] }] */
    routes: () =>
      fs
        .readFileSync(log, "utf8")
        .split("\n")
        .filter(Boolean)
        .map((line) => {
          const [, method, uri, status, upstreams] = /^(\S+) (\S+) (\d+) "(.*)"$/.exec(line);
          return { method, uri, status: Number(status), upstreams: upstreams.split(/, /).filter((u) => u !== "-") };
        }),
  };
}

/** One HTTP(S) request (certificates not checked): { status, headers, body }. */
function request(url, options = {}) {
  return new Promise((resolve, reject) => {
    const lib = url.startsWith("https:") ? https : http;
    const req = lib.request(url, { rejectUnauthorized: false, ...options }, (res) => {
      let body = "";
      res.on("data", (c) => (body += c));
      res.on("end", () => resolve({ status: res.statusCode, headers: res.headers, body }));
    });
    req.on("error", reject);
    req.setTimeout(10000, () => req.destroy(new Error(`no answer from ${url}`)));
    req.end(options.body);
  });
}

/** A node's own health answer. */
async function health(node) {
  return JSON.parse((await request(node.url("/health"))).body);
}

function afterPageLoads(record) {
  return record.websockets
    .flatMap((ws) => ws.sent)
    .filter((text) => text.includes('"AfterPageLoad"')).length;
}

/** A browser of its own (own cookies) with the login page open through nginx. */
async function openBrowser(t, browser, site) {
  const context = await browser.newContext({ ignoreHTTPSErrors: true });
  t.after(() => context.close().catch(() => {}));
  const record = recordContext(context, site);
  const page = await context.newPage();
  const response = await page.goto(site.origin + "/");
  assert.equal(response.status(), 200);
  await waitFor(() => afterPageLoads(record) === 1, "the page-load event");
  await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
  const b = { context, record, page };
  await readSession(b);
  return b;
}

/** The page's session and the node its cookie names. */
async function readSession(b) {
  b.uuid = await b.page.evaluate(() => connectionInfo.orvanesession);
  b.token = await b.page.evaluate(() => connectionInfo.token);
  b.node = (await b.context.cookies()).find((c) => c.name === "tamblo_node")?.value;
}

test("two nodes behind nginx", async (t) => {
  const database = await createTestDatabase(t);
  const dir = tempDir(t, "tamblo-deploy-");
  fs.chmodSync(dir, 0o755);
  const nodes = {};
  for (const name of ["no1", "no2"]) {
    const own = path.join(dir, name);
    nodes[name] = await startTamblo(t, {
      database,
      args: ["--node", name, "--bind", "127.0.0.1", "--temp-dir", path.join(own, "temp"), "--ini-file", path.join(own, "Config.ini")],
    });
  }
  const address = (name) => `127.0.0.1:${nodes[name].port}`;
  const ports = { tls: await freePort(), plain: await freePort(), no1: nodes.no1.port, no2: nodes.no2.port };
  const site = await startNginx(t, dir, ports);
  const browser = await launchBrowser(t);

  // Four browsers, one after the other: each new one goes to the node with
  // fewer open connections (the others' WebSockets), so both get sessions.
  const browsers = [];
  for (let i = 0; i < 4; i++) browsers.push(await openBrowser(t, browser, site));

  await t.test("both nodes receive sessions, each page's WebSocket on its own node", async () => {
    const on = (name) => browsers.filter((b) => b.node === name);
    assert.equal(on("no1").length + on("no2").length, 4, JSON.stringify(browsers.map((b) => b.node)));
    assert.ok(on("no1").length >= 1 && on("no2").length >= 1, JSON.stringify(browsers.map((b) => b.node)));
    for (const name of ["no1", "no2"]) {
      const h = await health(nodes[name]);
      assert.equal(h.status, "ok");
      assert.equal(h.node, name);
      assert.equal(h.sessions, on(name).length);
      assert.equal(h.websockets, on(name).length);
    }
    // Each page came from the node its cookie names, with everything it
    // asked for (nginx logs a WebSocket when it closes: below).
    const pages = () => site.routes().filter((r) => r.method === "GET" && r.uri === "/");
    await waitFor(() => pages().length === browsers.length, "every page in the log");
    assert.deepEqual(
      pages().map((r) => r.upstreams),
      browsers.map((b) => [address(b.node)]),
    );
    for (const b of browsers) b.record.assertClean();
    // The health answer through nginx, from this machine.
    const h = JSON.parse((await request(`${site.origin}/health`)).body);
    assert.equal(h.status, "ok");
    // Plain HTTP is sent to TLS.
    const plain = await request(`${site.plain}/?a=1`);
    assert.equal(plain.status, 301);
    assert.match(plain.headers.location, /^https:\/\/127\.0\.0\.1\/\?a=1$/);
  });

  await t.test("a dropped WebSocket probes its own node and reconnects in place", async () => {
    for (const b of browsers.slice(0, 2)) {
      await b.page.evaluate(() => (window.samePage = true));
      const before = b.record.websockets.length;
      await b.page.evaluate(() => orvanews.close());
      await waitFor(() => b.record.websockets.length === before + 1, "a second WebSocket");
      await waitFor(() => b.page.evaluate(() => !isOverlayErrorVisible()), "the overlay hidden");
      assert.equal(await b.page.evaluate(() => window.samePage), true);
      // The closed WebSocket and the probe went to the page's node.
      const own = () => site.routes().filter((r) => r.uri.includes(`orvanesession=${b.uuid}`));
      await waitFor(() => own().length === 2, "the closed WebSocket in the log");
      assert.deepEqual(
        own()
          .map((r) => [r.method, r.uri.split("?")[0], r.status, r.upstreams])
          .sort((x, y) => x[0].localeCompare(y[0])),
        [
          ["GET", "/websocket/connectionparams", 101, [address(b.node)]],
          ["HEAD", "/reconnect", 202, [address(b.node)]],
        ],
      );
      assert.equal(afterPageLoads(b.record), 1);
      b.record.assertClean({ failed: (r) => r.method === "HEAD" && r.status === 202 });
    }
  });

  await t.test("every route of a page follows the node cookie", async () => {
    // Grid data, uploads and downloads carry the session in their query
    // only; the cookie takes them to the node (which then checks the
    // session). The first node tried is the cookie's; one that closes
    // without an answer is tried once more elsewhere (502 then).
    const b = browsers[0];
    const q = `token=${b.token}&orvanesession=${b.uuid}`;
    for (const name of ["no1", "no2"]) {
      const cookie = `tamblo_node=${name}`;
      const marker = `m=${name}`;
      await request(`${site.origin}/rest/json/jqgrid/?${q}&FormUUID=x&eventid=y&${marker}`, { headers: { cookie } });
      await request(`${site.origin}/vexlo/download?file=x&${q}&${marker}`, { headers: { cookie } });
      await request(`${site.origin}/vexlo/upload?${q}&${marker}`, {
        method: "POST",
        headers: { cookie, "content-type": "multipart/form-data; boundary=b" },
        body: '--b\r\nContent-Disposition: form-data; name="f"; filename="a.txt"\r\n\r\nx\r\n--b--\r\n',
      });
      // nginx writes a request's log line after the answer has gone out.
      const mine = () => site.routes().filter((r) => r.uri.endsWith(marker));
      await waitFor(() => mine().length === 3, `the three requests for ${name} in the log`);
      for (const r of mine()) assert.equal(r.upstreams[0], address(name), JSON.stringify(r));
    }
    assert.equal(site.routes().filter((r) => r.uri.includes("m=no")).length, 6);
  });

  await t.test("stopping a node sends its browsers to a fresh login on the other", async () => {
    const stopped = browsers.find((b) => b.node === "no1") ? "no1" : "no2";
    const other = stopped === "no1" ? "no2" : "no1";
    const moved = browsers.filter((b) => b.node === stopped);
    const stayed = browsers.filter((b) => b.node === other);
    for (const b of stayed) b.sockets = b.record.websockets.length;
    await nodes[stopped].stop(); // SIGTERM; fails unless it ends cleanly (code 0)
    assert.match(nodes[stopped].output(), /sessão fechada/);
    for (const b of moved) {
      const oldToken = b.token;
      await waitFor(() => afterPageLoads(b.record) === 2, "the page-load event of the reloaded page", 30000);
      await b.page.locator("#vexlo-loader").waitFor({ state: "hidden" });
      await readSession(b);
      assert.equal(b.node, other);
      assert.notEqual(b.token, oldToken);
      assert.equal(await b.page.title(), "Corvessa - Tamblo");
      assert.equal(await b.page.evaluate(() => isOverlayErrorVisible()), false);
      // The probe reached the live node, which does not know the session.
      const probes = site.routes().filter((r) => r.method === "HEAD" && r.uri.includes(`orvanesession=`) && r.status === 401);
      assert.ok(probes.some((r) => r.upstreams.at(-1) === address(other)), JSON.stringify(probes));
      b.record.assertClean({
        failed: (r) => r.method === "HEAD" || (r.resourceType === "document" && r.status >= 500),
        error: (e) => /status of (401|50\d)|WebSocket connection/.test(e),
      });
    }
    // The other node's pages never noticed.
    for (const b of stayed) {
      assert.equal(b.record.websockets.length, b.sockets);
      assert.equal(afterPageLoads(b.record), 1);
    }
    const h = await health(nodes[other]);
    assert.equal(h.sessions, browsers.length);
    assert.equal(h.websockets, browsers.length);
  });
});
