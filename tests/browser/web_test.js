#!/usr/bin/env node
// The player's web page in Debian's chromium, driven by playwright-core
// (scripts/test-web runs it):
//  - on virtual time (the page's "?headless&steps=N&input=..."), the canvas
//    holds exactly the frame the native headless player draws after step N;
//  - a chart error shows the player's message in the page;
//  - a quick save made in one visit is kept in the browser's storage and a
//    later visit loads it (its frame equals the native player's loading it);
//  - in real time the title appears, Enter moves on to the select screen, a
//    swipe down moves its cursor and a tap decides;
// and measures the download size, the time to the first frame and the main
// thread's time per animation frame.
"use strict";

const fs = require("fs");
const http = require("http");
const path = require("path");
const { execFileSync } = require("child_process");
const { chromium } = require("playwright-core");

function option(name, fallback) {
  const i = process.argv.indexOf("--" + name);
  if (i >= 0 && i + 1 < process.argv.length) return process.argv[i + 1];
  if (fallback === undefined) throw new Error("missing --" + name);
  return fallback;
}

const site = path.resolve(option("site"));
const player = path.resolve(option("player"));
const data = path.resolve(option("data"));
const out = path.resolve(option("out"));
const browserPath = option("chromium", "/usr/bin/chromium");
const maxDownload = Number(option("max-download", "3000000"));
fs.mkdirSync(out, { recursive: true });

const results = [];
function check(name, ok, detail) {
  results.push({ name, ok });
  console.log(`${ok ? "ok  " : "FAIL"} ${name}${detail ? ": " + detail : ""}`);
}

// ---- a static server for the page; counts the bytes each path sent
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".png": "image/png" };
const sent = new Map();
const server = http.createServer((req, res) => {
  const url = new URL(req.url, "http://localhost");
  const root = url.pathname.startsWith("/native/") ? out : site;
  const rel = url.pathname.startsWith("/native/") ? url.pathname.slice(8) : url.pathname.slice(1) || "index.html";
  const file = path.join(root, path.normalize(rel));
  if (!file.startsWith(root) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    res.writeHead(404);
    res.end();
    return;
  }
  const body = fs.readFileSync(file);
  res.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
  res.end(body);
  sent.set(url.pathname, (sent.get(url.pathname) || 0) + body.length);
});

// ---- the native player's view of the same runs
function native(args) {
  execFileSync(player, ["--data", data, "--headless", ...args], { cwd: out, stdio: ["ignore", "ignore", "pipe"] });
}

function readLines(file) {
  return fs.readFileSync(file, "utf8").split("\n").filter((l) => l);
}

// Frame hashes of a native run by the scene each frame's last step ran in.
function framesByScene(name, steps, input) {
  const args = ["--steps", String(steps), "--trace", `${name}.trace`, "--frame-hashes", `${name}.hashes`];
  if (input) args.push("--input", input);
  native(args);
  const scene = new Map(readLines(path.join(out, `${name}.trace`)).map((l) => l.split(" ")).map((f) => [f[0], f[1]]));
  return readLines(path.join(out, `${name}.hashes`)).map((l) => {
    const [step, hash] = l.split(" ");
    return { step: Number(step), scene: scene.get(step), hash };
  });
}

// In the page: the canvas's pixels against a PNG, and the frame hash the
// native player writes (FNV-1a over blue, green, red bytes, top row first).
const inPage = `
window.lmCanvasPixels = () => {
  const c = document.getElementById("screen");
  return c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
};
window.lmCanvasHash = () => {
  const px = window.lmCanvasPixels();
  let h = 0xcbf29ce484222325n;
  const prime = 0x100000001b3n, mask = (1n << 64n) - 1n;
  for (let i = 0; i < px.length; i += 4)
    for (const b of [px[i + 2], px[i + 1], px[i]]) h = ((h ^ BigInt(b)) * prime) & mask;
  return h.toString(16).padStart(16, "0");
};
window.lmCompareWithPng = async (url) => {
  const img = new Image();
  img.src = url;
  await img.decode();
  const o = document.createElement("canvas");
  o.width = img.width;
  o.height = img.height;
  const ctx = o.getContext("2d");
  ctx.drawImage(img, 0, 0);
  const want = ctx.getImageData(0, 0, o.width, o.height).data;
  const got = window.lmCanvasPixels();
  if (want.length !== got.length) return { bad: -1, first: -1 };
  let bad = 0, first = -1;
  for (let i = 0; i < got.length; i += 4)
    if (got[i] !== want[i] || got[i + 1] !== want[i + 1] || got[i + 2] !== want[i + 2]) {
      if (first < 0) first = i / 4;
      bad++;
    }
  return { bad, first };
};
`;

const chromiumArgs = [
  "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
  "--disable-component-update", "--disable-sync", "--autoplay-policy=user-gesture-required",
];

async function openPage(browser, url, options = {}) {
  const context = await browser.newContext({ viewport: { width: 1000, height: 820 }, ...options });
  const page = await context.newPage();
  const log = [];
  page.on("console", (m) => log.push(m.text()));
  page.on("pageerror", (e) => log.push("page error: " + e.message));
  await page.addInitScript(inPage);
  await page.goto(url);
  return { context, page, log };
}

// ---- virtual time: the canvas equals the native frame
const enterEvery = (from, to, every) => {
  const keys = [];
  for (let s = from; s < to; s += every) keys.push(`${s}:enter`);
  return keys.join(",");
};
const cases = [
  { name: "opening logo", steps: 150, input: "" },
  { name: "select screen", steps: 400, input: "100:enter,160:enter,220:enter,350:down" },
  { name: "story, Japanese text and a face", steps: 1000, input: enterEvery(100, 900, 60) },
  { name: "story in English", steps: 1200, input: "100:enter,160:enter,220:enter,330:down," + enterEvery(340, 1100, 60) },
];

async function virtualTimeCases(browser, base) {
  for (const [i, c] of cases.entries()) {
    const shot = `case${i}.png`;
    const args = ["--steps", String(c.steps), "--shot", `${c.steps}:${shot}`, "--frame-hashes", `case${i}.hashes`];
    if (c.input) args.push("--input", c.input);
    native(args);
    const wantHash = readLines(path.join(out, `case${i}.hashes`)).pop().split(" ")[1];
    let url = `${base}/?headless&steps=${c.steps}`;
    if (c.input) url += `&input=${c.input}`;
    const { context, page, log } = await openPage(browser, url);
    try {
      await page.waitForFunction(() => window.Module && Module.lmEnded === true, null, { timeout: 120000 });
      const cmp = await page.evaluate((u) => window.lmCompareWithPng(u), `/native/${shot}`);
      const hash = await page.evaluate(() => window.lmCanvasHash());
      check(`virtual time, ${c.name} (step ${c.steps}): same pixels as the native shot`, cmp.bad === 0,
        cmp.bad ? `${cmp.bad} pixels differ, first at (${cmp.first % 320}, ${Math.floor(cmp.first / 320)})` : "");
      check(`virtual time, ${c.name}: same frame hash as the native run`, hash === wantHash, `${hash} vs ${wantHash}`);
      if (i === 2) await page.screenshot({ path: path.join(out, "page.png") });
    } catch (e) {
      check(`virtual time, ${c.name}`, false, e.message + " | " + log.join(" | "));
    } finally {
      await context.close();
    }
  }
}

// ---- a chart error: the same message as the native player's, in the page
async function chartError(browser, base) {
  const { context, page, log } = await openPage(browser, "about:blank");
  try {
    // A story whose only chart starts with the undefined instruction 0x82,
    // written into the page's file system before the player starts.
    await page.addInitScript(() => {
      window.lmPagePreRun = (FS) => {
        FS.mkdir("/broken");
        const event = new Uint8Array([0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x82]);
        FS.writeFile("/broken/EVENT.BIN", event);
        FS.writeFile("/broken/ASTARTUP.BIN", new Uint8Array(0));
        FS.writeFile("/broken/kirune.ini", "[DOROVANKA]\nSKIP=1\nCHART=0\nLINK=4\nMAX=1\nSTART=0\nCHAR=0\n");
      };
    });
    await page.goto(`${base}/?headless&steps=20&data=/broken`);
    await page.waitForFunction(() => window.Module && Module.lmEnded === true, null, { timeout: 60000 });
    const shown = await page.evaluate(() => ({
      visible: getComputedStyle(document.getElementById("notice")).display !== "none",
      text: document.getElementById("notice-caption").textContent + ": " +
        document.getElementById("notice-text").textContent,
    }));
    check("a chart error shows the player's message in the page", shown.visible && shown.text === "ERROR: CHART ERROR 0x82",
      JSON.stringify(shown));
  } catch (e) {
    check("a chart error shows in the page", false, e.message + " | " + log.join(" | "));
  } finally {
    await context.close();
  }
}

// ---- saves last in the browser's storage from one visit to the next
async function storage(browser, base) {
  const context = await browser.newContext({ viewport: { width: 1000, height: 820 } });
  const log = [];
  const visit = async (query) => {
    const page = await context.newPage();
    page.on("console", (m) => log.push(m.text()));
    page.on("pageerror", (e) => log.push("page error: " + e.message));
    await page.addInitScript(inPage);
    await page.goto(`${base}/?headless&${query}`);
    await page.waitForFunction(() => window.Module && Module.lmEnded === true, null, { timeout: 120000 });
    return page;
  };
  try {
    // Into the story, then F5: the quick save is written and stored.
    const first = await visit(`steps=1000&input=${enterEvery(100, 900, 60)},950:f5`);
    await first.waitForFunction(() => Module.lmStored >= 1, null, { timeout: 30000 });
    const saved = await first.evaluate(() => {
      const FS = Module.FS;
      const root = "/home/web_user/.local/share/lmplayer/saves";
      const story = FS.readdir(root).filter((n) => n !== "." && n !== "..");
      return story.length === 1 ? Array.from(FS.readFile(`${root}/${story[0]}/quick.sav`)) : null;
    });
    await first.close();
    check("a quick save is written in the page", saved !== null && saved.length > 28, saved ? `${saved.length} bytes` : "");
    fs.mkdirSync(path.join(out, "websaves"), { recursive: true });
    fs.writeFileSync(path.join(out, "websaves", "quick.sav"), Buffer.from(saved));

    // A later visit (a new page of the same browser profile) loads it in the opening.
    const second = await visit("steps=400&input=150:f9");
    const hash = await second.evaluate(() => window.lmCanvasHash());
    await second.close();
    native(["--steps", "400", "--input", "150:f9", "--save-dir", "websaves", "--frame-hashes", "load.hashes"]);
    native(["--steps", "400", "--frame-hashes", "noload.hashes"]);
    const want = readLines(path.join(out, "load.hashes")).pop().split(" ")[1];
    const without = readLines(path.join(out, "noload.hashes")).pop().split(" ")[1];
    check("a later visit loads the stored save: the native player's frame of that load", hash === want && want !== without,
      `${hash} vs ${want} (without the load: ${without})`);
  } catch (e) {
    check("saves in the browser's storage", false, e.message + " | " + log.join(" | "));
  } finally {
    await context.close();
  }
}

// ---- real time: title, Enter, swipe, tap
async function waitForCanvas(page, hashes, what, timeout) {
  const deadline = Date.now() + timeout;
  for (;;) {
    const h = await page.evaluate(() => window.lmCanvasHash());
    if (hashes.has(h)) return h;
    if (Date.now() > deadline) throw new Error(`${what} did not appear (canvas ${h})`);
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));
  }
}

// Holds a key for a few animation frames: a press shorter than a 16 ms step is not seen.
async function framesPass(page, n) {
  const start = await page.evaluate(() => Module.lmStats.frames);
  await page.waitForFunction((s) => Module.lmStats.frames >= s, start + n);
}

async function swipe(cdp, x, y0, y1) {
  await cdp.send("Input.dispatchTouchEvent", { type: "touchStart", touchPoints: [{ x, y: y0 }] });
  for (let i = 1; i <= 4; ++i)
    await cdp.send("Input.dispatchTouchEvent", { type: "touchMove", touchPoints: [{ x, y: y0 + ((y1 - y0) * i) / 4 }] });
  await cdp.send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [] });
}

function stats(values) {
  const v = values.slice().sort((a, b) => a - b);
  const at = (q) => v[Math.min(v.length - 1, Math.floor(q * v.length))];
  const mean = v.reduce((a, b) => a + b, 0) / v.length;
  return { mean: mean.toFixed(2), p50: at(0.5).toFixed(2), p95: at(0.95).toFixed(2), max: v[v.length - 1].toFixed(2) };
}

async function realTime(browser, base) {
  // Native runs give the frames to wait for; a "rest" set is the last frames
  // of a run that ends waiting for a key.
  const plain = framesByScene("rt-title", 700, "");
  const titleRest = (() => {
    const count = new Map();
    for (const f of plain) if (f.scene === "title") count.set(f.hash, (count.get(f.hash) || 0) + 1);
    return [...count.entries()].sort((a, b) => b[1] - a[1])[0][0];
  })();
  const restStep = plain.find((f) => f.scene === "title" && f.hash === titleRest).step;
  const enterAt = restStep + 30, decideAt = enterAt + 400, messageAt = decideAt + 400;
  const downAt = messageAt + 150, chooseAt = downAt + 100;
  const rest = (name, end, input) => new Set(framesByScene(name, end, input).slice(-32).map((f) => f.hash));
  const toSelect = framesByScene("rt-select", decideAt - 1, `${enterAt}:enter`);
  const selectStart = toSelect.find((f) => f.scene === "select").step;
  const selectSeen = new Set(toSelect.filter((f) => f.scene === "select" && f.step > selectStart + 100).map((f) => f.hash));
  const keys = [`${enterAt}:enter`, `${decideAt}:enter`];
  const message = rest("rt-message", messageAt - 1, keys.join(","));
  keys.push(`${messageAt}:enter`);
  const choice = rest("rt-choice", downAt - 1, keys.join(","));
  const japanese = rest("rt-japanese", chooseAt + 600, [...keys, `${chooseAt}:enter`].join(","));
  keys.push(`${downAt}:down`);
  const moved = rest("rt-moved", chooseAt - 1, keys.join(","));
  keys.push(`${chooseAt}:enter`);
  const english = rest("rt-english", chooseAt + 600, keys.join(","));
  const overlap = (x, y) => [...x].some((h) => y.has(h));
  if (overlap(message, choice) || overlap(choice, moved) || overlap(english, japanese) || selectSeen.has(titleRest))
    throw new Error("the native frames to wait for are not told apart");

  sent.clear();
  const t0 = Date.now();
  const { context, page, log } = await openPage(browser, `${base}/`, { hasTouch: true });
  const cdp = await context.newCDPSession(page);
  try {
    await page.waitForFunction(() => window.Module && Module.lmFirstFrameMs !== undefined, null, { timeout: 60000 });
    const firstFrame = await page.evaluate(() => Module.lmFirstFrameMs);
    const download = [...sent.values()].reduce((a, b) => a + b, 0);
    console.log(`download: ${download} bytes (${[...sent.entries()].map(([p, n]) => `${p} ${n}`).join(", ")})`);
    const loaded = await page.evaluate(() =>
      performance.getEntriesByType("resource").filter((r) => /lmplayer\.(wasm|data)$/.test(r.name))
        .map((r) => `${r.name.split("/").pop()} loaded at ${r.responseEnd.toFixed(0)} ms`).join(", "));
    console.log(`first frame: ${firstFrame.toFixed(0)} ms after navigation started (${loaded})`);
    check(`download under ${maxDownload} bytes`, download < maxDownload, `${download}`);

    await waitForCanvas(page, new Set([titleRest]), "the title", 60000);
    check("real time: the title appears", true, `${((Date.now() - t0) / 1000).toFixed(1)} s after loading`);
    await page.keyboard.down("Enter");
    await framesPass(page, 6);
    await page.keyboard.up("Enter");
    await waitForCanvas(page, selectSeen, "the select screen", 30000);
    check("real time: Enter moves on to the select screen", true);
    // The main thread's load while the select screen animates, with the test only counting frames.
    await cdp.send("Performance.enable");
    const before = await cdp.send("Performance.getMetrics");
    const framesBefore = await page.evaluate(() => Module.lmStats.frames);
    await framesPass(page, 300);
    const after = await cdp.send("Performance.getMetrics");
    const frameMs = await page.evaluate(() => Module.lmStats.frameMs);
    const frames = frameMs.length - framesBefore;
    const metric = (m, name) => m.metrics.find((x) => x.name === name).value;
    const task = (metric(after, "TaskDuration") - metric(before, "TaskDuration")) * 1000;
    const s = stats(frameMs.slice(framesBefore));
    console.log(`main thread per animation frame, the player's tick: mean ${s.mean} ms, median ${s.p50}, p95 ${s.p95}, max ${s.max} (${frames} frames)`);
    console.log(`main thread per animation frame, all its tasks (tick, sound refills, canvas, page): ${(task / frames).toFixed(2)} ms`);
    const box = await page.locator("#screen").boundingBox();
    const middle = { x: box.x + box.width / 2, y: box.y + box.height / 2 };
    await page.touchscreen.tap(middle.x, middle.y);
    await waitForCanvas(page, message, "the story's first message", 30000);
    check("real time: a tap decides (the story starts)", true);
    await page.keyboard.down("Enter");
    await framesPass(page, 6);
    await page.keyboard.up("Enter");
    await waitForCanvas(page, choice, "the first choice", 30000);
    await swipe(cdp, middle.x, box.y + box.height * 0.3, box.y + box.height * 0.7);
    await waitForCanvas(page, moved, "the cursor on the second choice", 10000);
    check("real time: a swipe down moves the choice cursor", true);
    await page.keyboard.down("Space");
    await framesPass(page, 6);
    await page.keyboard.up("Space");
    await waitForCanvas(page, english, "the story in English", 30000);
    check("real time: Space confirms the choice (the story goes on in English)", true);
    await page.screenshot({ path: path.join(out, "page-realtime.png") });
  } catch (e) {
    check("real time run", false, e.message + " | " + log.join(" | "));
    await page.screenshot({ path: path.join(out, "page-failed.png") }).catch(() => {});
  } finally {
    await context.close();
  }
}

(async () => {
  await new Promise((r) => server.listen(0, "127.0.0.1", r));
  const base = `http://127.0.0.1:${server.address().port}`;
  const browser = await chromium.launch({ executablePath: browserPath, args: chromiumArgs });
  try {
    await realTime(browser, base);
    await virtualTimeCases(browser, base);
    await chartError(browser, base);
    await storage(browser, base);
  } finally {
    await browser.close();
    server.close();
  }
  const failed = results.filter((r) => !r.ok).length;
  console.log(`web: ${results.length - failed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
