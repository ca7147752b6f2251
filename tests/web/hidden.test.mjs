// A tab left in the background: its clock stands still, it runs nothing
// meanwhile, and shown again it goes on from where it stood, at its pace,
// with no catch-up of the time it was hidden. Chromium runs with its
// background throttling as users have it.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { launchOverPipe } from './cdp_pipe.js';
import { kSweepStepsPerSecond, kTitle, serveSite, sweepSteps, waitFor, waitForCells } from './site.js';

const kHiddenSeconds = 60;

let site;
let chromium;

before(async () => {
  site = await serveSite();
  chromium = await launchOverPipe();
});

after(async () => {
  await chromium?.close();
  await site?.close();
});

// The sweep steps made and the page's clock (which is what paces them) at
// the moment the program last went to sleep, and the frames shown.
const sample = (page) => page.evaluate(() => ({
  steps: Module._vorn_test_sweep_steps(), clock: vornPage.stats.sleptAt / 1000, frames: vornPage.stats.frames,
  now: performance.now() / 1000,
}));

test(`a page hidden for ${kHiddenSeconds} s goes on from where it stood`, async () => {
  const page = await chromium.openTab(site.url);
  await waitForCells(page, 2, 1, kTitle);

  const other = await chromium.openTab('about:blank');
  await waitFor('the console hidden', async () =>
    (await page.evaluate(() => document.visibilityState)) === 'hidden');
  const hidden = await sample(page);
  await new Promise((resolve) => setTimeout(resolve, kHiddenSeconds * 1000));  // the time away
  const stillHidden = await sample(page);
  console.log(`hidden ${kHiddenSeconds} s: ${stillHidden.steps - hidden.steps} sweep steps, ` +
              `${stillHidden.frames - hidden.frames} frames`);
  // At most the rest of the pass under way when the page was hidden.
  assert.ok(stillHidden.steps - hidden.steps <= 20, 'the console ran while hidden');
  assert.ok(stillHidden.frames - hidden.frames <= 1, 'frames were shown while hidden');

  await page.bringToFront();
  await other.close();
  const shownAt = (await sample(page)).now;
  await waitFor('a frame after the page was shown', async () =>
    (await sample(page)).frames > stillHidden.frames, 2);

  // The pace, over one second of the page's clock at a time.
  const paces = [];
  await waitFor('the sweep at its pace', async () => {
    const a = await sample(page);
    await waitFor('a second of the clock', async () => (await sample(page)).clock >= a.clock + 1, 5);
    const b = await sample(page);
    const pace = (b.steps - a.steps) / (b.clock - a.clock);
    paces.push(pace.toFixed(1));
    return Math.abs(pace - kSweepStepsPerSecond) <= 0.05 * kSweepStepsPerSecond;
  }, 5);
  console.log(`pace after showing: ${paces.join(', ')} steps a second`);

  // No catch-up: since it was hidden, the console has swept only for the
  // time it has been shown again, not for the minute away.
  const now = await sample(page);
  const shownFor = now.now - shownAt;
  const steps = now.steps - hidden.steps;
  console.log(`${steps} sweep steps in the ${shownFor.toFixed(2)} s since the page was shown`);
  assert.ok(steps <= (shownFor + 0.5) * kSweepStepsPerSecond, `${steps} steps: a catch-up`);
  assert.ok(steps > 0);
  assert.equal(await page.evaluate(() => document.getElementById('failed').hidden), true);
});
