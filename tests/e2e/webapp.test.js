// The whole application in a real browser against a real tamblo --web and a
// real Firebird database: after the login the menu page, its side menu and
// menu bar opening the forms as tabs, the forms' own buttons, and "Sair".
// One server and one browser serve every case.
"use strict";

const { test } = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const { execFile } = require("node:child_process");
const { startTamblo, launchBrowser, openPage, waitFor, tempDir, REPO_ROOT } = require("./harness");

/** The rows a query answers, read with isql-fb from the server's database. */
async function sql(t, server, query) {
  const dir = tempDir(t);
  const script = path.join(dir, "q.sql");
  fs.writeFileSync(script, `SET HEADING OFF;\n${query};\n`);
  const out = await new Promise((resolve, reject) =>
    execFile(
      "isql-fb",
      ["-q", "-ch", "UTF8", "-user", "SYSDBA", "-password", "plumtree7", "-i", script,
        `${server.database.host}:${server.database.path}`],
      (error, stdout, stderr) => (error ? reject(new Error(stderr || error.message)) : resolve(stdout)),
    ),
  );
  return out.split("\n").map((l) => l.trim()).filter((l) => l.length > 0);
}

/** A page that reloads (a form opened or closed) drops the rows request of
 * the page it replaces: that is expected, any other failure is not. */
const RELOADS = {
  failed: (r) => r.failure === "net::ERR_ABORTED" && /\/rest\/json\/jqgrid\/get\?/.test(r.url),
};

/** The dialog's text once it shows; closes it with its confirm button. */
async function dialogText(page) {
  const popup = page.locator(".swal2-popup");
  await popup.waitFor({ state: "visible" });
  const text = (await page.locator(".swal2-html-container").textContent()).trim();
  await page.click(".swal2-confirm");
  await popup.waitFor({ state: "detached" });
  return text;
}

/** A control of the form in the active tab, by its element id's end. */
function inTab(page, id) {
  return page.locator(`.tab-pane.active.show [id$="_${id}"]`);
}

/** A control of the open popup. */
function inPopup(page, id) {
  return page.locator(`.modal.show [id$="_${id}"]`);
}

/** The texts of one column of the active tab's grid, in page order. */
async function gridColumn(page, name) {
  try {
    return await page.evaluate((column) => {
      const table = document.querySelector(".tab-pane.active.show table.ui-jqgrid-btable");
      if (!table) return [];
      return Array.from(table.querySelectorAll("tr.jqgrow > td"))
        .filter((td) => td.getAttribute("aria-describedby") === `${table.id}_${column}`)
        .map((td) => td.textContent.trim());
    }, name);
  } catch {
    return null; // the page is reloading
  }
}

/** A page logged in as bryn, showing the menu. */
async function logIn(t, browser, server) {
  const opened = await openPage(t, browser, server, server.url("/"));
  const { page } = opened;
  await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
  await page.fill("#EDTLOGIN", "bryn");
  await page.fill("#EDTSENHA", "bryn");
  await page.click("#BTNENTRAR");
  await page.locator("#PNLMENU").waitFor();
  await settled(page);
  return opened;
}

/** The page is loaded, no event is pending and the grids have their rows. */
async function settled(page) {
  await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
  await page.waitForFunction(
    () =>
      typeof connectionInfo !== "undefined" &&
      !isReloadPage &&
      (typeof jQuery === "undefined" ||
        (jQuery.active === 0 &&
          // each grid has its rows (once loaded it keeps them in the page)
          Array.from(document.querySelectorAll("table.ui-jqgrid-btable")).every(
            (g) => jQuery(g).jqGrid("getGridParam", "datatype") === "local",
          ))),
  );
}

/** The tabs' titles, in order (none while the page is reloading). */
async function tabTitles(page) {
  try {
    return (await page.locator(".tamblo-abas .nav-link").allTextContents()).map((s) => s.trim());
  } catch {
    return null;
  }
}

async function activeTab(page) {
  try {
    return (await page.textContent(".tamblo-abas .nav-link.active", { timeout: 1000 })).trim();
  } catch {
    return null;
  }
}

/** Waits until the tabs read AExpected and the page has settled. */
async function tabsAre(page, expected, what) {
  await waitFor(
    async () => JSON.stringify(await tabTitles(page)) === JSON.stringify(expected),
    `${what}: tabs ${expected.join(", ")}`,
  );
  await settled(page);
}

/** Clicks and waits until the tabs read AExpected (the page reloads). */
async function openTab(page, selector, expected) {
  await page.click(selector);
  await tabsAre(page, expected, selector);
}

test("the application in the browser", async (t) => {
  const server = await startTamblo(t);
  const browser = await launchBrowser(t);

  await t.test("the menu page: menu bar, side menu with pictures, disabled entries", async (t) => {
    const { page, record } = await logIn(t, browser, server);
    assert.equal(await page.title(), "Corvessa - Tamblo");
    const bar = (await page.locator(".tamblo-barra > ul > li > a").allTextContents()).map((s) =>
      s.trim(),
    );
    assert.deepEqual(bar, ["Cadastros", "Solicitações", "Usuários", "Sair"]);
    const cadastros = (
      await page.locator("#MENU_CADASTROS1 + .dropdown-menu .dropdown-item").allTextContents()
    ).map((s) => s.trim());
    assert.deepEqual(cadastros, [
      "Prefeitura",
      "Unidades",
      "Tipo de Unidade",
      "Tipo de Solicitação",
      "Situação de Solicitação",
    ]);
    const side = (await page.locator("#PNLMENU .tamblo-item").allTextContents()).map((s) =>
      s.trim(),
    );
    assert.deepEqual(side, [
      "Recolher",
      "Solicitações",
      "Gerenciamento",
      "Relatório",
      "Usuários",
      "Cad Usuários",
      "Tipos de Usuário",
      "Cadastros",
      "Prefeitura",
      "Unidades",
      "Tipos de Unidade",
      "Tipos de Solicitações",
      "Situações",
      "Configurações",
    ]);
    assert.equal(await page.locator("#PNLMENU .tamblo-item img").count(), side.length);
    for (const id of ["#BTNOPCAO1", "#SPEEDBUTTON1", "#SPEEDBUTTON3"])
      assert.ok(await page.isDisabled(id), id);
    assert.ok(await page.isEnabled("#SPEEDBUTTON4"));
    assert.equal(await page.getAttribute("#BTNFECHAR", "title"), "Sair do sistema (Fechar)");
    // No form open: the logo, no tabs.
    assert.match(await page.getAttribute("#TAMBLO_CONTEUDO", "class"), /sem-abas/);
    record.assertClean(RELOADS);
  });

  await t.test("Recolher folds the side menu, the headers fold their groups", async (t) => {
    const { page, record } = await logIn(t, browser, server);
    const folded = async (id) => (await page.getAttribute(id, "class")).includes("recolhido");
    await page.click("#BTNRECOLHER");
    await waitFor(() => folded("#PNLMENU"), "side menu folded");
    assert.ok(!(await page.isVisible("#SPEEDBUTTON6 .tamblo-rotulo")));
    await page.click("#BTNRECOLHER");
    await waitFor(async () => !(await folded("#PNLMENU")), "side menu unfolded");
    await page.click("#SPEEDBUTTON5");
    await waitFor(() => folded("#PNLCADASTROS"), "group folded");
    assert.ok(!(await page.isVisible("#SPEEDBUTTON6")));
    assert.ok(await page.isVisible("#SPEEDBUTTON5"));
    await page.click("#SPEEDBUTTON5");
    await waitFor(() => page.isVisible("#SPEEDBUTTON6"), "group unfolded");
    record.assertClean(RELOADS);
  });

  await t.test("each entry opens its form as a tab; Sair and the close control", async (t) => {
    const { page, record } = await logIn(t, browser, server);
    const entries = [
      ["#SPEEDBUTTON6", "Cadastro da Prefeitura"],
      ["#SPEEDBUTTON7", "Cadastro de Unidades"],
      ["#SPEEDBUTTON8", "Cadastro de Tipos de Unidade"],
      ["#SPEEDBUTTON9", "Cadastro de Tipo de Solicitação"],
      ["#SPEEDBUTTON10", "Cadastro de Situação de Solicitação"],
      ["#SPEEDBUTTON4", "Solicitacoes"],
    ];
    const titles = [];
    for (const [button, title] of entries) {
      titles.push(title);
      await openTab(page, button, titles);
      assert.equal(await activeTab(page), title);
    }
    // An open form comes to the front instead of opening twice.
    await page.click("#SPEEDBUTTON8");
    await waitFor(async () => (await activeTab(page)) === "Cadastro de Tipos de Unidade", "front");
    assert.deepEqual(await tabTitles(page), titles);
    // The menu bar runs the same handlers.
    await page.click("#MENU_CADASTROS1");
    await page.click("#MENU_PREFEITURA1");
    await waitFor(async () => (await activeTab(page)) === "Cadastro da Prefeitura", "menu bar");
    assert.deepEqual(await tabTitles(page), titles);

    // A tab chosen on the page is the host's active tab: the form's own
    // "Sair" closes it.
    await page.click(".tamblo-abas .nav-link >> text=Cadastro de Unidades");
    await settled(page);
    await waitFor(async () => (await page.locator(".tab-pane.active.show").count()) === 1, "shown");
    await page.click(".tab-pane.active.show .tamblo-sair");
    titles.splice(1, 1);
    await tabsAre(page, titles, "Sair");
    // The close control of a tab that is not the active one.
    await page.click(".tamblo-abas .nav-item:nth-child(1) .tamblo-fechar-aba");
    titles.splice(0, 1);
    await tabsAre(page, titles, "close control");
    while (titles.length > 0) {
      await page.click(".tamblo-abas .nav-item:nth-child(1) .tamblo-fechar-aba");
      titles.splice(0, 1);
      await tabsAre(page, titles, "closing");
    }
    assert.match(await page.getAttribute("#TAMBLO_CONTEUDO", "class"), /sem-abas/);
    record.assertClean(RELOADS);
  });

  await t.test("Sair ends the session and comes back to a fresh login", async (t) => {
    const { page, record } = await logIn(t, browser, server);
    const before = await page.evaluate(() => connectionInfo.orvanesession);
    await openTab(page, "#SPEEDBUTTON10", ["Cadastro de Situação de Solicitação"]);
    await page.click("#BTNFECHAR");
    await page.locator("#EDTLOGIN").waitFor();
    await settled(page);
    const after = await page.evaluate(() => connectionInfo.orvanesession);
    assert.notEqual(after, before);
    // The old session is gone: its identifiers open nothing any more.
    const probe = await fetch(server.url(`/reconnect?token=x&orvanesession=${before}`), {
      method: "HEAD",
    });
    assert.equal(probe.status, 401);
    // The menu bar's Sair does the same.
    await page.fill("#EDTLOGIN", "bryn");
    await page.fill("#EDTSENHA", "bryn");
    await page.click("#BTNENTRAR");
    await page.locator("#PNLMENU").waitFor();
    await settled(page);
    await page.click("#MENU_SAIR1");
    await page.locator("#EDTLOGIN").waitFor();
    // A grid of the ended session asking for its rows gets no answer.
    record.assertClean({
      failed: (r) => RELOADS.failed(r) || (r.failure === "net::ERR_EMPTY_RESPONSE" && /jqgrid/.test(r.url)),
      error: (e) => /Error in Grid|ERR_EMPTY_RESPONSE/.test(e),
    });
  });

  await t.test("a registration form: Novo, the required field, Salvar, Cancelar", async (t) => {
    const { page, record } = await logIn(t, browser, server);
    await openTab(page, "#SPEEDBUTTON10", ["Cadastro de Situação de Solicitação"]);
    await page.locator(".tab-pane.active.show tr.jqgrow").first().waitFor();
    const before = await gridColumn(page, "NOME_SITUACAO");
    assert.ok(await inTab(page, "BTNNOVO").isEnabled());
    assert.ok(await inTab(page, "BTNSALVAR").isDisabled());
    assert.ok(await inTab(page, "BTNCANCELAR").isDisabled());
    await inTab(page, "BTNNOVO").click();
    await waitFor(() => inTab(page, "BTNSALVAR").isEnabled(), "Salvar enabled");
    assert.ok(await inTab(page, "BTNNOVO").isDisabled());
    // The name is required: the dataset's message, the record still editing.
    await inTab(page, "BTNSALVAR").click();
    assert.match(await dialogText(page), /Situação/);
    assert.ok(await inTab(page, "BTNSALVAR").isEnabled());
    const nome = `Em análise "<revisão>" d'água ${Date.now() % 100000}`;
    await inTab(page, "DBEDIT2").fill(nome);
    await inTab(page, "BTNSALVAR").click();
    await waitFor(async () => (await gridColumn(page, "NOME_SITUACAO")).includes(nome), "saved row");
    assert.ok(await inTab(page, "BTNNOVO").isEnabled());
    assert.ok(await inTab(page, "BTNSALVAR").isDisabled());
    assert.deepEqual(await sql(t, server, `SELECT COUNT(*) FROM SITUACAO WHERE NOME_SITUACAO = '${nome.replace(/'/g, "''")}'`), ["1"]);
    // Novo then Cancelar: the list as it was, Novo enabled again.
    await inTab(page, "BTNNOVO").click();
    await waitFor(() => inTab(page, "BTNCANCELAR").isEnabled(), "Cancelar enabled");
    await inTab(page, "BTNCANCELAR").click();
    await waitFor(() => inTab(page, "BTNNOVO").isEnabled(), "Novo enabled");
    assert.deepEqual(await gridColumn(page, "NOME_SITUACAO"), [...before, nome]);
    // Typing into a field of the current record starts editing it.
    await inTab(page, "DBEDIT2").fill(nome + " 2");
    await waitFor(() => inTab(page, "BTNSALVAR").isEnabled(), "editing after typing");
    await inTab(page, "BTNCANCELAR").click();
    await waitFor(() => inTab(page, "BTNNOVO").isEnabled(), "cancelled");
    record.assertClean(RELOADS);
  });

  await t.test("the city hall's logo: an upload replaces it, over 1 MiB is refused", async (t) => {
    const { page, record } = await logIn(t, browser, server);
    await openTab(page, "#SPEEDBUTTON6", ["Cadastro da Prefeitura"]);
    const logo = inTab(page, "DBILOGOPREFEITURA");
    const first = await logo.getAttribute("src");
    const dir = tempDir(t);
    const big = path.join(dir, "grande.png");
    const png = fs.readFileSync(path.join(REPO_ROOT, "app", "res", "menu_user.png"));
    fs.writeFileSync(big, Buffer.concat([png, Buffer.alloc(1048577 - png.length)]));
    await page.setInputFiles("#fileInput", big);
    await page.click("#uploadButton");
    assert.equal(await dialogText(page), "A imagem selecionado é maior que 1mb");
    assert.equal(await logo.getAttribute("src"), first);
    await page.setInputFiles("#fileInput", path.join(REPO_ROOT, "app", "res", "menu_user.png"));
    await page.click("#uploadButton");
    await waitFor(async () => (await logo.getAttribute("src")) !== first, "new logo");
    const src = await logo.getAttribute("src");
    assert.match(src, /^\/vexlo\/download\?file=[A-Za-z]+&token=[^&]+&orvanesession=[^&]+$/);
    // The page shows it: the browser read it through the session's route.
    await waitFor(() => logo.evaluate((img) => img.complete && img.naturalWidth === 24), "shown");
    // Loading a picture edits the record, as on the desktop.
    await waitFor(() => inTab(page, "BTNSALVAR").isEnabled(), "Salvar enabled");
    await inTab(page, "BTNSALVAR").click();
    await waitFor(() => inTab(page, "BTNSALVAR").isDisabled(), "saved");
    // Without the session's credentials the picture is not served.
    const status = await fetch(server.url(src.replace(/token=[^&]+/, "token=x")))
      .then((r) => r.status)
      .catch(() => 0);
    assert.notEqual(status, 200);
    record.assertClean(RELOADS);
  });

  await t.test("a request: registered, found by text and by situation, edited", async (t) => {
    const { page, record } = await logIn(t, browser, server);
    await openTab(page, "#SPEEDBUTTON4", ["Solicitacoes"]);
    await page.locator(".tab-pane.active.show tr.jqgrow").first().waitFor();
    // The list fits its tab on a laptop and on a phone; its columns scroll
    // sideways inside it.
    const viewport = page.viewportSize();
    for (const size of [{ width: 1280, height: 800 }, { width: 390, height: 844 }]) {
      await page.setViewportSize(size);
      await waitFor(
        () =>
          page.evaluate(() => {
            const grid = document.querySelector(".tab-pane.active.show .ui-jqgrid");
            const pane = document.querySelector(".tab-pane.active.show");
            const right = (e) => e.getBoundingClientRect().right;
            return grid && right(grid) <= right(pane) + 1 && right(grid) > right(pane) - 60;
          }),
        `the list fits at ${size.width} px`,
      );
    }
    await page.setViewportSize(viewport);
    const count = (await gridColumn(page, "ID_SOLICITACAO")).length;
    const texto = `Bueiro "entupido" <na> Rua São João, d'Ávila ${Date.now() % 100000}`;
    await inTab(page, "BTNNOVO").click();
    await page.locator(".modal.show").waitFor();
    await settled(page);
    await inPopup(page, "DBLOOKUPCOMBOBOX2").selectOption({ index: 1 });
    await inPopup(page, "DBEDIT3").fill(texto);
    await inPopup(page, "DBLOOKUPCOMBOBOX3").selectOption({ index: 1 });
    await inPopup(page, "DBLOOKUPCOMBOBOX1").selectOption({ label: "Concluída" });
    await inPopup(page, "DBLOOKUPCOMBOBOX4").selectOption({ index: 1 });
    await inPopup(page, "BTNSALVAR").click();
    await page.locator(".modal.show").waitFor({ state: "detached" });
    // The list was brought up to date after the save.
    await waitFor(async () => (await gridColumn(page, "SOLICITACAO")).includes(texto), "new row");
    assert.equal((await gridColumn(page, "ID_SOLICITACAO")).length, count + 1);
    assert.deepEqual(
      await sql(t, server, `SELECT COUNT(*) FROM SOLICITACAO WHERE SOLICITACAO = '${texto.replace(/'/g, "''")}'`),
      ["1"],
    );
    // Found by a piece of its text, as the desktop filters.
    await inTab(page, "EDTPESQUISA").fill("d'Ávila");
    await waitFor(async () => JSON.stringify(await gridColumn(page, "SOLICITACAO")) === JSON.stringify([texto]), "search");
    // And by its situation (the search still applied).
    await inTab(page, "CBBSITUACAO").selectOption({ label: "3 - Concluída" });
    await waitFor(async () => JSON.stringify(await gridColumn(page, "SOLICITACAO")) === JSON.stringify([texto]), "situation");
    await inTab(page, "CBBSITUACAO").selectOption({ label: "1 - Aberta" });
    await waitFor(async () => (await gridColumn(page, "SOLICITACAO")).length === 0, "other situation");
    await inTab(page, "CBBSITUACAO").selectOption({ label: "Todos" });
    await waitFor(async () => (await gridColumn(page, "SOLICITACAO")).length === 1, "all again");
    // Alterar on the row: the request form shows the text exactly as typed.
    await page.locator(".tab-pane.active.show tr.jqgrow td").nth(2).click();
    await settled(page);
    await inTab(page, "BTNALTERAR").click();
    await page.locator(".modal.show").waitFor();
    await settled(page);
    assert.equal(await inPopup(page, "DBEDIT3").inputValue(), texto);
    const novo = texto + " (revisto)";
    await inPopup(page, "DBEDIT3").fill(novo);
    await inPopup(page, "BTNSALVAR").click();
    await page.locator(".modal.show").waitFor({ state: "detached" });
    await inTab(page, "EDTPESQUISA").fill("");
    await waitFor(async () => (await gridColumn(page, "SOLICITACAO")).includes(novo), "edited row");
    assert.deepEqual(
      await sql(t, server, `SELECT COUNT(*) FROM SOLICITACAO WHERE SOLICITACAO = '${novo.replace(/'/g, "''")}'`),
      ["1"],
    );
    record.assertClean(RELOADS);
  });

  await t.test("two browsers edit different records without seeing each other's edits", async (t) => {
    const first = await logIn(t, browser, server);
    const second = await logIn(t, browser, server);
    for (const { page } of [first, second]) {
      await openTab(page, "#SPEEDBUTTON8", ["Cadastro de Tipos de Unidade"]);
      await page.locator(".tab-pane.active.show tr.jqgrow").first().waitFor();
    }
    const a = first.page;
    const b = second.page;
    await a.locator(".tab-pane.active.show tr.jqgrow").nth(0).locator("td").first().click();
    await b.locator(".tab-pane.active.show tr.jqgrow").nth(1).locator("td").first().click();
    await settled(a);
    await settled(b);
    const nameA = await inTab(a, "DBEDIT2").inputValue();
    const nameB = await inTab(b, "DBEDIT2").inputValue();
    assert.notEqual(nameA, nameB);
    await inTab(a, "DBEDIT2").fill("Editado por A");
    await inTab(b, "DBEDIT2").fill("Editado por B");
    await waitFor(() => inTab(a, "BTNSALVAR").isEnabled(), "A editing");
    await waitFor(() => inTab(b, "BTNSALVAR").isEnabled(), "B editing");
    // Each page shows only its own edit; the lists show the stored names.
    await a.waitForTimeout(300);
    assert.equal(await inTab(a, "DBEDIT2").inputValue(), "Editado por A");
    assert.equal(await inTab(b, "DBEDIT2").inputValue(), "Editado por B");
    assert.ok(!(await gridColumn(a, "TIPO_UNIDADE")).includes("Editado por B"));
    assert.ok(!(await gridColumn(b, "TIPO_UNIDADE")).includes("Editado por A"));
    // B saves; A's record is still A's, and A's list shows B's change once
    // it is read again (A saves and the list reloads).
    await inTab(b, "BTNSALVAR").click();
    await waitFor(async () => (await gridColumn(b, "TIPO_UNIDADE")).includes("Editado por B"), "B saved");
    assert.equal(await inTab(a, "DBEDIT2").inputValue(), "Editado por A");
    await inTab(a, "BTNSALVAR").click();
    await waitFor(async () => (await gridColumn(a, "TIPO_UNIDADE")).includes("Editado por A"), "A saved");
    first.record.assertClean(RELOADS);
    second.record.assertClean(RELOADS);
  });
});
