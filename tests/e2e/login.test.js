// The login form working in a real browser against a real tamblo --web and
// a real Firebird database: the form's own btnEntrarClick runs on the
// server, its messages come as web dialogs, the fields keep what was typed
// after a refusal, and a right account opens the menu, also for two
// browsers logging in at once.
"use strict";

const { test } = require("node:test");
const assert = require("node:assert/strict");
const { startTamblo, launchBrowser, openPage, waitFor } = require("./harness");

/** The login page, loaded and released by the server. */
async function openLogin(t, browser, server) {
  const opened = await openPage(t, browser, server, server.url("/"));
  const { page, record } = opened;
  await waitFor(
    () => record.websockets.some((ws) => ws.sent.some((m) => m.includes("AfterPageLoad"))),
    "the page-load event",
  );
  await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
  return opened;
}

/** Types both fields (replacing what they hold) and presses Entrar. */
async function entrar(page, login, senha) {
  await page.fill("#EDTLOGIN", login);
  await page.fill("#EDTSENHA", senha);
  await page.click("#BTNENTRAR");
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

test("login form in the browser", async (t) => {
  const server = await startTamblo(t);
  const browser = await launchBrowser(t);

  await t.test("the form's controls: the fields, the button, an empty password", async (t) => {
    const { page, record } = await openLogin(t, browser, server);
    assert.equal(await page.inputValue("#EDTLOGIN"), "ketil");
    // A password is never written into the page.
    assert.equal(await page.getAttribute("#EDTSENHA", "type"), "password");
    assert.equal(await page.inputValue("#EDTSENHA"), "");
    assert.equal((await page.textContent("#BTNENTRAR")).trim(), "Entrar");
    assert.equal((await page.textContent("#LBLLOGIN")).trim(), "Nome de Usuário");
    assert.equal((await page.textContent("#LBLSENHA")).trim(), "Senha");
    record.assertClean();
  });

  await t.test("the three messages, the case rules and the fields kept", async (t) => {
    const { page, record } = await openLogin(t, browser, server);
    const cases = [
      // An empty name wins over an empty password: one message only.
      { login: "", senha: "", message: "Informe o Login" },
      { login: "ketil", senha: "", message: "Informe a senha" },
      { login: "ketil", senha: "bryn", message: "Usuário ou Senha não confere!" },
      { login: "KETIL", senha: "KETIL", message: "Usuário ou Senha não confere!" },
      { login: "ketil ", senha: "ketil", message: "Usuário ou Senha não confere!" },
      { login: "bryn", senha: "Bryn", message: "Usuário ou Senha não confere!" },
    ];
    for (const c of cases) {
      await entrar(page, c.login, c.senha);
      assert.equal(await dialogText(page), c.message, JSON.stringify(c));
      assert.equal(await page.locator(".swal2-popup").count(), 0, "one dialog per click");
      // The fields keep what was typed; the page stays the login.
      assert.equal(await page.inputValue("#EDTLOGIN"), c.login);
      assert.equal(await page.inputValue("#EDTSENHA"), c.senha);
      assert.equal(await page.title(), "Corvessa - Tamblo");
    }
    // The refusal is a warning.
    await entrar(page, "ketil", "bryn");
    await page.locator(".swal2-icon.swal2-warning").waitFor({ state: "visible" });
    assert.equal(await dialogText(page), "Usuário ou Senha não confere!");
    record.assertClean();
  });

  await t.test("bryn/bryn and ketil/ketil log in at once, each into the menu", async (t) => {
    const first = await openLogin(t, browser, server);
    const second = await openLogin(t, browser, server);
    await entrar(first.page, "bryn", "bryn");
    // Enter in a field presses Entrar, as on the desktop.
    await second.page.fill("#EDTSENHA", "ketil");
    await second.page.press("#EDTSENHA", "Enter");
    for (const opened of [first, second]) {
      const { page } = opened;
      await page.locator("#PNLMENU").waitFor({ state: "visible" });
      assert.equal(await page.title(), "Corvessa - Tamblo");
      assert.equal((await page.textContent("#SPEEDBUTTON4")).trim(), "Gerenciamento");
      opened.record.assertClean();
    }
  });
});
