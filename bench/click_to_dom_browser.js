// Click to page in a real browser: Chromium opens the counter page of
// `click_to_dom --serve` and measures, in the page, from the click on the
// button to the label showing the handler's new text (p50, p99), while the
// server's other scripted sessions keep clicking.
//   node bench/click_to_dom_browser.js BINARY [--load N] [--clicks N]
"use strict";

const { spawn } = require("node:child_process");
const path = require("node:path");
const { chromium } = require(path.join(__dirname, "..", "tests", "e2e", "node_modules", "playwright-core"));
const { CHROMIUM_ARGS } = require(path.join(__dirname, "..", "tests", "e2e", "harness"));

function arg(name, fallback) {
  const i = process.argv.indexOf(name);
  return i > 0 ? Number(process.argv[i + 1]) : fallback;
}

async function measure(binary, load, clicks) {
  const server = spawn(binary, ["--serve", "0", "--load", String(load)], {
    stdio: ["ignore", "pipe", "ignore"],
  });
  try {
    const url = await new Promise((resolve, reject) => {
      let out = "";
      server.stdout.on("data", (chunk) => {
        out += chunk;
        const m = /(http:\/\/127\.0\.0\.1:\d+\/)/.exec(out);
        if (m) resolve(m[1]);
      });
      server.on("exit", () => reject(new Error("o servidor do benchmark terminou")));
    });
    const browser = await chromium.launch({
      executablePath: process.env.TAMBLO_E2E_CHROMIUM || "/usr/bin/chromium",
      headless: true,
      args: CHROMIUM_ARGS,
    });
    try {
      const page = await browser.newPage();
      await page.goto(url);
      await page.locator("#vexlo-loader").waitFor({ state: "hidden" });
      await page.waitForTimeout(500);
      const times = await page.evaluate(async (count) => {
        const label = document.getElementById("LBLCONTADOR");
        const button = document.getElementById("BTNCONTAR");
        const out = [];
        for (let i = 0; i < count; i++) {
          const before = label.textContent;
          const t0 = performance.now();
          await new Promise((resolve) => {
            const observer = new MutationObserver(() => {
              if (label.textContent !== before) {
                observer.disconnect();
                resolve();
              }
            });
            observer.observe(label, { childList: true, characterData: true, subtree: true });
            button.click();
          });
          out.push(performance.now() - t0);
          await new Promise((resolve) => setTimeout(resolve, 20));
        }
        return out;
      }, clicks);
      times.sort((a, b) => a - b);
      const at = (q) => times[Math.min(times.length - 1, Math.floor(q * times.length))];
      console.log(
        `navegador, ${load + 1} sessões ativas: cliques ${times.length}  ` +
          `p50 ${at(0.5).toFixed(3)} ms  p99 ${at(0.99).toFixed(3)} ms  max ${times[times.length - 1].toFixed(3)} ms`,
      );
    } finally {
      await browser.close();
    }
  } finally {
    server.kill("SIGTERM");
    await new Promise((resolve) => server.on("exit", resolve));
  }
}

(async () => {
  const binary = process.argv[2];
  const clicks = arg("--clicks", 200);
  const loads = process.argv.includes("--load") ? [arg("--load", 0)] : [0, 99];
  for (const load of loads) await measure(binary, load, clicks);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
