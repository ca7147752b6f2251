// Sessions to share, in the system's Chromium: a live console saved as a
// journal that the desktop program replays to the hash the page showed;
// journals opened in the page (at 1x and 16x, and files that are not whole
// journals); and the kiosk that plays its demonstration until touched.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import {
  findEcho, holdUntil, kSweepStepsPerSecond, kTitle, launchBrowser, openConsole, pagePoint, readCells, sameColour,
  serveSite, sourceDir, sweepSteps, waitFor, waitForCells,
} from './site.js';

const native = process.env.VORN_NATIVE || join(sourceDir, 'build', 'debug', 'vorn');
const golden = join(sourceDir, 'tests', 'data', 'golden.vornj');
const goldenHash = readFileSync(join(sourceDir, 'tests', 'data', 'golden.hash'), 'utf8').trim();
let site;
let browser;
let scratch;

before(async () => {
  site = await serveSite();
  browser = await launchBrowser();
  scratch = mkdtempSync(join(tmpdir(), 'vorn-share-'));
});

after(async () => {
  await browser?.close();
  await site?.close();
  if (scratch) rmSync(scratch, { recursive: true, force: true });
});

const session = (page) => page.evaluate(() => document.body.dataset.session);
const waitForSession = (page, kind) =>
  waitFor(`the page's session "${kind}"`, async () => (await session(page)) === kind);

// The desktop program's replay of a journal: exit status, the hash it
// printed and its message, run in the journal's folder so that the reader
// names the file as the page does (by its bare name).
function replayNatively(path) {
  const name = path.slice(path.lastIndexOf('/') + 1);
  const run = spawnSync(native, ['--replay', name, '--headless'],
                        { cwd: path.slice(0, path.lastIndexOf('/')), encoding: 'utf8', timeout: 600000,
                          env: { ...process.env, ASAN_OPTIONS: 'detect_leaks=0' } });
  return { status: run.status, hash: run.stdout.trim(), message: run.stderr.trim().replace(/^vorn: /, '') };
}

// Plays `file` in the page and resolves to how the replay ended.
async function play(page, file, speed = 1) {
  const replays = await page.evaluate(() => vornPage.stats.replays);
  await page.setInputFiles('#picker', file);
  await waitForSession(page, 'replay');
  if (speed !== 1) await page.click(`#speed${speed}`);
  return waitFor('the replay ending', async () => page.evaluate((n) =>
    vornPage.stats.replays > n && vornPage.stats.lastReplay, replays), 600);
}

test('a session saved in the page replays on the desktop to the hash the page showed', async () => {
  const { page, errors } = await openConsole(browser, site.url);
  await waitForCells(page, 2, 1, kTitle);
  const echo = await findEcho(page);
  await holdUntil(page, echo.x, echo.y, 'Target Designated YES', async () =>
    (await readCells(page, 33, 70, 26)).text === 'Target Designated      YES');
  await holdUntil(page, 500, 15, 'Site Alert Status RED? YES', async () =>
    (await readCells(page, 36, 70, 26)).text === 'Site Alert Status RED? YES');
  await waitForCells(page, 34, 100, 'Msl Status       Ready  ');
  await holdUntil(page, 620, 920, 'Msl Status leaving Ready', async () =>
    (await readCells(page, 34, 111, 13)).text !== '      Ready  ');
  // Two simulated minutes: the page's clock is moved on and the console
  // catches up, as after a stall.
  await page.evaluate(() => vornPage.test.skip(120000));
  await waitFor('two simulated minutes', async () => (await sweepSteps(page)) >= 125 * kSweepStepsPerSecond);

  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
  assert.match(download.suggestedFilename(), /^vorn-\d{4}-\d\d-\d\d-\d{6}\.vornj$/);
  const saved = join(scratch, download.suggestedFilename());
  await download.saveAs(saved);
  const shown = await page.getAttribute('#hash', 'data-hash');
  assert.match(await page.textContent('#hash'), new RegExp(shown));
  // The console runs on after the save.
  const steps = await sweepSteps(page);
  await waitFor('the console running on', async () => (await sweepSteps(page)) > steps + 100);
  // Ended by q, the whole session saved: its replay ends where it did.
  await page.focus('#canvas');  // from the Save button
  await page.keyboard.press('q');
  await page.waitForSelector('#ended', { state: 'visible', timeout: 60000 });
  const [whole] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
  const ended = join(scratch, `ended-${whole.suggestedFilename()}`);
  await whole.saveAs(ended);
  const endHash = await page.getAttribute('#hash', 'data-hash');
  assert.deepEqual(errors, []);
  await page.close();

  assert.deepEqual(replayNatively(saved), { status: 0, hash: shown, message: '' });
  assert.deepEqual(replayNatively(ended), { status: 0, hash: endHash, message: '' });
});

test('the golden journal plays to its recorded hash at 1x and at 16x', async () => {
  const { page, errors } = await openConsole(browser, site.url);
  await waitForCells(page, 2, 1, kTitle);
  for (const speed of [16, 1]) {
    const end = await play(page, golden, speed);
    assert.deepEqual(end, { how: 'the end: the console ended here', hash: goldenHash }, `at ${speed}x`);
    assert.equal(await page.textContent('#position'), '2:28 / 2:28');
    assert.match(await page.textContent('#hash'), new RegExp(goldenHash));
  }
  // Take over: a live console again.
  await page.click('#takeover');
  await waitForSession(page, 'live');
  await waitForCells(page, 2, 1, kTitle);
  assert.match(await page.textContent('#note'), /fresh console/);
  assert.deepEqual(errors, []);
  await page.close();
});

// CRC-32 (IEEE), as the journal's header has it; node:zlib gives one only
// from Node 20.15 on, and the tests run on Debian 12's Node 18 too.
function crc32(bytes) {
  let crc = 0xffffffff;
  for (const byte of bytes) {
    crc ^= byte;
    for (let bit = 0; bit < 8; ++bit) crc = (crc >>> 1) ^ (0xedb88320 & -(crc & 1));
  }
  return (crc ^ 0xffffffff) >>> 0;
}

// A journal's header with another format version and its checksum made good.
function newerFormat(bytes) {
  const out = Buffer.from(bytes);
  out[8] = 9;  // the format version, a one-byte varint
  // The checksum follows the program version and three sizes (1280, 1024,
  // 16: two, two and one byte).
  const crcAt = 10 + out[9] + 5;
  out.writeUInt32LE(crc32(out.subarray(8, crcAt)), crcAt);
  return out;
}

test('files that are not whole journals get the desktop\'s reason on the page', async () => {
  const bytes = readFileSync(golden);
  const damaged = Buffer.from(bytes);
  damaged[40000] ^= 0x20;
  const files = [
    { name: 'damaged.vornj', data: damaged },
    { name: 'newer.vornj', data: newerFormat(bytes) },
    { name: 'foreign.vornj', data: Buffer.from('just some text, not a journal\n') },
    { name: 'picture.png', data: readFileSync(join(sourceDir, 'docs', 'vorn-48.png')) },
  ];
  const { page, errors } = await openConsole(browser, site.url);
  await waitForCells(page, 2, 1, kTitle);
  for (const file of files) {
    const path = join(scratch, file.name);
    writeFileSync(path, file.data);
    const desktop = replayNatively(path);
    assert.equal(desktop.status, 1, `${file.name}: ${desktop.message}`);
    await page.setInputFiles('#picker', path);
    const reason = await waitFor(`${file.name} refused`, async () => page.evaluate(() => vornPage.stats.refused));
    assert.equal(reason, desktop.message, file.name);
    assert.equal(await page.textContent('#note'), desktop.message);
    assert.equal(await session(page), 'live', `${file.name}: the console runs on`);
    await page.evaluate(() => { vornPage.stats.refused = null; });
  }
  // Cut off: played up to its last whole block, then the reason.
  const cut = join(scratch, 'cut.vornj');
  writeFileSync(cut, bytes.subarray(0, 30000));
  const desktop = replayNatively(cut);
  assert.equal(desktop.status, 1);
  const end = await play(page, cut, 16);
  assert.deepEqual(end, { how: desktop.message, hash: desktop.hash });
  assert.deepEqual(errors, []);
  await page.close();
});

test('the kiosk plays its demonstration, hands over on a touch and comes back', async () => {
  const { page, errors } = await openConsole(browser, `${site.url}?kiosk`, undefined, { hasTouch: true });
  await waitForSession(page, 'demo');
  // The demonstration plays: the canvas changes; played through fast, every
  // frame matches the journal's and the last has its recorded hash.
  const picture = () => page.evaluate(() => {
    const data = document.getElementById('canvas').getContext('2d').getImageData(0, 0, 1280, 1024).data;
    let sum = 0;
    for (let i = 0; i < data.length; i += 4) sum = (sum * 31 + data[i] + data[i + 1]) % 2147483647;
    return sum;
  });
  const first = await picture();
  await waitFor('the demonstration moving', async () => (await picture()) !== first);
  await page.evaluate(() => vornPage.test.ask('speed', 16));
  const end = await waitFor('the demonstration played through', async () =>
    page.evaluate(() => vornPage.stats.lastReplay), 300);
  const demoHash = readFileSync(join(sourceDir, 'web', 'demo.hash'), 'utf8').trim();
  assert.deepEqual(end, { how: 'the end: the console ended here', hash: demoHash });
  await waitForSession(page, 'demo');  // and again

  const auto = async () => sameColour((await readCells(page, 1, 102, 4)).colour, [255, 0, 0]);
  // Each way back to the demonstration: idle for two minutes on the page's
  // clock, q, Escape, and Exit in the mode menu.
  const ways = [
    ['two minutes idle', () => page.evaluate(() => vornPage.test.idle(120000))],
    ['q', () => page.keyboard.press('q')],
    ['Escape', () => page.keyboard.press('Escape')],
    ['Exit', async () => { const p = await pagePoint(page, 930, 5); await page.touchscreen.tap(p.x, p.y); }],
  ];
  for (const [way, act] of ways) {
    const p = await pagePoint(page, 640, 500);
    await page.touchscreen.tap(p.x, p.y);
    await waitForSession(page, 'live');
    await waitForCells(page, 2, 1, kTitle);
    // The console answers: Auto chosen from the mode menu.
    await holdUntil(page, 820, 5, 'Auto chosen', auto);
    await act();
    await waitForSession(page, 'demo');
    assert.equal(await page.isVisible('#ended'), false, way);
    assert.equal(await page.isVisible('#failed'), false, way);
  }
  assert.deepEqual(errors, []);
  await page.close();
});
