// Measures the console's site in headless Chromium: frames shown per
// second, the page's animation frames, and the CPU time of the tab's
// renderer process (from /proc) and of its main thread (from the DevTools
// protocol), over SECONDS (default 30) in Auto. With --screenshot FILE it
// then saves a picture of the page with the crew's missile in flight, at
// the device scale --scale gives (default 1).
//
// With --hidden, the page is hidden instead (another tab in front, with
// Chromium's background throttling as users have it) for SECONDS (default
// 120): the CPU its renderer takes meanwhile, and how soon it shows a frame
// once it is shown again. Both print the site's file sizes first.
//
//   node tests/web/measure.mjs [SECONDS] [--screenshot FILE] [--scale N]
//   node tests/web/measure.mjs --hidden [SECONDS]
import { gzipSync } from 'node:zlib';
import { mkdtempSync, readFileSync, readdirSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';
import { launchOverPipe } from './cdp_pipe.js';
import { kQuietArgs, ourChromium } from './chromium_processes.js';
import { chromiumPath, kTitle, readCells, sameColour, serveSite, siteDir, waitFor, waitForCells } from './site.js';

const args = process.argv.slice(2);
const option = (name) => {
  const at = args.indexOf(name);
  return at >= 0 ? args.splice(at, 2)[1] : null;
};
const screenshot = option('--screenshot');
const scale = Number(option('--scale') || 1);
const hiddenAt = args.indexOf('--hidden');
const hidden = hiddenAt >= 0 && args.splice(hiddenAt, 1).length > 0;
const seconds = Number(args[0] || (hidden ? 120 : 30));

console.log('the site\'s files:');
let total = 0, totalGzipped = 0;
for (const name of readdirSync(siteDir).sort()) {
  const bytes = statSync(join(siteDir, name)).size;
  const gzipped = gzipSync(readFileSync(join(siteDir, name)), { level: 9 }).length;
  total += bytes;
  totalGzipped += gzipped;
  console.log(`  ${name}: ${bytes} bytes (${gzipped} gzipped)`);
}
console.log(`  together: ${total} bytes (${totalGzipped} gzipped)`);

const site = await serveSite();
if (hidden) {
  await measureHidden();
  await site.close();
  process.exit(0);
}

// CPU of the renderers while the page is hidden, and its first frame after.
async function measureHidden() {
  const browser = await launchOverPipe();
  try {
    const page = await browser.openTab(site.url);
    await waitForCells(page, 2, 1, kTitle);
    await new Promise((resolve) => setTimeout(resolve, 5000));  // settle before measuring
    const other = await browser.openTab('about:blank');
    await waitFor('the console hidden', async () =>
      (await page.evaluate(() => document.visibilityState)) === 'hidden');
    const c0 = ourChromium(browser.profile), t0 = process.hrtime.bigint();
    const f0 = await page.evaluate(() => vornPage.stats.frames);
    await new Promise((resolve) => setTimeout(resolve, seconds * 1000));  // the span measured
    const c1 = ourChromium(browser.profile), wall = Number(process.hrtime.bigint() - t0) / 1e9;
    const f1 = await page.evaluate(() => vornPage.stats.frames);
    const percent = (v) => `${((100 * v) / wall).toFixed(2)} %`;
    console.log(`hidden for ${wall.toFixed(1)} s (another tab in front):`);
    for (const kind of Object.keys(c1).sort())
      console.log(`  CPU of Chromium's ${kind} process(es): ${percent(c1[kind] - (c0[kind] || 0))} of a core`);
    console.log(`  frames shown meanwhile: ${f1 - f0}`);
    await page.bringToFront();
    await other.close();
    const shown = await waitFor('a frame after showing', () => page.evaluate(() => {
      const { firstFrameAfterVisible, visibleAt } = vornPage.stats;
      return firstFrameAfterVisible === null ? null : { ms: firstFrameAfterVisible - visibleAt };
    }));
    console.log(`  shown again: the first frame ${shown.ms.toFixed(1)} ms after the page became visible`);
  } finally {
    await browser.close();
  }
}

const profile = mkdtempSync(join(tmpdir(), 'vorn-measure-'));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: chromiumPath,
  headless: true,
  viewport: { width: 1300, height: 1070 },
  deviceScaleFactor: scale,
  args: kQuietArgs,
});
try {
  const page = context.pages()[0] || await context.newPage();
  await page.goto(site.url);
  await waitForCells(page, 2, 1, kTitle);
  const box = await page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return { x: r.left, y: r.top };
  });
  await page.mouse.move(box.x + 820, box.y + 5);
  await page.mouse.down();
  await waitFor('Auto', async () => sameColour((await readCells(page, 1, 102, 4)).colour, [255, 0, 0]));
  await page.mouse.up();
  await page.waitForTimeout(5000);  // settle before measuring

  const cdp = await context.newCDPSession(page);
  await cdp.send('Performance.enable');
  const metric = async () => Object.fromEntries(
    (await cdp.send('Performance.getMetrics')).metrics.map((m) => [m.name, m.value]));
  const frames = () => page.evaluate(() => vornPage.stats.frames);
  const m0 = await metric(), c0 = ourChromium(profile), f0 = await frames();
  const animationFrames = await page.evaluate(async (s) => {
    let n = 0;
    const end = performance.now() + s * 1000;
    await new Promise((resolve) => {
      const tick = (t) => { ++n; if (t < end) requestAnimationFrame(tick); else resolve(); };
      requestAnimationFrame(tick);
    });
    return n;
  }, seconds);
  const m1 = await metric(), c1 = ourChromium(profile), f1 = await frames();
  const wall = m1.Timestamp - m0.Timestamp;
  const percent = (v) => `${((100 * v) / wall).toFixed(1)} %`;
  console.log(`over ${wall.toFixed(1)} s in Auto:`);
  console.log(`  frames shown by the console: ${((f1 - f0) / wall).toFixed(1)} per second`);
  console.log(`  animation frames of the page: ${(animationFrames / wall).toFixed(1)} per second`);
  console.log(`  tab main thread busy (DevTools TaskDuration): ${percent(m1.TaskDuration - m0.TaskDuration)}` +
              ` (script ${percent(m1.ScriptDuration - m0.ScriptDuration)})`);
  for (const kind of Object.keys(c1).sort())
    console.log(`  CPU of Chromium's ${kind} process(es): ${percent(c1[kind] - (c0[kind] || 0))} of a core`);
  console.log(`  JS heap used: ${(m1.JSHeapUsedSize / 1048576).toFixed(1)} MiB`);

  if (screenshot) {
    await waitFor('the missile in cruise', async () =>
      (await readCells(page, 34, 111, 13)).text === '1/2g Cruise  ', 180);
    await page.waitForTimeout(8000);  // let the pens draw out the flight
    await page.screenshot({ path: screenshot });
    console.log(`screenshot: ${screenshot}`);
  }
} finally {
  await context.close();
  await site.close();
  rmSync(profile, { recursive: true, force: true });
}
