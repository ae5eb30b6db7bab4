// Shared helpers of the browser tests: a real `tamblo --web` on a free port
// against a real Firebird test database, Debian's Chromium driven by
// playwright-core, and a recorder that fails a test on any request to another
// host, any failed request and any console error. See README.md here.
"use strict";

const { spawn, execFile } = require("node:child_process");
const fs = require("node:fs");
const net = require("node:net");
const os = require("node:os");
const path = require("node:path");
const assert = require("node:assert/strict");
const { chromium } = require("playwright-core");

const REPO_ROOT = path.resolve(__dirname, "..", "..");
const CHROMIUM = process.env.TAMBLO_E2E_CHROMIUM || "/usr/bin/chromium";
// Without the background-networking flags Chromium keeps trying hosts this
// closed network refuses.
const CHROMIUM_ARGS = [
  "--headless",
  "--no-sandbox",
  "--disable-gpu",
  "--disable-quic",
  "--no-first-run",
  "--disable-background-networking",
  "--disable-component-update",
  "--disable-sync",
];
const FIREBIRD_DIR = "/tmp/tamblo-firebird";
const START_TIMEOUT_MS = 60000;
const STOP_TIMEOUT_MS = 20000;

let databaseCounter = 0;

/** The program the tests run: $TAMBLO_E2E_BINARY, else build-test/tamblo. */
function tambloBinary() {
  return process.env.TAMBLO_E2E_BINARY || path.join(REPO_ROOT, "build-test", "tamblo");
}

/**
 * The fixture program next to tamblo in its build directory: tamblo-e2e-grid
 * (tests/e2e/fixture), whose pages show a form with a data grid and an
 * upload instead of the login.
 */
function fixtureBinary(name = "tamblo-e2e-grid") {
  return path.join(path.dirname(tambloBinary()), name);
}

/** A TCP port free on 127.0.0.1 at the time of the call. */
function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.unref();
    server.on("error", reject);
    server.listen(0, "127.0.0.1", () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

function run(command, args, options) {
  return new Promise((resolve, reject) => {
    execFile(command, args, { ...options, maxBuffer: 16 * 1024 * 1024 }, (error, stdout, stderr) => {
      if (error) {
        error.message += `\n${stdout}${stderr}`;
        reject(error);
      } else {
        resolve(stdout);
      }
    });
  });
}

/**
 * A new Firebird database with the schema and demo data on the server at
 * 127.0.0.1:3050 (scripts/test starts it), removed after the test.
 * Returns { host, path }.
 */
async function createTestDatabase(t) {
  fs.mkdirSync(FIREBIRD_DIR, { recursive: true });
  const file = path.join(FIREBIRD_DIR, `e2e_${process.pid}_${databaseCounter++}.fdb`);
  fs.rmSync(file, { force: true });
  await run(path.join(REPO_ROOT, "scripts", "createdb"), ["--host", "127.0.0.1", file], {
    cwd: REPO_ROOT,
  });
  if (t) t.after(() => fs.rmSync(file, { force: true }));
  return { host: "127.0.0.1", path: file };
}

/**
 * Starts `tamblo --web --port <free port>` with the repository as working
 * directory (so it serves the repository's wwwroot/) and stops it after the
 * test. Options:
 *   database: { host, path } to use, or false for none; by default a new one
 *             from createTestDatabase
 *   port:     the port to listen on (default: a free one)
 *   cwd:      the working directory (default: the repository)
 *   env:      extra environment variables
 *   args:     extra arguments after "--web --port N" (e.g. ["--node", "no1"])
 *   binary:   the program to start (default: tambloBinary())
 * Returns a server object:
 *   url(p)    the address of path p on this server
 *   origin    "http://127.0.0.1:<port>"
 *   port, database, output() (stdout + stderr so far)
 *   stop()    stops it (SIGTERM) and fails when it exits with an error,
 *             e.g. a sanitizer report; also run after the test
 *   restart() starts it again on the same port with the same database
 */
async function startTamblo(t, options = {}) {
  const port = options.port || (await freePort());
  const database =
    options.database === undefined ? await createTestDatabase(t) : options.database || null;
  const env = { ...process.env, ...(options.env || {}) };
  delete env.TAMBLO_DB_HOST;
  delete env.TAMBLO_DB_PATH;
  if (database) {
    env.TAMBLO_DB_HOST = database.host;
    env.TAMBLO_DB_PATH = database.path;
  }
  const origin = `http://127.0.0.1:${port}`;
  const server = {
    port,
    origin,
    database,
    url: (p = "/") => origin + (p.startsWith("/") ? p : "/" + p),
    output: () => log,
    stop,
    restart,
  };
  let child = null;
  let log = "";
  let exited = null;

  async function start() {
    const binary = options.binary || tambloBinary();
    assert.ok(fs.existsSync(binary), `${binary} not found: build it first (scripts/test does)`);
    exited = null;
    child = spawn(binary, ["--web", "--port", String(port), ...(options.args || [])], {
      cwd: options.cwd || REPO_ROOT,
      env,
      stdio: ["ignore", "pipe", "pipe"],
    });
    const current = child;
    const exit = new Promise((resolve) => current.on("exit", (code, signal) => resolve({ code, signal })));
    exited = exit;
    await new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        reject(new Error(`tamblo --web did not start within ${START_TIMEOUT_MS} ms:\n${log}`));
      }, START_TIMEOUT_MS);
      const onData = (chunk) => {
        log += chunk.toString();
        if (log.includes(`:${port}/ servindo`)) {
          clearTimeout(timer);
          resolve();
        }
      };
      current.stdout.on("data", onData);
      current.stderr.on("data", (chunk) => (log += chunk.toString()));
      exit.then(({ code, signal }) => {
        clearTimeout(timer);
        reject(new Error(`tamblo --web ended at start (code ${code}, signal ${signal}):\n${log}`));
      });
    });
  }

  async function stop() {
    if (!child) return;
    const current = child;
    child = null;
    if (current.exitCode === null && current.signalCode === null) current.kill("SIGTERM");
    let timer;
    const result = await Promise.race([
      exited,
      new Promise((resolve) => {
        timer = setTimeout(() => resolve(null), STOP_TIMEOUT_MS);
      }),
    ]);
    clearTimeout(timer);
    if (!result) {
      current.kill("SIGKILL");
      throw new Error(`tamblo --web did not stop within ${STOP_TIMEOUT_MS} ms:\n${log}`);
    }
    assert.equal(result.code, 0, `tamblo --web ended with code ${result.code} (signal ${result.signal}):\n${log}`);
  }

  async function restart() {
    await stop();
    await start();
  }

  await start();
  if (t) t.after(stop);
  return server;
}

/**
 * Launches Debian's Chromium headless (Playwright gives it a fresh, empty
 * profile) and closes it after the test.
 */
async function launchBrowser(t) {
  const browser = await chromium.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: CHROMIUM_ARGS,
  });
  if (t) t.after(() => browser.close());
  return browser;
}

/**
 * Records what a browser context does: every request and WebSocket with its
 * outcome, and every console error and uncaught page error.
 *   requests:   [{ url, method, resourceType, status, failure }]
 *   websockets: [{ url, sent: [text], received: [text], closed }]
 *   errors:     [text]
 */
function recordContext(context, server) {
  const record = { requests: [], websockets: [], errors: [] };
  const byRequest = new Map();
  context.on("request", (request) => {
    const entry = {
      url: request.url(),
      method: request.method(),
      resourceType: request.resourceType(),
      status: null,
      failure: null,
    };
    byRequest.set(request, entry);
    record.requests.push(entry);
  });
  context.on("response", (response) => {
    const entry = byRequest.get(response.request());
    if (entry) entry.status = response.status();
  });
  context.on("requestfailed", (request) => {
    const entry = byRequest.get(request);
    if (entry) entry.failure = (request.failure() && request.failure().errorText) || "failed";
  });
  const watchPage = (page) => {
    page.on("console", (message) => {
      if (message.type() === "error") record.errors.push(`console: ${message.text()}`);
    });
    page.on("pageerror", (error) => record.errors.push(`page error: ${error.message}`));
    page.on("websocket", (ws) => {
      const entry = { url: ws.url(), sent: [], received: [], closed: false };
      record.websockets.push(entry);
      ws.on("framesent", (frame) => entry.sent.push(String(frame.payload)));
      ws.on("framereceived", (frame) => entry.received.push(String(frame.payload)));
      ws.on("close", () => (entry.closed = true));
    });
  };
  context.pages().forEach(watchPage);
  context.on("page", watchPage);

  /**
   * Fails when a request or WebSocket went to another host than the server,
   * when a request failed or was answered with 400 or more, or when a
   * console error was logged. allow.failed(entry) and allow.error(text)
   * accept expected ones (for example while the server is stopped).
   */
  record.assertClean = (allow = {}) => {
    const own = new URL(server.origin);
    const local = (address) => {
      const u = new URL(address);
      if (u.protocol === "data:" || u.protocol === "blob:" || u.protocol === "about:") return true;
      return u.hostname === own.hostname && u.port === own.port;
    };
    const outside = [...record.requests.map((r) => r.url), ...record.websockets.map((w) => w.url)].filter(
      (u) => !local(u),
    );
    assert.deepEqual(outside, [], "requests to another host");
    const failed = record.requests.filter(
      (r) => (r.failure || (r.status !== null && r.status >= 400)) && !(allow.failed && allow.failed(r)),
    );
    assert.deepEqual(failed, [], "failed requests");
    const errors = record.errors.filter((e) => !(allow.error && allow.error(e)));
    assert.deepEqual(errors, [], "console errors");
  };
  return record;
}

/**
 * Opens address in a new browser context and page, recording everything
 * (recordContext) from the first request on. Waits for the load event.
 * Returns { context, page, record, response }.
 */
async function openPage(t, browser, server, address, options = {}) {
  const context = await browser.newContext(options.context || {});
  if (t) t.after(() => context.close().catch(() => {}));
  const record = recordContext(context, server);
  const page = await context.newPage();
  const response = await page.goto(address, { waitUntil: options.waitUntil || "load" });
  return { context, page, record, response };
}

/** Waits until predicate() is true, polling every 50 ms. */
async function waitFor(predicate, message = "condition", timeoutMs = 15000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    if (await predicate()) return;
    if (Date.now() > end) throw new Error(`timed out waiting for ${message}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

/** A temporary folder, removed after the test. */
function tempDir(t, prefix = "tamblo-e2e-") {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), prefix));
  if (t) t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  return dir;
}

module.exports = {
  REPO_ROOT,
  CHROMIUM_ARGS,
  tambloBinary,
  fixtureBinary,
  freePort,
  createTestDatabase,
  startTamblo,
  launchBrowser,
  recordContext,
  openPage,
  waitFor,
  tempDir,
};
