// The data grid and the upload in a real browser, against the fixture
// program tamblo-e2e-grid (tests/e2e/fixture) and a real Firebird database:
// the requests are listed through jqGrid; sorting and paging happen in the
// page; a click moves the server's dataset; an edited cell is written into
// the record it shows, whatever the page sorted, and a refused one is
// restored with the server's reason; a cell button runs the form's handler
// on its row; a file reaches the form's upload handler, and a script that
// skips the page's checks is refused by the server with a clear reason.
"use strict";

const { test } = require("node:test");
const assert = require("node:assert/strict");
const { execFile } = require("node:child_process");
const {
  fixtureBinary,
  startTamblo,
  launchBrowser,
  openPage,
  waitFor,
} = require("./harness");

const GRID = "#GRDLISTA";
const ROWS = `${GRID} tr.jqgrow`;

/** One value read from the test database with isql-fb. */
function queryDatabase(database, sql) {
  return new Promise((resolve, reject) => {
    const child = execFile(
      "isql-fb",
      ["-user", "SYSDBA", "-password", "plumtree7", "-ch", "UTF8", "-q",
       `${database.host}:${database.path}`],
      (error, stdout, stderr) => (error ? reject(new Error(`${error.message}\n${stderr}`)) : resolve(stdout)),
    );
    child.stdin.end(`SET HEADING OFF;\n${sql};\n`);
  });
}

/** The grid page, loaded and released by the server, with its rows shown. */
async function openGrid(t, browser, server) {
  const opened = await openPage(t, browser, server, server.url("/"));
  const { page, record } = opened;
  await waitFor(
    () => record.websockets.some((ws) => ws.sent.some((m) => m.includes("AfterPageLoad"))),
    "the page-load event",
  );
  await page.locator(ROWS).first().waitFor({ state: "visible" });
  return opened;
}

/** The texts of one column (by its name in the grid) on the page shown. */
async function columnTexts(page, name) {
  return page.$$eval(`${ROWS} td[aria-describedby="${GRID.slice(1)}_${name}"]`, (cells) =>
    cells.map((c) => c.textContent.trim()),
  );
}

/** The cell of a row (a locator) in the column of that name. */
function cell(row, name) {
  return row.locator(`td[aria-describedby="${GRID.slice(1)}_${name}"]`);
}

/** The dialog's text once it shows; closes it with its button. */
async function dialogText(page) {
  const popup = page.locator(".swal2-popup");
  await popup.waitFor({ state: "visible" });
  const text = (await page.locator(".swal2-html-container").textContent()).trim();
  await page.click(".swal2-confirm");
  await popup.waitFor({ state: "detached" });
  return text;
}

// The cell post of a refused edit and its console report are expected.
const allowRefusedPost = {
  failed: (r) => r.url.includes("/rest/json/jqgrid/post") && r.status === 404,
  error: (e) => e.includes("Erro durante a edição da célula") || e.includes("404"),
};

test("data grid and upload in the browser", async (t) => {
  const server = await startTamblo(t, { binary: fixtureBinary(), args: ["--rows", "150"] });
  const browser = await launchBrowser(t);

  await t.test("rows, local sorting and paging", async (t) => {
    const { page, record } = await openGrid(t, browser, server);
    // 100 rows a page, of the seed's requests and the 150 added.
    assert.equal(await page.locator(ROWS).count(), 100);
    const total = Number(
      (await queryDatabase(server.database, "SELECT COUNT(*) FROM SOLICITACAO")).trim(),
    );
    assert.ok(total >= 150);
    // A time stamp keeps its date and time.
    const dates = await columnTexts(page, "DATA_SOLICITACAO");
    assert.ok(dates.every((d) => /^\d\d\/\d\d\/\d{4} \d\d:\d\d:\d\d$/.test(d)), dates[0]);
    // A click on a header sorts in the page, as numbers; a second reverses.
    const requests = record.requests.length;
    await page.click(`th[id$="_ID_SOLICITACAO"]`);
    await waitFor(async () => {
      const ids = (await columnTexts(page, "ID_SOLICITACAO")).map(Number);
      return ids.every((v, i) => i === 0 || ids[i - 1] <= v) && ids[0] === 1;
    }, "ascending order");
    await page.click(`th[id$="_ID_SOLICITACAO"]`);
    await waitFor(async () => {
      const ids = (await columnTexts(page, "ID_SOLICITACAO")).map(Number);
      return ids.every((v, i) => i === 0 || ids[i - 1] >= v) && ids[0] === total;
    }, "descending order");
    // The next page, from the rows the page already has.
    await page.click(`#next_PAGER${GRID.slice(1)}`);
    await waitFor(async () => (await columnTexts(page, "ID_SOLICITACAO"))[0] === String(total - 100), "page 2");
    assert.equal(await page.inputValue(`#PAGER${GRID.slice(1)} input.ui-pg-input`), "2");
    assert.equal(record.requests.length, requests, "sorting and paging ask the server nothing");
    record.assertClean();
  });

  await t.test("a click moves the dataset; an edit reaches its record whatever the sort", async (t) => {
    const { page, record } = await openGrid(t, browser, server);
    // Sorted descending: the first row shown is the last record.
    await page.click(`th[id$="_ID_SOLICITACAO"]`);
    await page.click(`th[id$="_ID_SOLICITACAO"]`);
    // A row by its record number: the rows are read again after a post.
    const byRecord = async (n) => page.locator(`${ROWS}[id="${await page.locator(ROWS).nth(n).getAttribute("id")}"]`);
    const row = await byRecord(2);
    const id = (await cell(row, "ID_SOLICITACAO").textContent()).trim();
    const before = (await cell(row, "SOLICITACAO").textContent()).trim();
    await cell(row, "ID_SOLICITACAO").click();
    // The data-aware edit shows the record the server's dataset moved to.
    await waitFor(async () => (await page.inputValue("#DBEDESCRICAO")) === before, "the edit follows");

    // Edit the description in the row and save it with Enter.
    const text = `Buraco na "rua" <b>${id}</b> – ação`;
    await cell(row, "SOLICITACAO").click();
    const input = cell(row, "SOLICITACAO").locator("input");
    await input.waitFor({ state: "visible" });
    await input.fill(text);
    await input.press("Enter");
    await waitFor(
      async () =>
        (await queryDatabase(server.database, `SELECT SOLICITACAO FROM SOLICITACAO WHERE ID_SOLICITACAO = ${id}`)).trim() ===
        text,
      "the edit in the database",
    );
    // Shown as text, never as markup.
    await waitFor(
      async () => (await cell(row, "SOLICITACAO").textContent()).trim() === text,
      "the saved text in the row",
    );
    assert.equal(await cell(row, "SOLICITACAO").locator("b").count(), 0);

    // A date the server cannot read: refused with its reason, row restored,
    // nothing written.
    const other = await byRecord(5);
    const otherId = (await cell(other, "ID_SOLICITACAO").textContent()).trim();
    const date = (await cell(other, "DATA_SOLICITACAO").textContent()).trim();
    await cell(other, "ID_SOLICITACAO").click();
    await cell(other, "DATA_SOLICITACAO").click();
    const dateInput = cell(other, "DATA_SOLICITACAO").locator("input");
    await dateInput.waitFor({ state: "visible" });
    await dateInput.fill("31/02/20xx");
    await dateInput.press("Enter");
    assert.match(await dialogText(page), /^O valor "31\/02\/20xx" não foi aceito na coluna Data/);
    await waitFor(
      async () => (await cell(other, "DATA_SOLICITACAO").textContent()).trim() === date,
      "the row restored",
    );
    const stored = (
      await queryDatabase(
        server.database,
        `SELECT EXTRACT(YEAR FROM DATA_SOLICITACAO) FROM SOLICITACAO WHERE ID_SOLICITACAO = ${otherId}`,
      )
    ).trim();
    assert.equal(stored, date.slice(6, 10));
    record.assertClean(allowRefusedPost);
  });

  await t.test("checked rows: the page sends the rows checked as the grid holds them", async (t) => {
    // The fixture's grid with check boxes (TAMBLO_E2E_MULTI).
    const multi = await startTamblo(t, {
      binary: fixtureBinary(),
      args: ["--rows", "20"],
      env: { TAMBLO_E2E_MULTI: "1" },
    });
    const { page, record } = await openGrid(t, browser, multi);
    const rows = page.locator(ROWS);
    const sent = () =>
      record.websockets.flatMap((ws) => ws.sent).map((m) => (m.match(/"Parameters":"(rowid=[^"]*)"/) || [])[1]).filter(Boolean);
    const step = async (action, expected) => {
      const before = sent().length;
      await action();
      await waitFor(() => sent().length > before, "the event");
      assert.match(sent().at(-1), expected);
    };
    const id = async (n) => rows.nth(n).getAttribute("id");
    const [a, b, c] = [await id(1), await id(3), await id(4)];
    await step(() => rows.nth(1).locator("input.cbox").click(), new RegExp(`^rowid=${a}&col=0&rowsids=${a}&key=`));
    await step(() => rows.nth(3).locator("input.cbox").click(), new RegExp(`^rowid=${b}&col=0&rowsids=${a},${b}&key=`));
    await step(() => rows.nth(1).locator("input.cbox").click(), new RegExp(`^rowid=${a}&col=0&rowsids=${b}&key=`));
    // A click beside the boxes leaves that row alone checked, and moves the
    // dataset to it.
    const text = (await cell(rows.nth(4), "SOLICITACAO").textContent()).trim();
    await step(() => cell(rows.nth(4), "ID_SOLICITACAO").click(), new RegExp(`^rowid=${c}&col=1&rowsids=${c}&key=`));
    await waitFor(async () => (await page.inputValue("#DBEDESCRICAO")) === text, "the edit follows");
    // The header's box checks every row.
    await step(() => page.click("#cb_GRDLISTA"), /^rowid=0&rowsids=(\d+,){19,}\d+$/);
    record.assertClean();
  });

  await t.test("a cell button runs the form's handler on its row", async (t) => {
    const { page, record } = await openGrid(t, browser, server);
    const row = page.locator(ROWS).nth(3);
    const text = (await cell(row, "SOLICITACAO").textContent()).trim();
    const recno = await row.getAttribute("id");
    await row.locator("button", { hasText: "Marcar" }).click();
    await waitFor(
      async () => (await page.textContent("#LBLBOTAO")).trim() === `Botão na linha ${recno}: ${text}`,
      "the button's handler",
    );
    record.assertClean();
  });

  await t.test("a file reaches the form's upload handler", async (t) => {
    const { page, record } = await openGrid(t, browser, server);
    await page.setInputFiles("#fileInput", {
      name: "nota.txt",
      mimeType: "text/plain",
      buffer: Buffer.from("Olá, ouvidoria.\n"),
    });
    await page.click("#uploadButton");
    assert.equal(await dialogText(page), "Arquivos enviados com sucesso!");
    await waitFor(
      async () => (await page.textContent("#LBLARQUIVOS")).trim() === "Recebidos: nota.txt (17 bytes)",
      "the upload handler",
    );
    // The page's own checks: a file over the limit is never sent.
    const posts = record.requests.filter((r) => r.url.includes("/vexlo/upload")).length;
    await page.setInputFiles("#fileInput", {
      name: "grande.txt",
      mimeType: "text/plain",
      buffer: Buffer.alloc(1024 * 1024 + 1, "a"),
    });
    await page.click("#uploadButton");
    assert.equal(await dialogText(page), "O arquivo grande.txt excede o tamanho máximo permitido.");
    assert.equal(record.requests.filter((r) => r.url.includes("/vexlo/upload")).length, posts);
    record.assertClean();
  });

  await t.test("the server refuses what a script sends past the page's checks", async (t) => {
    const { page, record } = await openGrid(t, browser, server);
    const answers = await page.evaluate(async () => {
      const script = [...document.scripts].map((s) => s.textContent).find((s) => s.includes("/vexlo/upload?"));
      const address = script.match(/url: "([^"]+)"/)[1];
      const send = async (files) => {
        const form = new FormData();
        for (const [name, size] of files) form.append("fileInput", new Blob([new Uint8Array(size).fill(97)]), name);
        const answer = await fetch(address, { method: "POST", body: form });
        return { status: answer.status, text: await answer.text() };
      };
      return [
        await send([["grande.txt", 1024 * 1024 + 1]]),
        await send([["grande.txt", 3 * 1024 * 1024]]),
        await send([["a.txt", 10], ["b.txt", 10], ["c.txt", 10]]),
        await send([["programa.exe", 10]]),
        await send([["a.txt", 700 * 1024], ["b.pdf", 700 * 1024]]),
      ];
    });
    assert.deepEqual(answers, [
      { status: 413, text: "O arquivo grande.txt excede o tamanho máximo permitido." },
      { status: 413, text: "O tamanho total dos arquivos selecionados excede o limite permitido." },
      { status: 413, text: "Você pode selecionar no máximo 2 arquivos." },
      { status: 415, text: "O tipo de arquivo do arquivo programa.exe não é permitido." },
      { status: 413, text: "O tamanho total dos arquivos selecionados excede o limite permitido." },
    ]);
    // Nothing reached the handler.
    await page.waitForTimeout(300);
    assert.equal((await page.textContent("#LBLARQUIVOS")).trim(), "Nenhum arquivo recebido.");
    record.assertClean({
      failed: (r) => r.url.includes("/vexlo/upload") && (r.status === 413 || r.status === 415),
      error: (e) => e.includes("413") || e.includes("415"),
    });
  });
});
