// The console's page: everything a page does around the program. It lays the
// canvas out on the screen area, turns pointer and key events into the
// console's input, keeps the page's clock, sleeps for the program, and loads
// the program, saying what to do when it cannot start. The program reaches
// it as window.vornPage (see src/platform/web/web_host.cpp); the page asks
// the program back only for the rules every host shares: where the canvas is
// shown and where a pointer falls on it (the letterbox), and the key rules.
//
// The build inlines this script into index.html, whose security policy
// allows no other script but the program's, loaded from here.
'use strict';
(() => {
  const byId = (id) => document.getElementById(id);
  const screenArea = byId('screen');
  const canvas = byId('canvas');
  const header = byId('header');
  const fullButton = byId('full');
  const fillButton = byId('fill');
  const bar = byId('bar');
  const program = document.querySelector('meta[name="vorn-program"]');
  const demoFile = document.querySelector('meta[name="vorn-demo"]');
  // index.html?kiosk: the demonstration plays until someone touches it.
  const kiosk = new URLSearchParams(location.search).has('kiosk');
  const context = canvas.getContext('2d', { alpha: false });

  // Set once the program has connected, cleared when it ends.
  let door = null;
  let running = false;

  // What the program's input has been told, and what it has yet to take.
  const queue = [];
  let buttons = 0;

  // What the page asks of the program, taken by it at its next wait.
  const commands = [];
  let opened = null;     // the journal of the last 'open' taken
  let session = null;    // 'live', 'replay', 'demo' or 'idle'
  let lastInputAt = 0;   // on idleClock
  let idleSkipped = 0;   // time the tests have moved the idle clock on
  const kIdleMs = 120000;
  const idleClock = () => pageClock() + idleSkipped;

  // Where the canvas is shown: the area left for it on the screen element
  // and the letterbox in that area, in device pixels.
  let canvasWidth = canvas.width;
  let canvasHeight = canvas.height;
  let fill = false;
  let area = { x: 0, y: 0, width: 0, height: 0 };
  let picture = { x: 0, y: 0, width: 0, height: 0 };

  // For measurements and tests: frames shown, and the page clock when the
  // program last went to sleep (it had done all that was due by then), and
  // when the page was last shown again and its first frame after that.
  const stats = { frames: 0, sleptAt: 0, visibleAt: null, firstFrameAfterVisible: null,
                  sessions: 0, replays: 0, demos: 0, openedAt: null, firstReplayFrameAt: null };

  // --- Messages over the canvas -------------------------------------------

  function fail(text, command) {
    const box = byId('failed');
    box.replaceChildren();
    for (const line of [].concat(text)) {
      const p = document.createElement('p');
      p.textContent = line;
      box.append(p);
    }
    if (command) {
      const pre = document.createElement('pre');
      pre.textContent = command;
      box.append(pre);
    }
    box.hidden = false;
    running = false;
    queue.length = 0;
  }

  // --- The clock, which stands still while the page is hidden ---------------

  let hiddenSince = document.hidden ? performance.now() : null;
  let hiddenFor = 0;
  // Time the tests have moved the clock on (vornPage.test).
  let skipped = 0;

  function pageClock() {
    const now = performance.now();
    return now - hiddenFor - (hiddenSince === null ? 0 : now - hiddenSince) + skipped;
  }

  // The program's one sleep at a time. While the page is hidden it sleeps
  // without a timer; when the page is shown again it wakes and, as the clock
  // stood still, sleeps whatever was left.
  let sleeper = null;

  function sleep(ms) {
    stats.sleptAt = pageClock();
    return new Promise((resolve) => {
      sleeper = { resolve, timer: null };
      if (!document.hidden) sleeper.timer = setTimeout(wake, ms);
    });
  }

  function wake() {
    const s = sleeper;
    if (!s) return;
    sleeper = null;
    clearTimeout(s.timer);
    s.resolve();
  }

  // One turn of the event loop without a timer's delay (a message to
  // ourselves), so that input and painting get their turn between the slices
  // of a catch-up. While the page is hidden it waits like a sleep: a page in
  // the background does no work.
  const turns = new MessageChannel();
  let turning = null;
  turns.port1.onmessage = () => {
    const resolve = turning;
    turning = null;
    if (resolve) resolve();
  };
  function turn() {
    if (document.hidden) return sleep(0);
    return new Promise((resolve) => {
      turning = resolve;
      turns.port2.postMessage(0);
    });
  }

  document.addEventListener('visibilitychange', () => {
    if (document.hidden) {
      if (hiddenSince === null) hiddenSince = performance.now();
      if (sleeper) {
        clearTimeout(sleeper.timer);
        sleeper.timer = null;
      }
      loseFocus();
    } else {
      if (hiddenSince !== null) hiddenFor += performance.now() - hiddenSince;
      hiddenSince = null;
      stats.visibleAt = performance.now();
      stats.firstFrameAfterVisible = null;
      if (document.hasFocus()) push('focus', 1);
      wake();
    }
  });

  // --- Input ------------------------------------------------------------------

  function push(kind, code = 0, x = 0, y = 0) {
    if (!running) return;
    if (kind !== 'focus') lastInputAt = idleClock();
    // Only the last of a run of moves matters to the console.
    const last = queue[queue.length - 1];
    if (kind === 'move' && last && last.kind === 'move') queue.pop();
    queue.push({ kind, code, x, y });
  }

  // Blur and hiding: the console forgets what was pressed, and so does the
  // page, which learns the buttons anew from the next pointer event.
  function loseFocus() {
    buttons = 0;
    push('focus', 0);
  }
  window.addEventListener('blur', loseFocus);
  window.addEventListener('focus', () => push('focus', 1));

  function fullScreenElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }

  // The canvas pixel under a pointer event, through the shared letterbox.
  // In full screen the bars count as the canvas's edge.
  function canvasPoint(e) {
    const d = window.devicePixelRatio || 1;
    const r = screenArea.getBoundingClientRect();
    const x = Math.floor((e.clientX - r.left) * d) - area.x;
    const y = Math.floor((e.clientY - r.top) * d) - area.y;
    return door.canvasPoint(picture, canvasWidth, canvasHeight, x, y, fullScreenElement() !== null);
  }

  // Mouse, touch and pen alike: the buttons held (a finger or a pen's tip
  // is the left button) are compared with what the console was told, so a
  // press lasts as long as the finger stays down and a tap is a quick click
  // where it was made. Only the first finger counts.
  function onPointer(e) {
    if (!running || !e.isPrimary) return;
    const p = canvasPoint(e);
    const held = e.type === 'pointercancel' ? 0 : e.buttons & 7;
    push('move', 0, p.x, p.y);
    for (const bit of [1, 2, 4]) {
      if ((held & bit) !== 0 && (buttons & bit) === 0) push('down', bit, p.x, p.y);
      if ((held & bit) === 0 && (buttons & bit) !== 0) push('up', bit, p.x, p.y);
    }
    buttons = held;
  }

  screenArea.addEventListener('pointerdown', (e) => {
    if (!running) return;
    canvas.focus({ preventScroll: true });
    // The press stays the console's until it ends, wherever it goes.
    screenArea.setPointerCapture(e.pointerId);
    e.preventDefault();
    onPointer(e);
  });
  for (const type of ['pointermove', 'pointerup', 'pointercancel']) screenArea.addEventListener(type, onPointer);
  // A mouse that leaves the area is off the canvas. A finger or a pen
  // lifted off the screen leaves the pointer where it was, as a mouse
  // released there would: so a control let go of sees its button up.
  screenArea.addEventListener('pointerleave', (e) => {
    if (e.isPrimary && e.pointerType === 'mouse' && fullScreenElement() === null) push('move', 0, -1, -1);
  });
  // The console uses no menu of the browser's, and a long press is a hold.
  screenArea.addEventListener('contextmenu', (e) => e.preventDefault());
  // The wheel is counted, and still scrolls and zooms the page as usual.
  screenArea.addEventListener('wheel', (e) => {
    if (e.deltaY !== 0) push('wheel', e.deltaY < 0 ? 1 : -1);
  }, { passive: true });

  // Keys reach the console only while the canvas has the focus, and only
  // those the key rules give it; every other key stays the browser's.
  canvas.addEventListener('keydown', (e) => {
    if (!running || e.isComposing) return;
    const modifiers = (e.ctrlKey ? 1 : 0) | (e.altKey ? 2 : 0) | (e.metaKey ? 4 : 0) |
                      (e.getModifierState && e.getModifierState('AltGraph') ? 8 : 0);
    const code = door.keyCode(e.key, modifiers);
    if (code === 0) return;
    e.preventDefault();
    if (code === -1) {  // Alt+Enter
      if (!e.repeat) toggleFullScreen();
      return;
    }
    push('key', code);
  });

  // --- Full screen and filling ----------------------------------------------

  function toggleFullScreen() {
    const exit = document.exitFullscreen || document.webkitExitFullscreen;
    const enter = screenArea.requestFullscreen || screenArea.webkitRequestFullscreen;
    const result = fullScreenElement() ? exit.call(document) : enter.call(screenArea);
    if (result && result.catch) result.catch(() => {});
    canvas.focus({ preventScroll: true });
  }

  // Where the page cannot show an element full screen (an iPhone), there
  // is no button for it.
  if (document.fullscreenEnabled || document.webkitFullscreenEnabled) {
    fullButton.addEventListener('click', toggleFullScreen);
  } else {
    fullButton.hidden = true;
  }

  fillButton.addEventListener('click', () => {
    fill = !fill;
    fillButton.setAttribute('aria-pressed', String(fill));
    layout();
    canvas.focus({ preventScroll: true });
  });

  // --- Layout ---------------------------------------------------------------

  // The picture's size is decided on the whole screen area; the header then
  // takes the room the picture leaves above it, or else beside it, and only
  // when there is none takes its strip off the top. So a taller header
  // (under zoom) never makes the picture smaller while there is room.
  function placeHeader(width, height, d) {
    header.classList.remove('column');
    if (fullScreenElement() !== null) return { x: 0, y: 0 };
    const whole = door.letterbox(width, height, canvasWidth, canvasHeight, fill ? 1 : 0);
    const strip = Math.ceil(header.getBoundingClientRect().height * d);
    if (height - whole.height >= strip) return { x: 0, y: strip };
    header.classList.add('column');
    const column = Math.ceil(header.getBoundingClientRect().width * d);
    if (width - whole.width >= column) return { x: column, y: 0 };
    header.classList.remove('column');
    return { x: 0, y: strip };
  }

  let layoutRatio = 0;

  function layout() {
    if (!door) return;
    const d = window.devicePixelRatio || 1;
    layoutRatio = d;
    const r = screenArea.getBoundingClientRect();
    const width = Math.round(r.width * d);
    const strip = bar.hidden || fullScreenElement() !== null ? 0 : Math.ceil(bar.getBoundingClientRect().height * d);
    const height = Math.round(r.height * d) - strip;
    const corner = placeHeader(width, height, d);
    area = { x: corner.x, y: corner.y, width: width - corner.x, height: height - corner.y };
    picture = door.letterbox(area.width, area.height, canvasWidth, canvasHeight, fill ? 1 : 0);
    const s = canvas.style;
    s.left = `${(area.x + picture.x) / d}px`;
    s.top = `${(area.y + picture.y) / d}px`;
    s.width = `${picture.width / d}px`;
    s.height = `${picture.height / d}px`;
    // Whole multiples stay sharp squares; anything else is filtered, so
    // thin lines and letters do not drop out or come in uneven strokes.
    const whole = picture.width % canvasWidth === 0 && picture.height % canvasHeight === 0;
    s.imageRendering = whole ? 'pixelated' : 'auto';
  }

  // A change of devicePixelRatio without a resize (a window moved to another
  // monitor) is told only to a resolution query, which then has to be made
  // anew for the new ratio. Not every path tells even that (the developer
  // tools' device emulation does not), so each frame shown also compares.
  let resolution = null;
  function watchResolution() {
    if (resolution) resolution.removeEventListener('change', onResolution);
    resolution = window.matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`);
    resolution.addEventListener('change', onResolution);
  }
  function onResolution() {
    watchResolution();
    layout();
  }
  watchResolution();
  window.addEventListener('resize', layout);
  document.addEventListener('fullscreenchange', layout);
  document.addEventListener('webkitfullscreenchange', layout);

  // --- Sessions: saving, opening, the replay bar, the kiosk ----------------

  function ask(kind, value = 0, extra = {}) {
    if (!running) return;
    commands.push({ kind, value, ...extra });
  }

  function note(text) {
    byId('note').textContent = text;
  }

  const twoDigits = (n) => String(n).padStart(2, '0');
  function clockText(seconds) {
    const s = Math.max(0, Math.floor(seconds));
    return `${Math.floor(s / 60)}:${twoDigits(s % 60)}`;
  }

  // A journal's download name: the local date and time of the save.
  function journalName(d = new Date()) {
    return `vorn-${d.getFullYear()}-${twoDigits(d.getMonth() + 1)}-${twoDigits(d.getDate())}-` +
           `${twoDigits(d.getHours())}${twoDigits(d.getMinutes())}${twoDigits(d.getSeconds())}.vornj`;
  }

  function download(bytes, name) {
    const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    const a = document.createElement('a');
    a.href = url;
    a.download = name;
    a.hidden = true;
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  // A day of recording is about 75 MB; a file far larger is no journal, and
  // copying it into the program's memory could exhaust it.
  const kLargestJournal = 256 * 1024 * 1024;

  function openFile(file) {
    if (!file || kiosk) return;
    if (file.size > kLargestJournal) {
      note(`${file.name} is not opened: at ${Math.round(file.size / 1048576)} MB it is larger than any journal (256 MB at most)`);
      return;
    }
    stats.openedAt = performance.now();
    file.arrayBuffer().then((buffer) => {
      note(`Opening ${file.name}…`);
      ask('open', 0, { bytes: new Uint8Array(buffer), name: file.name });
    }, (error) => note(`${file.name} could not be read: ${error.message}`));
  }

  const picker = byId('picker');
  byId('open').addEventListener('click', () => picker.click());
  picker.addEventListener('change', () => {
    openFile(picker.files[0]);
    picker.value = '';
  });
  document.addEventListener('dragover', (e) => e.preventDefault());
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    openFile(e.dataTransfer && e.dataTransfer.files[0]);
  });
  byId('save').addEventListener('click', () => ask('save'));

  let paused = false;
  let speed = 1;
  const pauseButton = byId('pause');
  pauseButton.addEventListener('click', () => ask('pause', paused ? 0 : 1));
  for (const n of [1, 4, 16]) byId(`speed${n}`).addEventListener('click', () => ask('speed', n));
  byId('takeover').addEventListener('click', () => ask('takeOver'));

  let length = 0;
  let positionText = '';
  function showPosition(seconds) {
    const text = `${clockText(seconds)} / ${clockText(length)}`;
    if (text !== positionText) byId('position').textContent = positionText = text;
  }

  function showBar(shown) {
    if (bar.hidden === !shown) return;
    bar.hidden = !shown;
    layout();
  }

  // The kiosk goes back to the demonstration after two minutes without input.
  function checkIdle() {
    if (kiosk && session === 'live' && idleClock() - lastInputAt >= kIdleMs) ask('demo');
  }
  if (kiosk) {
    // A visitor's console is not theirs to save, nor the kiosk's to replace.
    byId('open').hidden = true;
    setInterval(checkIdle, 1000);
    // Full screen needs a user's gesture in most browsers: the first will do.
    const full = () => {
      if (!fullScreenElement() && (document.fullscreenEnabled || document.webkitFullscreenEnabled))
        toggleFullScreen();
    };
    screenArea.addEventListener('pointerdown', full, { once: true });
  }

  // --- The program's side ---------------------------------------------------

  // The program's canvas in the program's memory, as the page puts it.
  let image = null;
  let imageAt = 0;

  window.vornPage = {
    stats,
    connect(rules) {
      door = rules;
      running = true;
      layout();
      canvas.focus({ preventScroll: true });
      if (!document.hasFocus()) push('focus', 0);
    },
    clock: pageClock,
    sleep,
    turn,
    take: () => queue.shift(),
    open(width, height) {
      canvas.width = canvasWidth = width;
      canvas.height = canvasHeight = height;
      image = null;
      layout();
    },
    put(buffer, pixels, width, height, x, y, w, h) {
      if (!image || image.data.buffer !== buffer || imageAt !== pixels) {
        image = new ImageData(new Uint8ClampedArray(buffer, pixels, width * height * 4), width, height);
        imageAt = pixels;
      }
      context.putImageData(image, 0, 0, x, y, w, h);
    },
    command() {
      const c = commands.shift();
      if (c && c.kind === 'open') opened = c;
      return c;
    },
    opened() {
      return opened;
    },
    kiosk,
    demo: null,
    session(kind, seconds) {
      session = ['live', 'replay', 'demo', 'idle'][kind];
      if (session === 'idle') return;
      byId('ended').hidden = true;
      document.body.dataset.session = session;
      const replaying = session !== 'live';
      byId('replay').hidden = !replaying || kiosk;
      byId('save').hidden = replaying || kiosk;
      if (replaying) {
        if (session === 'demo') ++stats.demos;
        stats.firstReplayFrameAt = null;
        length = seconds;
        paused = false;
        speed = 1;
        positionText = '';
        showPosition(0);
        byId('hash').textContent = '';
        note(session === 'demo' ? 'A demonstration: touch the screen or press a key to take over.' : '');
      } else {
        lastInputAt = idleClock();
        byId('position').textContent = positionText = '';
        note(kiosk ? 'Your console: two minutes without a touch bring the demonstration back.'
                   : stats.sessions++ ? 'A fresh console: a new run, not the one replayed.' : '');
      }
      showBar(replaying || byId('hash').textContent !== '' || byId('note').textContent !== '');
    },
    position(seconds, isPaused, isSpeed) {
      showPosition(seconds);
      if (isPaused !== paused) {
        paused = isPaused;
        pauseButton.textContent = paused ? 'Play' : 'Pause';
      }
      if (isSpeed !== speed) {
        speed = isSpeed;
        for (const n of [1, 4, 16]) byId(`speed${n}`).setAttribute('aria-pressed', String(n === speed));
      }
    },
    replayEnd(how, hash) {
      ++stats.replays;
      byId('hash').textContent = `last frame: canvas hash ${hash}`;
      byId('hash').dataset.hash = hash;
      note(`Replay: ${how}.`);
      stats.lastReplay = { how, hash };
      showBar(true);
    },
    refused(reason) {
      note(reason);
      stats.refused = reason;
      showBar(true);
    },
    offer(bytes, hash) {
      const name = journalName();
      download(bytes, name);
      byId('hash').textContent = `saved ${name}: canvas hash ${hash}`;
      byId('hash').dataset.hash = hash;
      stats.saved = { name, hash, bytes: bytes.length };
      showBar(true);
    },
    // For the tests: move the page's clock (the console's, so simulated time
    // runs ahead) or the kiosk's idle clock on.
    test: {
      skip(ms) {
        skipped += ms;
      },
      idle(ms) {
        idleSkipped += ms;
        checkIdle();
      },
      // A command as the bar's buttons give it (the kiosk has no bar).
      ask,
    },
    shown() {
      ++stats.frames;
      if (stats.firstReplayFrameAt === null && session !== 'live') stats.firstReplayFrameAt = performance.now();
      if ((window.devicePixelRatio || 1) !== layoutRatio) layout();
      if (stats.visibleAt !== null && stats.firstFrameAfterVisible === null)
        stats.firstFrameAfterVisible = performance.now();
    },
    ended() {
      byId('ended').hidden = false;
    },
  };

  // --- Start-up ---------------------------------------------------------------

  const name = program.content;
  const wasmFile = `${name}.wasm`;
  const jsFile = `${name}.js`;
  const reload = 'Reload the page; if that does not help, the site is incomplete: copy all of build/web/site/ again.';

  async function loadProgram(imports) {
    let response;
    try {
      response = await fetch(wasmFile, { credentials: 'same-origin' });
    } catch (error) {
      throw [`${wasmFile} could not be downloaded (${error.message}).`, reload];
    }
    if (!response.ok)
      throw [`${wasmFile} could not be downloaded: the server answered ${response.status} ${response.statusText}.`, reload];
    const bytes = await response.arrayBuffer();
    const head = new Uint8Array(bytes, 0, Math.min(4, bytes.byteLength));
    if (head.length < 4 || head[0] !== 0 || head[1] !== 0x61 || head[2] !== 0x73 || head[3] !== 0x6d)
      throw [`${wasmFile} is not the program: the server sent something else (${response.headers.get('content-type') || 'no type'}).`, reload];
    // Where the browser can check it (https and this machine), the program
    // must be the very file this page was built with.
    const expected = program.dataset.sha256;
    if (expected && window.crypto && crypto.subtle) {
      const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
      const got = Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join('');
      if (got !== expected) throw [`${wasmFile} is not the file this page was built with (a stale or damaged copy).`, reload];
    }
    try {
      return (await WebAssembly.instantiate(bytes, imports)).instance;
    } catch (error) {
      if (error instanceof WebAssembly.LinkError)
        throw [`${wasmFile} does not belong with ${jsFile} (a mismatched download).`, reload];
      if (/eval|Content.Security/i.test(String(error.message)))
        throw ['This browser does not let the page run WebAssembly under its security policy.',
               'vorn needs a browser from 2022 or later (Chrome or Edge 97, Firefox 102, Safari 16).'];
      throw [`${wasmFile} could not be started: ${error.message}`, reload];
    }
  }

  // The kiosk's demonstration, from this site only, before the program starts.
  async function loadDemo() {
    const file = demoFile && demoFile.content;
    if (!file) throw ['This site has no demonstration journal.', reload];
    let response;
    try {
      response = await fetch(file, { credentials: 'same-origin' });
    } catch (error) {
      throw [`${file} could not be downloaded (${error.message}).`, reload];
    }
    if (!response.ok) throw [`${file} could not be downloaded: the server answered ${response.status}.`, reload];
    window.vornPage.demo = new Uint8Array(await response.arrayBuffer());
  }

  function start() {
    if (location.protocol === 'file:') {
      const folder = decodeURIComponent(location.pathname.replace(/[^/]*$/, ''));
      fail(['vorn cannot start from a file:// address: browsers do not load its program from disk.',
            'Serve this folder and open it over http instead. In vorn\'s source tree, run',
            '    bash tools/setup.sh web',
            'or, in any shell, run the command below and open http://127.0.0.1:8000/'],
           `python3 -m http.server 8000 --bind 127.0.0.1 --directory '${folder}'`);
      return;
    }
    if (typeof WebAssembly !== 'object') {
      fail('This browser cannot run WebAssembly, which vorn needs.');
      return;
    }
    window.Module = {
      instantiateWasm(imports, receive) {
        loadProgram(imports).then((instance) => receive(instance), (reason) => fail(reason));
        return {};
      },
      onAbort(what) {
        if (byId('failed').hidden) fail([`vorn stopped: ${what}`, 'Reload the page to start again.']);
      },
    };
    const script = document.createElement('script');
    script.src = jsFile;
    script.onerror = () => fail([`${jsFile} could not be downloaded.`, reload]);
    if (kiosk) loadDemo().then(() => document.body.append(script), (reason) => fail(reason));
    else document.body.append(script);
  }

  start();
})();
