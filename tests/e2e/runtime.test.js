// The browser runtime of the engine's pages (assets/engine/), on a page put
// together here from the head templates exactly as page assembly does, served
// by a real tamblo --web from a temporary web root. The page has no server
// session (empty token): its WebSocket connects, its messages are dropped by
// the server and its reconnect probe is answered 401.
"use strict";

const { test } = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const { REPO_ROOT, startTamblo, launchBrowser, openPage, waitFor, tempDir } = require("./harness");

const ENGINE = path.join(REPO_ROOT, "assets", "engine");
const NPM = path.join(REPO_ROOT, "assets", "node_modules");

function template(name, tags) {
  let text = fs.readFileSync(path.join(ENGINE, name), "utf8");
  for (const [tag, value] of Object.entries(tags)) {
    text = text.split(`{{${tag}}}`).join(value);
  }
  assert.doesNotMatch(text, /\{\{\w+\}\}/, `${name}: a tag was left`);
  return text;
}

// The head block in the order page assembly writes it, around a small body.
function page({ host, port }) {
  const tags = {
    protocol: "ws",
    host,
    Port: port,
    urlpath: "/",
    Token: "",
    UUID: "",
    ChannelName: "OrvaneCallBack",
    FormUUID: "FORM1",
    ControlID: "FORM1",
    EventID: "AfterPageLoad",
    version: "1.0",
    servername: "Tamblo",
    serverdescription: "Ouvidoria",
    pathjs: "'js'",
    pathcss: "'css'",
    vexloloader: "true",
  };
  const head = [
    template("Variables.js", tags),
    '<script type="text/javascript" src="js/orvaneserver.js"></script>',
    '<script type="text/javascript" src="js/vexloloader.js"></script>',
    '<script type="text/javascript" src="js/jquery-3.6.4.js"></script>',
    '<link rel="stylesheet" type="text/css" href="css/sweetalert2.css">',
    '<script type="text/javascript" src="js/sweetalert2.js"></script>',
    '<link rel="stylesheet" type="text/css" href="css/ui.jqgrid-bootstrap5.css">',
    '<script type="text/javascript" src="js/jquery.jqgrid.min.js"></script>',
    '<link rel="stylesheet" type="text/css" href="css/vexlo.css">',
    template("JSOrvaneWS.js", tags),
    template("JSSetConnection.js", tags),
    template("JSOrvaneMethods.js", tags),
    `<script type="text/javascript">
      var OrvaneComponents = OrvaneComponents = [
        {"id": "EDTENDERECO", "OrvaneType": "TOrvaneEdit"},
        {"id": "EDTNOME", "OrvaneType": "TOrvaneDBEdit"},
        {"id": "CBBTIPO", "OrvaneType": "TOrvaneCombobox"},
        {"id": "CBBUNIDADE", "OrvaneType": "TOrvaneDBLookupCombobox"},
        {"id": "CHKATIVO", "OrvaneType": "TOrvaneDBCheckBox"},
        {"id": "BTNSALVAR", "OrvaneType": "TOrvaneButton"},
        {"id": "NAOEXISTE", "OrvaneType": "TOrvaneEdit"}];
    </script>`,
    template("JSAfterPageLoad.js", tags),
    template("JSPageUnload.js", tags),
  ].join("\r\n");
  const body = `
    <input id="EDTENDERECO" class="form-control" validationgroup="g1" required>
    <input id="EDTNOME" class="form-control text-uppercase">
    <select id="CBBTIPO"><option value=""></option><option value="1">A</option><option value="2" selected>B</option></select>
    <select id="CBBUNIDADE"><option value="17" selected>Centro</option></select>
    <input id="CHKATIVO" type="checkbox" checked>
    <button id="BTNSALVAR">Salvar</button>`;
  const overlay = [
    '<div id="overlayerror" style="display: none; position: fixed; top: 0; left: 0; width: 100%; height: 100%; background: rgba(0, 0, 0, 0.7); z-index: 999999999;">',
    '<iframe id="iframeoverlayerror" src="error500.html" style="width: 100%; height: 100%; border: none; background: white;"></iframe>',
    "</div>",
  ].join("\r\n");
  return `<!DOCTYPE html>\r\n<html lang="pt-BR">\r\n<head>\r\n<meta charset="utf-8">\r\n<title>Teste</title>\r\n${head}\r\n</head>\r\n<body>${body}\r\n${overlay}\r\n</body>\r\n</html>\r\n`;
}

// A web root with the engine's files where the page's head asks for them.
function webRoot(t, port) {
  const dir = tempDir(t);
  const www = path.join(dir, "wwwroot");
  for (const sub of ["js", "css"]) fs.mkdirSync(path.join(www, sub), { recursive: true });
  fs.copyFileSync(path.join(ENGINE, "orvaneserver.js"), path.join(www, "js", "orvaneserver.js"));
  fs.copyFileSync(path.join(ENGINE, "vexloloader.js"), path.join(www, "js", "vexloloader.js"));
  fs.copyFileSync(path.join(NPM, "jquery", "dist", "jquery.min.js"), path.join(www, "js", "jquery-3.6.4.js"));
  fs.copyFileSync(path.join(ENGINE, "vexlo.css"), path.join(www, "css", "vexlo.css"));
  // The libraries as the program builds them in (orvane/server/CMakeLists.txt).
  fs.copyFileSync(path.join(NPM, "sweetalert2", "dist", "sweetalert2.min.js"), path.join(www, "js", "sweetalert2.js"));
  fs.copyFileSync(path.join(NPM, "sweetalert2", "dist", "sweetalert2.min.css"), path.join(www, "css", "sweetalert2.css"));
  fs.copyFileSync(path.join(NPM, "jqGrid", "css", "ui.jqgrid-bootstrap5.css"), path.join(www, "css", "ui.jqgrid-bootstrap5.css"));
  fs.writeFileSync(
    path.join(www, "js", "jquery.jqgrid.min.js"),
    Buffer.concat([
      fs.readFileSync(path.join(NPM, "jqGrid", "js", "i18n", "grid.locale-pt-br.js")),
      Buffer.from(";\n"),
      fs.readFileSync(path.join(NPM, "jqGrid", "js", "jquery.jqGrid.min.js")),
    ]),
  );
  fs.copyFileSync(path.join(ENGINE, "error500.html"), path.join(www, "error500.html"));
  fs.copyFileSync(path.join(REPO_ROOT, "wwwroot", "favicon.ico"), path.join(www, "favicon.ico"));
  fs.writeFileSync(path.join(www, "page.html"), page({ host: "127.0.0.1", port: String(port) }));
  // Behind a reverse proxy the Host header may carry no port: empty tags.
  fs.writeFileSync(path.join(www, "proxy.html"), page({ host: "", port: "0" }));
  return dir;
}

function afterPageLoads(record) {
  return record.websockets
    .flatMap((ws) => ws.sent)
    .map((text) => JSON.parse(text))
    .filter((m) => m.parameters.some((p) => p.EventID === "AfterPageLoad"));
}

test("browser runtime", async (t) => {
  const { freePort } = require("./harness");
  const port = await freePort();
  const cwd = webRoot(t, port);
  const server = await startTamblo(t, { port, cwd, database: false });
  const browser = await launchBrowser(t);

  await t.test("loading overlay, connection and the page-load event sent once", async (t) => {
    const { page, record } = await openPage(t, browser, server, server.url("/page.html?x=1#frag"));
    const loader = page.locator("#vexlo-loader");
    await loader.waitFor({ state: "visible" });
    assert.equal((await loader.innerText()).trim(), "Aguarde");
    assert.equal(await page.locator("#vexlo-loader .vexlo-loader-dot").count(), 3);
    const colours = await page.$$eval("#vexlo-loader .vexlo-loader-dot", (dots) =>
      dots.map((d) => getComputedStyle(d).backgroundColor),
    );
    assert.deepEqual(colours, ["rgb(250, 86, 103)", "rgb(122, 69, 229)", "rgb(250, 194, 76)"]);

    await waitFor(() => afterPageLoads(record).length > 0, "the page-load event");
    assert.equal(record.websockets.length, 1);
    assert.equal(
      record.websockets[0].url,
      `ws://127.0.0.1:${port}/websocket/connectionparams?token=&orvanesession=&channelname=OrvaneCallBack`,
    );
    assert.deepEqual(afterPageLoads(record)[0], {
      type: "procedure",
      name: "ExecEvent",
      wait: false,
      parameters: [
        { UUID: "" },
        { Token: "" },
        { FormUUID: "FORM1" },
        { ID: "FORM1" },
        { EventID: "AfterPageLoad" },
        { Parameters: "" },
        { LockClient: true },
      ],
    });
    // The address bar lost query and fragment; the loader waits for the
    // server's release, which this session-less page never gets.
    assert.equal(await page.evaluate(() => location.pathname + location.search + location.hash), "/page.html");
    assert.ok(await loader.isVisible());
    await page.evaluate(() => UnLockThreadClient());
    await loader.waitFor({ state: "hidden" });
    await page.waitForTimeout(300);
    assert.equal(afterPageLoads(record).length, 1, "sent once");
    assert.equal(await page.evaluate(() => isOverlayErrorVisible()), false);
    assert.deepEqual(
      await page.evaluate(() => [vexlo.version, vexlo.servername, vexlo.serverdescription, vpathjs, vpathcss]),
      ["1.0", "Tamblo", "Ouvidoria", "js", "css"],
    );
    record.assertClean();
  });

  await t.test("the libraries work: a jqGrid in Portuguese, SweetAlert2", async (t) => {
    const { page, record } = await openPage(t, browser, server, server.url("/page.html"));
    await waitFor(() => afterPageLoads(record).length > 0, "the page-load event");
    await page.evaluate(() => UnLockThreadClient());
    const grid = await page.evaluate(() => {
      const table = document.createElement("table");
      table.id = "grade";
      const pager = document.createElement("div");
      pager.id = "gradepager";
      document.body.append(table, pager);
      $("#grade").jqGrid({
        datatype: "local",
        styleUI: "Bootstrap5",
        data: [{ nome: "Centro" }, { nome: "Norte" }],
        colModel: [{ name: "nome", label: "Nome" }],
        pager: "#gradepager",
        viewrecords: true,
      });
      return {
        rows: $("#grade").jqGrid("getGridParam", "records"),
        pager: $("#gradepager .ui-paging-info").text(),
      };
    });
    assert.deepEqual(grid, { rows: 2, pager: "Ver 1 - 2 de 2" });
    await page.evaluate(() => {
      Swal.fire({ title: "Salvo", text: "Registro salvo" });
    });
    await page.locator(".swal2-popup").waitFor({ state: "visible" });
    assert.equal(await page.locator(".swal2-title").innerText(), "Salvo");
    record.assertClean();
  });

  await t.test("component states: an & or % in a field survives the parameter string", async (t) => {
    const { page, record } = await openPage(t, browser, server, server.url("/page.html"));
    // The page-load event locks the page; this session-less page is never
    // released by the server.
    await waitFor(() => afterPageLoads(record).length > 0, "the page-load event");
    await page.evaluate(() => UnLockThreadClient());
    await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
    await page.fill("#EDTENDERECO", "Rua A & B, 50% \"centro\"");
    await page.fill("#EDTNOME", "joão & maria");
    await page.uncheck("#CHKATIVO");
    const result = await page.evaluate(() => {
      const states = GetComponentsStates(OrvaneComponents);
      const parameters = "OrvaneComponentsStatus=" + states + "&" + "key=" + OrvaneParameterValue("&");
      return { states, items: parameters.split("&") };
    });
    // Neither character stands raw in the JSON: the server splits at "&"
    // and decodes %25 and %26 in the values.
    assert.ok(!result.states.includes("&"), result.states);
    assert.ok(!result.states.includes("%"), result.states);
    assert.deepEqual(JSON.parse(result.states), [
      { id: "EDTENDERECO", text: 'Rua A & B, 50% "centro"' },
      { id: "EDTNOME", text: "JOÃO & MARIA" },
      { id: "CBBTIPO", selecteditemindex: "2" },
      { id: "CBBUNIDADE", selectedvalue: "17" },
      { id: "CHKATIVO", checked: false },
      { id: "BTNSALVAR" },
    ]);
    assert.deepEqual(result.items, ["OrvaneComponentsStatus=" + result.states, "key=%26"]);
    record.assertClean();
  });

  await t.test("pushed scripts run in order; a failing one ends its push", async (t) => {
    const { page, record } = await openPage(t, browser, server, server.url("/page.html"));
    const ran = await page.evaluate(() => {
      orvaneExecMessage(JSON.stringify({ ExecJS: ["var pushedA = 1;", "pushedB = pushedA + 1;"] }));
      orvaneExecMessage(JSON.stringify({ ExecJS: ["pushedC = 1;", "throw new Error('falhou');", "pushedD = 1;"] }));
      orvaneExecMessage("não é JSON");
      return [window.pushedA, window.pushedB, window.pushedC, window.pushedD];
    });
    assert.deepEqual(ran, [1, 2, 1, undefined]);
    assert.equal(record.errors.length, 2, record.errors.join("\n"));
    record.assertClean({ error: (e) => /falhou|não é JSON/.test(e) });
  });

  await t.test("validation feedback is plain text and goes away on typing", async (t) => {
    const { page, record } = await openPage(t, browser, server, server.url("/page.html"));
    await page.evaluate(() => {
      window.hacked = false;
      insertValidationFeedback("EDTNOME", false, '<img src=x onerror="window.hacked = true">Nome & sobrenome');
    });
    const feedback = page.locator("#EDTNOME_invalid_feedback");
    assert.equal(await feedback.innerText(), '<img src=x onerror="window.hacked = true">Nome & sobrenome');
    assert.ok(await feedback.isVisible());
    assert.equal(await page.locator("#EDTNOME_invalid_feedback img").count(), 0);
    assert.deepEqual(await page.evaluate(() => [...document.getElementById("EDTNOME").classList]), [
      "form-control",
      "text-uppercase",
      "is-invalid",
    ]);
    await page.type("#EDTNOME", "a");
    assert.equal(await feedback.count(), 0);
    assert.equal(await page.evaluate(() => document.getElementById("EDTNOME").classList.contains("is-invalid")), false);

    assert.equal(await page.evaluate(() => checkRequired("g1")), true);
    assert.ok(await page.evaluate(() => document.getElementById("EDTENDERECO").classList.contains("is-invalid")));
    await page.type("#EDTENDERECO", "x");
    assert.ok(!(await page.evaluate(() => document.getElementById("EDTENDERECO").classList.contains("is-invalid"))));
    assert.equal(await page.evaluate(() => checkRequired("g1")), false);
    assert.equal(await page.evaluate(() => window.hacked), false);
    record.assertClean();
  });

  await t.test("behind a proxy (no port in the Host header) the page connects to its own address", async (t) => {
    const { record } = await openPage(t, browser, server, server.url("/proxy.html"));
    await waitFor(() => afterPageLoads(record).length > 0, "the page-load event");
    assert.equal(
      record.websockets[0].url,
      `ws://127.0.0.1:${port}/websocket/connectionparams?token=&orvanesession=&channelname=OrvaneCallBack`,
    );
    record.assertClean();
  });

  await t.test("a lost connection shows the overlay, probes, and reloads on 401", async (t) => {
    const { page, record } = await openPage(t, browser, server, server.url("/page.html"));
    await waitFor(() => afterPageLoads(record).length === 1, "the page-load event");
    await page.evaluate(() => (window.beforeLoss = true));
    await server.stop();
    await waitFor(() => page.evaluate(() => isOverlayErrorVisible()), "the connection-lost overlay");
    const text = await page.frameLocator("#iframeoverlayerror").locator("body").innerText();
    assert.match(text, /500 - Conexão perdida/);
    // Probes go on every second while the server is away.
    await waitFor(
      () => record.requests.filter((r) => r.method === "HEAD" && r.failure).length >= 2,
      "two failed probes",
    );
    const probe = record.requests.find((r) => r.method === "HEAD");
    assert.equal(new URL(probe.url).pathname + new URL(probe.url).search, "/reconnect?token=&&orvanesession=");

    await server.restart();
    // The new server does not know this page's session: 401, and the page reloads.
    await waitFor(() => afterPageLoads(record).length === 2, "the page-load event of the reloaded page");
    assert.equal(await page.evaluate(() => window.beforeLoss), undefined);
    assert.equal(await page.evaluate(() => isOverlayErrorVisible()), false);
    const answered = record.requests.filter((r) => r.method === "HEAD" && r.status !== null);
    assert.deepEqual(answered.map((r) => r.status), [401]);
    record.assertClean({
      failed: (r) => r.method === "HEAD",
      error: (e) => /ERR_CONNECTION_REFUSED|WebSocket connection|status of 401/.test(e),
    });
  });
});
