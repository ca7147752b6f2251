// The console's site in the system's Chromium, driven as a user would: the
// canvas is read back (text through the console's font, pixel colours) and
// every step waits for what it expects with a generous deadline.
import assert from 'node:assert/strict';
import { createHash } from 'node:crypto';
import { readFileSync, readdirSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import {
  findEcho, holdUntil, kSweepStepsPerSecond, kTitle, launchBrowser, openConsole, programName, readCells,
  sameColour, serveSite, siteDir, sweepSteps, waitFor, waitForCells,
} from './site.js';

const kReady = '      Ready  ';
let site;
let browser;

before(async () => {
  site = await serveSite();
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  await site?.close();
});

test('the site is five files, at most 1.5 MB, named for their contents', () => {
  const name = programName();
  const files = readdirSync(siteDir).sort();
  const demo = files.find((f) => /^vorn-demo-[0-9a-f]{16}\.vornj$/.test(f));
  assert.deepEqual(files, ['controls.html', 'index.html', `${name}.js`, `${name}.wasm`, demo].sort());
  const js = readFileSync(join(siteDir, `${name}.js`)), wasm = readFileSync(join(siteDir, `${name}.wasm`));
  const hash = createHash('sha256').update(js).update('\0').update(wasm).digest('hex');
  assert.equal(name, `vorn-${hash.slice(0, 16)}`);
  const journal = readFileSync(join(siteDir, demo));
  assert.equal(demo, `vorn-demo-${createHash('sha256').update(journal).digest('hex').slice(0, 16)}.vornj`);
  const bytes = files.reduce((sum, f) => sum + readFileSync(join(siteDir, f)).length, 0);
  console.log(`the site: ${bytes} bytes (the program ${js.length + wasm.length}, the demonstration ${journal.length})`);
  assert.ok(bytes <= 1.5 * 1024 * 1024, `${bytes} bytes`);
  // The page allows its own script, by hash, and what that script loads.
  const index = readFileSync(join(siteDir, 'index.html'), 'utf8');
  const script = index.match(/<script>([\s\S]*?)<\/script>/)[1];
  const policy = index.match(/http-equiv="Content-Security-Policy" content="([^"]*)"/)[1];
  const scriptHash = createHash('sha256').update(script).digest('base64');
  assert.ok(policy.includes(`script-src 'self' 'sha256-${scriptHash}' 'wasm-unsafe-eval';`), policy);
  assert.match(policy, /^default-src 'none';/);
  assert.doesNotMatch(policy, /unsafe-inline|https?:|\*/);
});

const roundHalfEven = (v) => {
  const r = Math.round(v);
  return Math.abs(v % 1) === 0.5 && r % 2 !== 0 ? r - 1 : r;
};

// The message lines must hold no error from the program or the page.
function assertQuiet(messages, errors) {
  assert.deepEqual(errors, [], 'errors thrown in the page');
  assert.deepEqual(messages.filter((m) => m.startsWith('error')), [], 'errors on the page console');
}

test('the page shows the console; an echo designated, RED, FIRE', async () => {
  const { page, messages, errors } = await openConsole(browser, site.url);
  assert.match(await page.title(), /vorn/);
  assert.match(await page.textContent('#hint'), /click an echo on the round scope; see Controls/i);
  assert.equal(await page.getAttribute('a[href="controls.html"]', 'href'), 'controls.html');
  assert.equal(await page.isVisible('button#full'), true);
  assert.equal(await page.isVisible('#ended'), false);

  await waitForCells(page, 2, 1, kTitle);
  // The PPI's bearing labels, every 30 degrees, where the scope prints them.
  for (let degrees = 0; degrees < 360; degrees += 30) {
    const theta = (degrees * Math.PI) / 180;
    const row = roundHalfEven(roundHalfEven(778 - 235 * Math.cos(theta)) / 16);
    const column = roundHalfEven(roundHalfEven(265 + 240 * Math.sin(theta)) / 8);
    const { text } = await readCells(page, row, column, String(degrees).length);
    assert.equal(text, String(degrees), `bearing label ${degrees} at row ${row}, column ${column}`);
  }
  await waitForCells(page, 33, 70, 'Target Designated      NO ');
  const no = await readCells(page, 33, 93, 3);
  assert.ok(sameColour(no.colour, [255, 0, 0]), `NO is red, not ${no.colour}`);

  const echo = await findEcho(page);
  // Any button designates; the right one here.
  await holdUntil(page, echo.x, echo.y, 'Target Designated YES', async () => {
    const got = await readCells(page, 33, 70, 26);
    return got.text === 'Target Designated      YES' ? got : null;
  }, 'right');
  const yes = await readCells(page, 33, 93, 3);
  assert.ok(sameColour(yes.colour, [0, 255, 0]), `YES is green, not ${yes.colour}`);
  await waitForCells(page, 34, 70, 'Target Tracked         YES');

  // BLUE, then RED: the lamps set the site alert status.
  await holdUntil(page, 540, 15, 'Site Alert Status RED? NO', async () =>
    (await readCells(page, 36, 70, 26)).text === 'Site Alert Status RED? NO ');
  await holdUntil(page, 500, 15, 'Site Alert Status RED? YES', async () =>
    (await readCells(page, 36, 70, 26)).text === 'Site Alert Status RED? YES');
  await waitForCells(page, 34, 100, 'Msl Status       Ready  ');
  await holdUntil(page, 620, 920, 'Msl Status leaving Ready', async () => {
    const phase = (await readCells(page, 34, 111, 13)).text;
    return phase !== kReady ? phase : null;
  });

  // Nothing was fetched after the page loaded, and nothing was kept.
  const name = programName();
  assert.deepEqual([...new Set(site.requests)].sort(), ['/', `/${name}.js`, `/${name}.wasm`]);
  assert.deepEqual(await page.context().cookies(), []);
  assert.deepEqual(await page.evaluate(async () => [localStorage.length, sessionStorage.length,
    (await indexedDB.databases()).length]), [0, 0, 0]);
  assertQuiet(messages, errors);

  // The controls page the hint links to opens in a tab of its own; the
  // console runs on in this one.
  const [controls] = await Promise.all([page.context().waitForEvent('page'),
                                        page.click('a[href="controls.html"]')]);
  await controls.waitForSelector('table');
  const rows = await controls.$$eval('tr', (trs) => trs.map((tr) => tr.textContent));
  assert.ok(rows.length >= 10, `${rows.length} rows`);
  assert.ok(rows.some((r) => /q.*or Escape.*Ends the program/s.test(r)), 'no row for q');
  assert.equal(page.url(), site.url);
  const before = await sweepSteps(page);
  await waitFor('the console running on', async () => (await sweepSteps(page)) > before + 100);
  await page.close();
});

test('the sweep keeps time; help pages; Auto fires; q ends', async () => {
  // A smaller tab: the console is shrunk to fit, and clicks go through that.
  const { page, messages, errors } = await openConsole(browser, site.url, { width: 1000, height: 800 });
  await waitForCells(page, 2, 1, kTitle);

  // 15 s of the page's real time: 12,500 steps of the sweep, give or take
  // 60. The count is read with the time the program last went to sleep, so
  // a late timer on a busy machine does not skew it.
  const sample = () => page.evaluate(() => ({ steps: Module._vorn_test_sweep_steps(),
                                              at: vornPage.stats.sleptAt / 1000 }));
  const first = await sample();
  await page.waitForTimeout(15000);  // the span measured, not a wait for a state
  const last = await sample();
  const steps = last.steps - first.steps, seconds = last.at - first.at;
  const expected = seconds * kSweepStepsPerSecond;
  console.log(`sweep: ${steps} steps in ${seconds.toFixed(3)} s (expected ${expected.toFixed(0)})`);
  assert.ok(Math.abs(steps - expected) <= 60, `${steps} sweep steps in ${seconds} s`);

  assert.ok(await page.evaluate(() => document.getElementById('canvas').clientWidth < 1000));

  // Text: the help pages on their own 800 x 600 canvas, shown 1:1 here;
  // '>' turns the page, any other key goes back to the console.
  await holdUntil(page, 975, 5, 'the help pages', async () =>
    page.evaluate(() => document.getElementById('canvas').width === 800));
  await waitForCells(page, 3, 1, ' Page 1');
  assert.equal(await page.evaluate(() => document.getElementById('canvas').style.width), '800px');
  await page.keyboard.press('>');
  await waitForCells(page, 3, 1, ' Page 2');
  await page.keyboard.press('x');
  await waitFor('the console back', async () =>
    page.evaluate(() => document.getElementById('canvas').width === 1280));
  await waitForCells(page, 1, 82, 'Game Modes: Normal, Auto, Pause ,Exit, Text ');

  // Auto: the crew fires within 15 simulated seconds.
  const autoAt = await holdUntil(page, 820, 5, 'Auto chosen', async () => {
    const auto = await readCells(page, 1, 102, 4);
    return sameColour(auto.colour, [255, 0, 0]) ? sweepSteps(page) : null;
  });
  const firedAt = await waitFor('the crew firing', async () => {
    const phase = (await readCells(page, 34, 111, 13)).text;
    return phase !== kReady ? sweepSteps(page) : null;
  }, 120);
  const firedAfter = (firedAt - autoAt) / kSweepStepsPerSecond;
  console.log(`Auto: the crew fired ${firedAfter.toFixed(1)} s after Auto was chosen`);
  assert.ok(firedAfter <= 15, `the crew fired ${firedAfter} s after Auto`);

  // "q" ends the program: the message over the canvas.
  await page.keyboard.press('q');
  await page.waitForSelector('#ended', { state: 'visible', timeout: 60000 });
  assert.match(await page.textContent('#ended'), /vorn has ended — reload the page to start again/);
  assertQuiet(messages, errors);
  await page.close();
});
