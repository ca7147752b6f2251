// The system's Chromium driven through the DevTools protocol over a pipe,
// with nothing in between. Playwright keeps every page it drives visible
// (its focus emulation counts as someone watching), so a page that must be
// hidden, behind another tab, is driven this way. Chromium is started
// without the flags that switch its background throttling off.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromiumPath, waitFor } from './site.js';

export async function launchOverPipe() {
  const profile = mkdtempSync(join(tmpdir(), 'vorn-pipe-'));
  const child = spawn(chromiumPath, [
    '--headless=new', '--no-sandbox', '--remote-debugging-pipe', `--user-data-dir=${profile}`,
    '--no-first-run', '--no-default-browser-check', '--disable-background-networking',
    '--disable-component-update', '--disable-domain-reliability', '--disable-sync',
    '--metrics-recording-only', 'about:blank',
  ], { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'] });
  const toBrowser = child.stdio[3];
  const fromBrowser = child.stdio[4];
  let lastId = 0;
  const pending = new Map();
  let buffered = '';
  fromBrowser.on('data', (chunk) => {
    buffered += chunk.toString('utf8');
    let end;
    while ((end = buffered.indexOf('\0')) >= 0) {
      const message = JSON.parse(buffered.slice(0, end));
      buffered = buffered.slice(end + 1);
      const waiting = pending.get(message.id);
      if (!waiting) continue;
      pending.delete(message.id);
      if (message.error) waiting.reject(new Error(`${waiting.method}: ${message.error.message}`));
      else waiting.resolve(message.result);
    }
  });
  const exited = new Promise((resolve) => child.once('exit', resolve));

  function send(method, params = {}, sessionId = undefined) {
    const id = ++lastId;
    return new Promise((resolve, reject) => {
      pending.set(id, { resolve, reject, method });
      toBrowser.write(`${JSON.stringify({ id, method, params, sessionId })}\0`);
    });
  }

  // A tab at `url`, in front of the others, with `evaluate` as playwright's
  // page.evaluate (a function and one argument that JSON can carry), so the
  // helpers of site.js read its canvas.
  async function openTab(url) {
    const { targetId } = await send('Target.createTarget', { url, newWindow: false, background: false });
    const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
    const tab = {
      targetId,
      async evaluate(fn, arg) {
        const { result, exceptionDetails } = await send('Runtime.evaluate', {
          expression: `(${fn})(${arg === undefined ? '' : JSON.stringify(arg)})`,
          returnByValue: true, awaitPromise: true,
        }, sessionId);
        if (exceptionDetails) throw new Error(exceptionDetails.exception?.description || exceptionDetails.text);
        return result.value;
      },
      bringToFront: () => send('Target.activateTarget', { targetId }),
      close: () => send('Target.closeTarget', { targetId }),
    };
    await waitFor(`${url} loaded`, () => tab.evaluate((want) =>
      location.href === want && document.readyState === 'complete', url).catch(() => false));
    return tab;
  }

  return {
    profile,
    send,
    openTab,
    async close() {
      await send('Browser.close').catch(() => {});
      await Promise.race([exited, new Promise((resolve) => setTimeout(resolve, 10000))]);
      if (child.exitCode === null) child.kill('SIGKILL');
      rmSync(profile, { recursive: true, force: true });
    },
  };
}
