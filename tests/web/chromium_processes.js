// Chromium's processes as /proc shows them, for the measurement scripts.
import { readFileSync, readdirSync } from 'node:fs';

// CPU seconds (user + system) and resident bytes of each process, and the
// parent of each.
function processes() {
  const list = [];
  for (const name of readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    try {
      const stat = readFileSync(`/proc/${name}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      // Chromium rewrites its processes' titles: one string, spaces between.
      const cmdline = readFileSync(`/proc/${name}/cmdline`, 'utf8').split('\0').join(' ');
      list.push({ pid: Number(name), ppid: Number(fields[1]), cpu: (Number(fields[11]) + Number(fields[12])) / 100,
                  rss: Number(fields[21]) * 4096, cmdline });
    } catch { /* gone meanwhile */ }
  }
  return list;
}

// The flags a measuring Chromium runs with: nothing of its own in the
// background (no network, updates or sync) to count against the page.
export const kQuietArgs = ['--no-sandbox', '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--no-first-run', '--no-default-browser-check'];

// Our Chromium's processes by kind: the one started with our profile
// folder, and everything below it. CPU seconds of each kind, and with
// `what` = 'rss' their resident memory in bytes.
export function ourChromium(profile, what = 'cpu') {
  const all = processes();
  const root = all.find((p) => p.cmdline.includes(`--user-data-dir=${profile}`) &&
                               !p.cmdline.includes('--type='));
  const ours = new Map();
  const walk = (pid) => {
    for (const p of all) if (p.ppid === pid) { ours.set(p.pid, p); walk(p.pid); }
  };
  ours.set(root.pid, root);
  walk(root.pid);
  const kinds = {};
  for (const p of ours.values()) {
    const type = (p.cmdline.match(/--type=(\S+)/) || [null, 'browser'])[1];
    kinds[type] = (kinds[type] || 0) + p[what];
  }
  return kinds;
}
