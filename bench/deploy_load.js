// Load for the deployment benchmark (scripts/bench-deploy): scripted pages
// that do over real sockets what a browser does with a Tamblo page. A page
// GETs "/" (keeping the node cookie tamblo_node, as a browser does), reads
// its session, token and form from the page, opens the page's WebSocket
// with the cookie, sends the page-load event and waits until the server
// releases the page; a login then types the account into the form's fields
// and presses "Entrar" until the next page is pushed (when the login form's
// controls are on the page). A click is an event whose answer the server
// pushes, timed from the send to the push. A reconnect drops the WebSocket,
// probes "HEAD /reconnect" (202) and opens it again, as the page runtime does.
//
//   node bench/deploy_load.js logins  --url U --seconds S --concurrency C
//   node bench/deploy_load.js clicks  --url U --seconds S --sessions N --interval MS
//   node bench/deploy_load.js soak    --url U --seconds S --sessions N --pids P1,P2
//                                     [--sample S] [--warmup S]
// Prints one JSON line of figures on standard output.
"use strict";

const crypto = require("node:crypto");
const fs = require("node:fs");
const http = require("node:http");
const https = require("node:https");
const net = require("node:net");
const tls = require("node:tls");

const TIMEOUT_MS = 15000;
// One TLS context for every connection, as one browser has; each page
// resumes the TLS session of its page request on its WebSocket, as a
// browser does with nginx's session cache.
const TLS_CONTEXT = tls.createSecureContext({});

function parseArgs(argv) {
  const args = { mode: argv[0] };
  for (let i = 1; i < argv.length; i += 2) args[argv[i].replace(/^--/, "")] = argv[i + 1];
  return args;
}

/**
 * GET (or HEAD) with the page's cookies, resuming tlsState.session and
 * keeping the new one there; resolves { status, headers, body }.
 */
function httpRequest(url, { method = "GET", cookie = "", tlsState = null } = {}) {
  return new Promise((resolve, reject) => {
    const u = new URL(url);
    const secure = u.protocol === "https:";
    const lib = secure ? https : http;
    const req = lib.request(
      u,
      {
        method,
        agent: false,
        rejectUnauthorized: false,
        secureContext: TLS_CONTEXT,
        ...(secure && tlsState && tlsState.session ? { session: tlsState.session } : {}),
        headers: { "user-agent": "tamblo-bench", ...(cookie ? { cookie } : {}) },
      },
      (res) => {
        const chunks = [];
        res.on("data", (c) => chunks.push(c));
        res.on("end", () => resolve({ status: res.statusCode, headers: res.headers, body: Buffer.concat(chunks).toString() }));
        res.on("error", reject);
      },
    );
    if (secure && tlsState) req.on("socket", (socket) => socket.on("session", (session) => (tlsState.session = session)));
    req.setTimeout(TIMEOUT_MS, () => req.destroy(new Error(`${method} ${u.pathname}: no answer`)));
    req.on("error", reject);
    req.end();
  });
}

/** A WebSocket client with the frames a browser sends (masked text frames). */
class Socket {
  constructor(url, cookie, tlsState) {
    this.url = new URL(url);
    this.cookie = cookie;
    this.tlsState = tlsState || {};
    this.waiters = [];
    this.pending = Buffer.alloc(0);
    this.closed = false;
    this.onclose = null;
  }

  open() {
    return new Promise((resolve, reject) => {
      const u = this.url;
      const secure = u.protocol === "wss:";
      const port = Number(u.port) || (secure ? 443 : 80);
      const options = { host: u.hostname, port, rejectUnauthorized: false, secureContext: TLS_CONTEXT };
      if (secure && this.tlsState.session) options.session = this.tlsState.session;
      const sock = secure ? tls.connect(options) : net.connect(options);
      if (secure) sock.on("session", (session) => (this.tlsState.session = session));
      this.sock = sock;
      const key = crypto.randomBytes(16).toString("base64");
      let head = Buffer.alloc(0);
      let upgraded = false;
      const timer = setTimeout(() => fail(new Error("WebSocket: no answer to the upgrade")), TIMEOUT_MS);
      const fail = (error) => {
        clearTimeout(timer);
        sock.destroy();
        reject(error);
      };
      sock.once(secure ? "secureConnect" : "connect", () => {
        sock.write(
          `GET ${u.pathname}${u.search} HTTP/1.1\r\nHost: ${u.host}\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n` +
            `Sec-WebSocket-Key: ${key}\r\nSec-WebSocket-Version: 13\r\n` +
            (this.cookie ? `Cookie: ${this.cookie}\r\n` : "") +
            "\r\n",
        );
      });
      sock.on("data", (data) => {
        if (upgraded) return this.receive(data);
        head = Buffer.concat([head, data]);
        const end = head.indexOf("\r\n\r\n");
        if (end < 0) return;
        const status = head.subarray(0, head.indexOf("\r\n")).toString();
        if (!/ 101 /.test(status)) return fail(new Error(`WebSocket refused: ${status}`));
        upgraded = true;
        clearTimeout(timer);
        resolve();
        const rest = head.subarray(end + 4);
        if (rest.length) this.receive(rest);
      });
      sock.on("error", (error) => (upgraded ? this.finish(error) : fail(error)));
      sock.on("close", () => (upgraded ? this.finish(null) : fail(new Error("WebSocket closed before the upgrade"))));
    });
  }

  finish(error) {
    if (this.closed) return;
    this.closed = true;
    for (const w of this.waiters.splice(0)) w.reject(error || new Error("WebSocket closed"));
    if (this.onclose) this.onclose(error);
  }

  send(text) {
    const payload = Buffer.from(text);
    const mask = crypto.randomBytes(4);
    let header;
    if (payload.length <= 125) header = Buffer.from([0x81, 0x80 | payload.length]);
    else if (payload.length <= 65535) {
      header = Buffer.alloc(4);
      header[0] = 0x81;
      header[1] = 0xfe;
      header.writeUInt16BE(payload.length, 2);
    } else {
      header = Buffer.alloc(10);
      header[0] = 0x81;
      header[1] = 0xff;
      header.writeBigUInt64BE(BigInt(payload.length), 2);
    }
    for (let i = 0; i < payload.length; i++) payload[i] ^= mask[i & 3];
    this.sock.write(Buffer.concat([header, mask, payload]));
  }

  receive(data) {
    this.pending = Buffer.concat([this.pending, data]);
    for (;;) {
      const p = this.pending;
      if (p.length < 2) return;
      let length = p[1] & 0x7f;
      let at = 2;
      if (length === 126) {
        if (p.length < 4) return;
        length = p.readUInt16BE(2);
        at = 4;
      } else if (length === 127) {
        if (p.length < 10) return;
        length = Number(p.readBigUInt64BE(2));
        at = 10;
      }
      if (p.length < at + length) return;
      const text = p.subarray(at, at + length).toString();
      this.pending = p.subarray(at + length);
      let scripts = "";
      try {
        scripts = (JSON.parse(text).ExecJS || []).join("\n");
      } catch (error) {
        continue;
      }
      for (const w of this.waiters.slice()) {
        if (scripts.includes(w.text)) {
          this.waiters.splice(this.waiters.indexOf(w), 1);
          w.resolve(scripts);
        }
      }
    }
  }

  /** Resolves with the first push holding text (registered before sending). */
  waitFor(text, timeoutMs = TIMEOUT_MS) {
    return new Promise((resolve, reject) => {
      const w = { text, resolve: (s) => (clearTimeout(w.timer), resolve(s)), reject: (e) => (clearTimeout(w.timer), reject(e)) };
      w.timer = setTimeout(() => {
        this.waiters.splice(this.waiters.indexOf(w), 1);
        reject(new Error(`no push with ${JSON.stringify(text)} in ${timeoutMs} ms`));
      }, timeoutMs);
      this.waiters.push(w);
    });
  }

  close() {
    this.closed = true;
    this.waiters.splice(0);
    if (this.sock) this.sock.destroy();
  }
}

/** A scripted browser page on origin (http(s)://host:port). */
class Page {
  constructor(origin) {
    this.origin = origin;
    this.cookies = new Map();
    this.tlsState = {};
  }

  cookieHeader() {
    return [...this.cookies].map(([k, v]) => `${k}=${v}`).join("; ");
  }

  keepCookies(headers) {
    for (const line of [].concat(headers["set-cookie"] || [])) {
      const [pair] = line.split(";");
      const eq = pair.indexOf("=");
      this.cookies.set(pair.slice(0, eq).trim(), pair.slice(eq + 1).trim());
    }
  }

  async load() {
    const answer = await httpRequest(this.origin + "/", { cookie: this.cookieHeader(), tlsState: this.tlsState });
    if (answer.status !== 200) throw new Error(`page: status ${answer.status}`);
    this.keepCookies(answer.headers);
    const html = answer.body;
    const connection = /setConnection\("[^"]*", "[^"]*", "[^"]*", "[^"]*", "([^"]*)", "([^"]*)"/.exec(html);
    const load = /ExecEvent\("[^"]*", "[^"]*", "([^"]*)", "[^"]*", "AfterPageLoad"/.exec(html);
    if (!connection || !load) throw new Error("page without its session");
    [, this.token, this.uuid] = connection;
    this.formUUID = load[1];
    // The login form's controls, when the page has them: the click event id
    // of each element id.
    this.events = {};
    for (const m of html.matchAll(/_EV(\w+)\.addEventListener\("(\w+)"[^\n]*?ExecEvent\('[^']*', '[^']*', '[^']*', '[^']*', '([^']*)'/g))
      (this.events[m[1]] ||= {})[m[2]] = m[3];
    return this;
  }

  socketURL() {
    const u = new URL(this.origin);
    const scheme = u.protocol === "https:" ? "wss:" : "ws:";
    return `${scheme}//${u.host}/websocket/connectionparams?token=${encodeURIComponent(this.token)}` +
      `&orvanesession=${encodeURIComponent(this.uuid)}&channelname=OrvaneCallBack`;
  }

  async connect() {
    this.socket = new Socket(this.socketURL(), this.cookieHeader(), this.tlsState);
    await this.socket.open();
    return this.socket;
  }

  message(id, eventID, parameters, lock) {
    return JSON.stringify({
      type: "procedure",
      name: "ExecEvent",
      wait: false,
      parameters: [
        { UUID: this.uuid }, { Token: this.token }, { FormUUID: this.formUUID }, { ID: id },
        { EventID: eventID }, { Parameters: parameters }, { LockClient: lock },
      ],
    });
  }

  /** The page-load event; resolves when the server released the page. */
  async afterPageLoad() {
    const released = this.socket.waitFor("UnLockThreadClient();");
    this.socket.send(this.message(this.formUUID, "AfterPageLoad", "", true));
    await released;
  }

  /** What the page's runtime sends with a click: every control's state. */
  states(values) {
    const json = JSON.stringify(Object.entries(values).map(([id, text]) => ({ id, text })))
      .replace(/&/g, "\\u0026")
      .replace(/%/g, "\\u0025");
    return "OrvaneComponentsStatus=" + json;
  }

  hasLoginForm() {
    return Boolean(this.events.BTNENTRAR && this.events.BTNENTRAR.click);
  }

  /**
   * A click answered by a push: "Entrar" with a wrong password (the server
   * reads the account and pushes its refusal) when the form is there, else
   * the page-load event again (dispatch, a session thread, the form's
   * handlers, the release).
   */
  async click() {
    const t0 = process.hrtime.bigint();
    if (this.hasLoginForm()) {
      const answered = this.socket.waitFor("Usuário ou Senha não confere!");
      this.socket.send(this.message("BTNENTRAR", this.events.BTNENTRAR.click,
        this.states({ EDTLOGIN: "ketil", EDTSENHA: "errada" }), true));
      await answered;
      // The page answers the dialog as the browser would: closing it.
      await this.closeDialog(await answered);
    } else {
      await this.afterPageLoad();
    }
    return Number(process.hrtime.bigint() - t0) / 1e6;
  }

  async closeDialog(scripts) {
    const m = /OrvaneServer\(\)\.CallBack\('[^']*', '[^']*', '[^']*', '([^']*)'/.exec(scripts);
    if (!m) return;
    this.socket.send(JSON.stringify({
      type: "function",
      name: "CallBack",
      wait: false,
      parameters: [
        { UUID: this.uuid }, { Token: this.token }, { FormUUID: this.formUUID }, { CallBackID: m[1] },
        { Parameters: "" }, { LockClient: false },
      ],
    }));
  }

  /** A login: the page, its WebSocket and release, then Entrar (when there). */
  async login() {
    await this.load();
    await this.connect();
    await this.afterPageLoad();
    if (this.hasLoginForm()) {
      this.pressedEntrar = true;
      const next = this.socket.waitFor("Vexlo_ReloadPage");
      this.socket.send(this.message("BTNENTRAR", this.events.BTNENTRAR.click,
        this.states({ EDTLOGIN: "ketil", EDTSENHA: "ketil" }), true));
      await next;
      // The browser reloads into the next page of the same session.
      this.cookies.set("Vexlo_Token", this.token);
      this.cookies.set("Vexlo_OrvaneSession", this.uuid);
      this.cookies.set("Vexlo_ReloadPage", "true");
      this.socket.close();
      await this.load();
      for (const name of ["Vexlo_Token", "Vexlo_OrvaneSession", "Vexlo_ReloadPage"]) this.cookies.delete(name);
      await this.connect();
      await this.afterPageLoad();
    }
  }

  /** The runtime's reconnection: drop, probe (202), open again. */
  async reconnect() {
    this.socket.close();
    const probe = await httpRequest(
      `${this.origin}/reconnect?token=${encodeURIComponent(this.token)}&&orvanesession=${encodeURIComponent(this.uuid)}`,
      { method: "HEAD", cookie: this.cookieHeader(), tlsState: this.tlsState },
    );
    if (probe.status !== 202) throw new Error(`probe: status ${probe.status}`);
    await this.connect();
  }

  close() {
    if (this.socket) this.socket.close();
  }
}

function percentile(values, p) {
  if (!values.length) return null;
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.ceil((p / 100) * sorted.length) - 1)];
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const round = (x, digits = 1) => (x === null ? null : Number(x.toFixed(digits)));

async function logins(args) {
  const seconds = Number(args.seconds || 20);
  const concurrency = Number(args.concurrency || 8);
  const end = Date.now() + seconds * 1000;
  let done = 0;
  const errors = [];
  const times = [];
  let withForm = false;
  const worker = async () => {
    while (Date.now() < end) {
      const page = new Page(args.url);
      const t0 = Date.now();
      try {
        await page.login();
        withForm ||= Boolean(page.pressedEntrar);
        times.push(Date.now() - t0);
        done++;
      } catch (error) {
        errors.push(error.message);
      } finally {
        page.close();
      }
    }
  };
  const t0 = Date.now();
  await Promise.all(Array.from({ length: concurrency }, worker));
  const elapsed = (Date.now() - t0) / 1000;
  return {
    mode: "logins", url: args.url, concurrency, seconds: round(elapsed), logins: done,
    loginsPerSecond: round(done / elapsed), p50ms: percentile(times, 50), p99ms: percentile(times, 99),
    withEntrar: withForm, errors: errors.length, firstErrors: [...new Set(errors)].slice(0, 5),
  };
}

async function clicks(args) {
  const seconds = Number(args.seconds || 20);
  const sessions = Number(args.sessions || 50);
  const interval = Number(args.interval || 500);
  const pages = [];
  const errors = [];
  for (let i = 0; i < sessions; i++) {
    const page = new Page(args.url);
    await page.login();
    pages.push(page);
  }
  const times = [];
  const end = Date.now() + seconds * 1000;
  await Promise.all(
    pages.map(async (page, i) => {
      await sleep((interval * i) / sessions);
      while (Date.now() < end) {
        const t0 = Date.now();
        try {
          times.push(await page.click());
        } catch (error) {
          errors.push(error.message);
        }
        await sleep(Math.max(0, interval - (Date.now() - t0)));
      }
    }),
  );
  pages.forEach((p) => p.close());
  return {
    mode: "clicks", url: args.url, sessions, intervalMs: interval, clicks: times.length,
    clickEvent: pages[0] && pages[0].hasLoginForm() ? "Entrar (senha errada)" : "AfterPageLoad",
    p50ms: round(percentile(times, 50), 2), p99ms: round(percentile(times, 99), 2),
    maxms: round(times.length ? Math.max(...times) : null, 2),
    errors: errors.length, firstErrors: [...new Set(errors)].slice(0, 5),
  };
}

/** Resident memory (KB), threads and open descriptors of a process. */
function processFigures(pid) {
  const status = fs.readFileSync(`/proc/${pid}/status`, "utf8");
  const field = (name) => Number(new RegExp(`^${name}:\\s+(\\d+)`, "m").exec(status)[1]);
  return { rssKB: field("VmRSS"), threads: field("Threads"), fds: fs.readdirSync(`/proc/${pid}/fd`).length };
}

async function soak(args) {
  const seconds = Number(args.seconds || 600);
  const sessions = Number(args.sessions || 500);
  const sampleEvery = Number(args.sample || 10) * 1000;
  const warmup = Number(args.warmup || 60) * 1000;
  const pids = String(args.pids || "").split(",").filter(Boolean).map(Number);
  // Half idle, a third clicking every 2 to 6 s, the rest reconnecting every
  // 10 to 30 s (and clicking after each reconnect).
  const kinds = Array.from({ length: sessions }, (_, i) =>
    i % 6 < 3 ? "idle" : i % 6 < 5 ? "clicking" : "reconnecting");
  const errors = [];
  const note = (error) => errors.push(`${Math.round((Date.now() - start) / 1000)}s ${error.message}`);
  const pages = [];
  const start = Date.now();
  for (let i = 0; i < sessions; i++) {
    const page = new Page(args.url);
    try {
      await page.login();
    } catch (error) {
      note(error);
      continue;
    }
    pages.push({ page, kind: kinds[i] });
    if (i % 50 === 49) await sleep(100);
  }
  const openedIn = (Date.now() - start) / 1000;
  const samples = [];
  const sample = () => {
    const s = { t: Math.round((Date.now() - start) / 1000), nodes: [] };
    for (const pid of pids) s.nodes.push(processFigures(pid));
    samples.push(s);
  };
  sample();
  const end = Date.now() + seconds * 1000;
  const clickTimes = [];
  let reconnects = 0;
  let unexpectedCloses = 0;
  for (const p of pages)
    p.watch = (error) => {
      if (!p.reconnecting) {
        unexpectedCloses++;
        note(new Error(`WebSocket closed by the other side${error ? ": " + error.message : ""}`));
      }
    };
  const arm = (p) => (p.page.socket.onclose = p.watch);
  pages.forEach(arm);
  const timer = setInterval(sample, sampleEvery);
  const random = (a, b) => a + Math.random() * (b - a);
  // Waits at most until the end of the soak.
  const pause = (ms) => sleep(Math.max(0, Math.min(ms, end - Date.now())));
  await Promise.all(
    pages.map(async (p) => {
      if (p.kind === "idle") return pause(end - Date.now());
      await pause(random(0, 5000));
      while (Date.now() < end) {
        try {
          if (p.kind === "reconnecting") {
            await pause(random(10000, 30000));
            if (Date.now() >= end) break;
            p.reconnecting = true;
            await p.page.reconnect();
            p.reconnecting = false;
            arm(p);
            reconnects++;
          } else {
            await pause(random(2000, 6000));
            if (Date.now() >= end) break;
          }
          clickTimes.push(await p.page.click());
        } catch (error) {
          p.reconnecting = false;
          note(error);
          await pause(1000);
        }
      }
    }),
  );
  clearInterval(timer);
  sample();
  // Still there: every page's session answers its probe.
  let alive = 0;
  for (const p of pages) {
    p.reconnecting = true;
    const probe = await httpRequest(
      `${p.page.origin}/reconnect?token=${p.page.token}&&orvanesession=${p.page.uuid}`,
      { method: "HEAD", cookie: p.page.cookieHeader() },
    ).catch((error) => ({ status: error.message }));
    if (probe.status === 202) alive++;
    else note(new Error(`final probe: ${probe.status}`));
    p.page.close();
  }
  const after = samples.find((s) => s.t * 1000 >= warmup) || samples[0];
  const last = samples[samples.length - 1];
  const nodes = pids.map((pid, i) => {
    const series = samples.map((s) => s.nodes[i]);
    const tail = samples.filter((s) => s.t * 1000 >= warmup).map((s) => s.nodes[i]);
    const peak = (key) => Math.max(...tail.map((x) => x[key]));
    return {
      pid,
      rssKBAtWarmup: after.nodes[i].rssKB,
      rssKBEnd: last.nodes[i].rssKB,
      rssKBPeakAfterWarmup: peak("rssKB"),
      rssGrowthPercent: round((100 * (peak("rssKB") - after.nodes[i].rssKB)) / after.nodes[i].rssKB, 2),
      threadsAtWarmup: after.nodes[i].threads,
      threadsPeakAfterWarmup: peak("threads"),
      threadsEnd: last.nodes[i].threads,
      fdsAtWarmup: after.nodes[i].fds,
      fdsPeakAfterWarmup: peak("fds"),
      fdsEnd: last.nodes[i].fds,
      samples: series.length,
    };
  });
  return {
    mode: "soak", url: args.url, seconds, sessions: pages.length,
    kinds: { idle: pages.filter((p) => p.kind === "idle").length, clicking: pages.filter((p) => p.kind === "clicking").length, reconnecting: pages.filter((p) => p.kind === "reconnecting").length },
    openedInSeconds: round(openedIn), clicks: clickTimes.length, clickP50ms: round(percentile(clickTimes, 50), 2),
    clickP99ms: round(percentile(clickTimes, 99), 2), reconnects, unexpectedCloses, aliveAtEnd: alive,
    errors: errors.length, firstErrors: errors.slice(0, 10), nodes,
    series: samples.map((s) => [s.t, ...s.nodes.map((n) => [n.rssKB, n.threads, n.fds])]),
  };
}

const args = parseArgs(process.argv.slice(2));
const modes = { logins, clicks, soak };
if (!modes[args.mode] || !args.url) {
  console.error("uso: node bench/deploy_load.js logins|clicks|soak --url URL [...]");
  process.exit(2);
}
modes[args.mode](args).then(
  (result) => console.log(JSON.stringify(result)),
  (error) => {
    console.error(error.stack || error.message);
    process.exit(1);
  },
);
