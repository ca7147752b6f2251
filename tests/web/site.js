// Shared by the browser tests: the site served on a free local port, the
// system's Chromium driven by playwright-core, and the canvas read back as a
// user sees it: text cells matched against the console's own font, pixel
// colours, and "wait until" with a generous deadline.
import { readFileSync, readdirSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = fileURLToPath(new URL('.', import.meta.url));
export const sourceDir = join(here, '..', '..');
export const siteDir = process.env.VORN_SITE_DIR || join(sourceDir, 'build', 'web', 'site');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.css': 'text/css',
  '.png': 'image/png',
};

// Serves the site folder on 127.0.0.1 at a port the system picks; resolves
// to { url, requests, close }. `requests` lists every path asked for.
export function serveSite(dir = siteDir) {
  const requests = [];
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    requests.push(path);
    const file = normalize(join(dir, path.endsWith('/') ? path + 'index.html' : path));
    let body;
    try {
      if (!file.startsWith(normalize(dir))) throw new Error('outside the site');
      body = readFileSync(file);
    } catch {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[extname(file)] || 'application/octet-stream' });
    response.end(body);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      resolve({
        url: `http://127.0.0.1:${port}/`,
        requests,
        close: () => new Promise((done) => server.close(done)),
      });
    });
  });
}

export const chromiumPath = process.env.VORN_CHROMIUM || '/usr/bin/chromium';

// Debian's Chromium, headless; as root it needs --no-sandbox. The flags keep
// it from reaching out to the network for updates, components and the like.
export function launchBrowser() {
  return chromium.launch({
    executablePath: chromiumPath,
    headless: true,
    args: [
      '--no-sandbox',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-domain-reliability',
      '--disable-sync',
      '--no-first-run',
      '--no-default-browser-check',
      '--metrics-recording-only',
    ],
  });
}

// The console's font: 95 glyphs, codes 32 to 126, 16 rows of 8 bits each,
// read from the table the program is built with.
const glyphs = readFileSync(join(sourceDir, 'src', 'display', 'font_glyphs.cpp'), 'utf8')
  .split('\n')
  .map((line) => line.match(/^\s*\{((?:\s*0x[0-9A-Fa-f]{2},?){16})\s*\}/))
  .filter(Boolean)
  .map((m) => m[1].split(',').map((b) => parseInt(b, 16)));
if (glyphs.length !== 95) throw new Error(`font table: ${glyphs.length} glyphs, expected 95`);
export const glyphWidth = 8;
export const glyphHeight = 16;

// A rectangle of the canvas element's own pixels (not the scaled picture),
// as { x, y, width, height, data } with 4 bytes R, G, B, A per pixel.
export async function readCanvas(page, x = 0, y = 0, width = 0, height = 0) {
  return page.evaluate(([x, y, w, h]) => {
    const c = document.getElementById('canvas');
    const width = w || c.width, height = h || c.height;
    const data = c.getContext('2d').getImageData(x, y, width, height).data;
    return { x, y, width, height, canvasWidth: c.width, canvasHeight: c.height,
             data: Array.from(data) };
  }, [x, y, width, height]);
}

// The colour of canvas pixel (x, y) in a rectangle read by readCanvas, as
// 0xRRGGBB.
export function pixelAt(region, x, y) {
  const i = ((y - region.y) * region.width + (x - region.x)) * 4;
  return (region.data[i] << 16) | (region.data[i + 1] << 8) | region.data[i + 2];
}

// The text of `length` cells from (row, column), 1-based, '?' for a cell
// that is no glyph; and the colour [r, g, b] of the first lit pixel, or
// null. A lit pixel is one that differs from the cell's background, its
// bottom right pixel, which no glyph uses.
export async function readCells(page, row, column, length) {
  const x = (column - 1) * glyphWidth, y = (row - 1) * glyphHeight;
  const region = await readCanvas(page, x, y, length * glyphWidth, glyphHeight);
  let text = '';
  let colour = null;
  for (let i = 0; i < length; ++i) {
    const x0 = x + i * glyphWidth;
    const background = pixelAt(region, x0 + 7, y + 15);
    const bits = [];
    for (let gy = 0; gy < glyphHeight; ++gy) {
      let b = 0;
      for (let gx = 0; gx < glyphWidth; ++gx) {
        const p = pixelAt(region, x0 + gx, y + gy);
        if (p === background) continue;
        b |= 0x80 >> gx;
        if (colour === null) colour = [p >> 16, (p >> 8) & 0xff, p & 0xff];
      }
      bits.push(b);
    }
    const code = glyphs.findIndex((g) => g.every((v, j) => v === bits[j]));
    text += code < 0 ? '?' : String.fromCharCode(code + 32);
  }
  return { text, colour, canvasWidth: region.canvasWidth };
}

export function sameColour(got, want) {
  return got !== null && got.every((v, i) => Math.abs(v - want[i]) <= 8);
}

// Polls `probe` (async, returns a value or null/false) until it gives a
// truthy value, for at most `seconds` of wall time; throws with `what` and
// the last value otherwise.
export async function waitFor(what, probe, seconds = 60) {
  const until = Date.now() + seconds * 1000;
  let last;
  for (;;) {
    last = await probe();
    if (last && !(typeof last === 'object' && last.ok === false)) return last;
    if (Date.now() > until) break;
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  throw new Error(`${what}: not seen within ${seconds} s (last: ${JSON.stringify(last)})`);
}

// Waits until the cells from (row, column) read `text`; returns what
// readCells gave.
export async function waitForCells(page, row, column, text, seconds = 60) {
  let seen = '';
  try {
    return await waitFor(`"${text}" at row ${row}, column ${column}`, async () => {
      const got = await readCells(page, row, column, text.length);
      seen = got.text;
      return seen === text ? got : null;
    }, seconds);
  } catch (error) {
    throw new Error(`${error.message}; it shows "${seen}"`);
  }
}

// Where a canvas pixel is on the page, for the mouse: through the canvas
// element's place and size on the page.
export async function pagePoint(page, x, y) {
  return page.evaluate(([cx, cy]) => {
    const c = document.getElementById('canvas');
    const r = c.getBoundingClientRect();
    return { x: r.left + (cx + 0.5) * r.width / c.width, y: r.top + (cy + 0.5) * r.height / c.height };
  }, [x, y]);
}

// Presses `button` at canvas pixel (x, y) and holds it until `probe` sees
// what it waits for (the console reads the buttons every 0.1 s tick).
export async function holdUntil(page, x, y, what, probe, button = 'left') {
  const p = await pagePoint(page, x, y);
  await page.mouse.move(p.x, p.y);
  await page.mouse.down({ button });
  try {
    return await waitFor(what, probe);
  } finally {
    await page.mouse.up({ button });
  }
}

// Opens the site in a new page of `browser`, in a context of its own with
// `options` (device scale, touch); collects what the page says on its
// console and every error thrown in it.
export async function openConsole(browser, url, viewport = { width: 1400, height: 1100 }, options = {}) {
  const context = await browser.newContext({ viewport, ...options });
  const page = await context.newPage();
  page.on('close', () => context.close().catch(() => {}));
  const messages = [];
  const errors = [];
  page.on('console', (m) => messages.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => errors.push(String(e)));
  await page.goto(url);
  return { page, messages, errors };
}

// The program's two files in the site are named for a hash of their
// contents: the name they share (vorn-0123456789abcdef).
export function programName(dir = siteDir) {
  const js = readdirSync(dir).find((f) => /^vorn-[0-9a-f]{16}\.js$/.test(f));
  if (!js) throw new Error(`no vorn-<hash>.js in ${dir}`);
  return js.slice(0, -3);
}

export const kSweepStepsPerSecond = 12500 / 15;  // one turn of 3600 steps in 4.32 s
export const kTitle = ' VORN TAMBERIS SIMULATION 20090704';

export const sweepSteps = (page) => page.evaluate(() => Module._vorn_test_sweep_steps());

// The first aircraft: hostile, 88000 yards west and 44060 south, flying
// east at 300 yd/s. Its echo is where the scenario puts it once the sweep
// has painted it: bright pixels, well above the noise. Resolves to its
// canvas pixel { x, y }.
export async function findEcho(page) {
  return waitFor('the echo of the first aircraft', async () => {
    const seconds = (await sweepSteps(page)) / kSweepStepsPerSecond;
    const x = Math.round(265 + (-88000 + 300 * seconds) / 1500);
    const y = Math.round(770 - -44060 / 1500);
    const box = await readCanvas(page, x - 4, y - 4, 9, 9);
    let lit = 0;
    for (let i = 0; i < box.data.length; i += 4) if (box.data[i] >= 96) ++lit;
    return lit >= 8 ? { x, y } : null;
  });
}
