// Measures the page's sessions in headless Chromium:
//  - a live console's journal in memory: bytes per simulated minute, from a
//    Save after RECORD seconds (default 60) in Auto;
//  - opening a long journal (HOUR, made by vorn_record_headless FILE 3600):
//    the time from choosing the file to the replay's first frame;
//  - the replay of it at 16x for 30 s: frames shown per second and the CPU
//    of the tab's renderer;
//  - the kiosk looping a short demonstration (SHORT, e.g. 20 simulated
//    seconds, put in place of the bundled one in a copy of the site) at 16x:
//    the renderer's memory and the JS heap after 1, 10, 50 and 100 loops.
//
//   node tests/web/measure_share.mjs HOUR SHORT [--record SECONDS] [--screenshot FILE]
import { cpSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';
import { kQuietArgs, ourChromium } from './chromium_processes.js';
import {
  chromiumPath, kSweepStepsPerSecond, kTitle, readCells, sameColour, serveSite, siteDir, sweepSteps, waitFor,
  waitForCells,
} from './site.js';

const args = process.argv.slice(2);
const option = (name, otherwise) => {
  const at = args.indexOf(name);
  return at >= 0 ? args.splice(at, 2)[1] : otherwise;
};
const recordSeconds = Number(option('--record', 60));
const screenshot = option('--screenshot', null);
const [hourJournal, shortJournal] = args;
if (!hourJournal || !shortJournal) {
  console.error('usage: node measure_share.mjs HOUR SHORT [--record SECONDS] [--screenshot FILE]');
  process.exit(2);
}

const mib = (bytes) => `${(bytes / 1048576).toFixed(1)} MiB`;
const total = readdirSync(siteDir).reduce((sum, f) => sum + statSync(join(siteDir, f)).size, 0);
console.log(`the site with its demonstration: ${total} bytes`);

async function launch(profile) {
  return chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    viewport: { width: 1300, height: 1100 },
    acceptDownloads: true,
    args: kQuietArgs,
  });
}

async function chooseAuto(page) {
  const box = await page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return { x: r.left + (820.5 * r.width) / 1280, y: r.top + (5.5 * r.height) / 1024 };
  });
  await page.mouse.move(box.x, box.y);
  await page.mouse.down();
  await waitFor('Auto', async () => sameColour((await readCells(page, 1, 102, 4)).colour, [255, 0, 0]));
  await page.mouse.up();
}

async function measureSessions(site) {
  const profile = mkdtempSync(join(tmpdir(), 'vorn-measure-'));
  const context = await launch(profile);
  try {
    const page = context.pages()[0] || await context.newPage();
    await page.goto(site.url);
    await waitForCells(page, 2, 1, kTitle);
    await chooseAuto(page);
    await page.waitForTimeout(recordSeconds * 1000);  // the span recorded
    const simulated = (await sweepSteps(page)) / kSweepStepsPerSecond;
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
    const bytes = statSync(await download.path()).size;
    console.log(`recording in the page: ${bytes} bytes for ${simulated.toFixed(1)} simulated seconds in Auto: ` +
                `${((bytes * 60) / simulated / 1024).toFixed(1)} KiB per simulated minute`);

    await page.setInputFiles('#picker', hourJournal);
    const first = await waitFor('the first frame of the replay', () => page.evaluate(() =>
      vornPage.stats.firstReplayFrameAt !== null && vornPage.stats.firstReplayFrameAt - vornPage.stats.openedAt), 300);
    console.log(`opening ${statSync(hourJournal).size} bytes (one simulated hour): the first frame ` +
                `${first.toFixed(0)} ms after the file was chosen (${await page.textContent('#position')})`);

    await page.click('#speed16');
    await page.waitForTimeout(3000);  // settle
    const cdp = await context.newCDPSession(page);
    await cdp.send('Performance.enable');
    const stamp = async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'Timestamp').value;
    const frames = () => page.evaluate(() => vornPage.stats.frames);
    const t0 = await stamp(), c0 = ourChromium(profile), f0 = await frames();
    await page.waitForTimeout(30000);  // the span measured
    const t1 = await stamp(), c1 = ourChromium(profile), f1 = await frames();
    const wall = t1 - t0;
    console.log(`replay at 16x over ${wall.toFixed(1)} s: ${((f1 - f0) / wall).toFixed(1)} frames shown per second; ` +
                `CPU of the renderer ${((100 * (c1.renderer - c0.renderer)) / wall).toFixed(1)} % of a core, ` +
                `of the GPU process ${((100 * ((c1.gpu || 0) - (c0.gpu || 0))) / wall).toFixed(1)} %`);
    if (screenshot) {
      await page.click('#speed1');
      await page.waitForTimeout(2000);
      await page.screenshot({ path: screenshot });
      console.log(`screenshot: ${screenshot}`);
    }
  } finally {
    await context.close();
    rmSync(profile, { recursive: true, force: true });
  }
}

// A copy of the site whose demonstration is the short journal.
async function measureKiosk() {
  const dir = mkdtempSync(join(tmpdir(), 'vorn-kiosk-site-'));
  cpSync(siteDir, dir, { recursive: true });
  const demo = readdirSync(dir).find((f) => f.startsWith('vorn-demo-'));
  writeFileSync(join(dir, demo), readFileSync(shortJournal));
  const site = await serveSite(dir);
  const profile = mkdtempSync(join(tmpdir(), 'vorn-measure-'));
  const context = await launch(profile);
  try {
    const page = context.pages()[0] || await context.newPage();
    await page.goto(`${site.url}?kiosk`);
    const cdp = await context.newCDPSession(page);
    await cdp.send('Performance.enable');
    const heap = async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'JSHeapUsedSize').value;
    const started = Date.now();
    for (let loop = 1; loop <= 100; ++loop) {
      await waitFor(`loop ${loop}`, () => page.evaluate((n) => vornPage.stats.demos >= n, loop), 120);
      await page.evaluate(() => vornPage.test.ask('speed', 16));
      if ([1, 10, 50, 100].includes(loop)) {
        await cdp.send('HeapProfiler.collectGarbage').catch(() => {});
        console.log(`kiosk loop ${loop}: renderer ${mib(ourChromium(profile, 'rss').renderer)} resident, ` +
                    `JS heap ${mib(await heap())} (${((Date.now() - started) / 1000).toFixed(0)} s)`);
      }
    }
    const end = await page.evaluate(() => vornPage.stats.lastReplay);
    console.log(`  the last loop ended: ${end.how}, hash ${end.hash}`);
  } finally {
    await context.close();
    await site.close();
    rmSync(profile, { recursive: true, force: true });
    rmSync(dir, { recursive: true, force: true });
  }
}

const site = await serveSite();
try {
  await measureSessions(site);
} finally {
  await site.close();
}
await measureKiosk();
