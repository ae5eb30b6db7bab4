// The whole application in a real browser against a real tamblo --web and a
// real Firebird database: after the login the menu page, its side menu and
// menu bar opening the forms as tabs, the forms' own buttons, and "Sair".
// One server and one browser serve every case.
"use strict";

const { test } = require("node:test");
const assert = require("node:assert/strict");
const { startTamblo, launchBrowser, openPage, waitFor } = require("./harness");

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

/** The page is loaded and no event is pending. */
async function settled(page) {
  await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
  await page.waitForFunction(() => typeof connectionInfo !== "undefined" && !isReloadPage);
}

/** The tabs' titles, in order. */
async function tabTitles(page) {
  return (await page.locator(".tamblo-abas .nav-link").allTextContents()).map((s) => s.trim());
}

async function activeTab(page) {
  return (await page.textContent(".tamblo-abas .nav-link.active")).trim();
}

/** Clicks and waits until the tabs read AExpected (the page reloads). */
async function openTab(page, selector, expected) {
  await page.click(selector);
  await waitFor(async () => {
    try {
      return JSON.stringify(await tabTitles(page)) === JSON.stringify(expected);
    } catch {
      return false;
    }
  }, `tabs ${expected.join(", ")}`);
  await settled(page);
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
    record.assertClean();
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
    record.assertClean();
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
    await page.locator(".tab-pane.active.show .tamblo-sair").waitFor();
    await page.click(".tab-pane.active.show .tamblo-sair");
    titles.splice(1, 1);
    await waitFor(async () => JSON.stringify(await tabTitles(page)) === JSON.stringify(titles), "Sair");
    await settled(page);
    // The close control of a tab that is not the active one.
    await page.click(".tamblo-abas .nav-item:nth-child(1) .tamblo-fechar-aba");
    titles.splice(0, 1);
    await waitFor(async () => JSON.stringify(await tabTitles(page)) === JSON.stringify(titles), "close");
    await settled(page);
    while (titles.length > 0) {
      await page.click(".tamblo-abas .nav-item:nth-child(1) .tamblo-fechar-aba");
      titles.splice(0, 1);
      await waitFor(async () => (await page.locator(".tamblo-abas .nav-link").count()) === titles.length, "closing");
      await settled(page);
    }
    assert.match(await page.getAttribute("#TAMBLO_CONTEUDO", "class"), /sem-abas/);
    record.assertClean();
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
    record.assertClean();
  });
});
