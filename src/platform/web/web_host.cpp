#include "platform/web/web_host.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>

#include "platform/web/web_keys.h"
#include "platform/web/web_pixels.h"

// The page's side. Events are queued in JavaScript and taken by the host
// while it runs; nothing calls into the program while it sleeps, except the
// test hook, which only reads. Positions are device pixels relative to the
// screen area. For measurements the page counts the frames shown and keeps
// the time the program last went to sleep, when what it did was up to date.
// (No line comments in here: each body becomes one line.)

EM_JS(void, vorn_web_start, (), {
  const v = {queue : [], wake : null, ended : false, image : null, pixels : 0, frames : 0};
  Module.vornPage = v;
  const screen = document.getElementById('screen');
  const canvas = document.getElementById('canvas');
  v.context = canvas.getContext('2d', {alpha : false});
  const push = (e) => {
    if (v.ended) return;
    v.queue.push(e);
    if (v.wake) v.wake();
  };
  const at = (e) => {
    const r = screen.getBoundingClientRect();
    const d = window.devicePixelRatio || 1;
    return [ (e.clientX - r.left) * d, (e.clientY - r.top) * d ];
  };
  const bit = (button) => button == 0 ? 1 : button == 2 ? 2 : button == 1 ? 4 : 0;
  window.addEventListener('keydown', (e) => {
    if (v.ended || e.isComposing) return;
    if (e.altKey && e.key == 'Enter') {
      e.preventDefault();
      if (!e.repeat && Module.vornToggleFullScreen) Module.vornToggleFullScreen();
      return;
    }
    const mods = (e.ctrlKey ? 1 : 0) | (e.altKey ? 2 : 0) | (e.metaKey ? 4 : 0);
    push({kind : 1, key : e.key, a : mods, x : 0, y : 0});
    const shortcut = (e.ctrlKey && !e.altKey) || e.metaKey || e.key == 'F5' ||
                     e.key == 'F11' || e.key == 'F12';
    if (!shortcut) e.preventDefault();
  });
  screen.addEventListener('mousedown', (e) => {
    const p = at(e);
    push({kind : 3, a : bit(e.button), x : p[0], y : p[1]});
    e.preventDefault();
  });
  window.addEventListener('mouseup', (e) => {
    const p = at(e);
    push({kind : 4, a : bit(e.button), x : p[0], y : p[1]});
  });
  window.addEventListener('mousemove', (e) => {
    const p = at(e);
    push({kind : 2, a : 0, x : p[0], y : p[1]});
  });
  document.documentElement.addEventListener('mouseleave', () => {
    push({kind : 7, a : 0, x : 0, y : 0});
  });
  screen.addEventListener('contextmenu', (e) => e.preventDefault());
  screen.addEventListener('wheel', (e) => {
    e.preventDefault();
    if (e.deltaY != 0) push({kind : 5, a : e.deltaY < 0 ? 1 : -1, x : 0, y : 0});
  }, {passive : false});
  window.addEventListener('focus', () => push({kind : 6, a : 1, x : 0, y : 0}));
  window.addEventListener('blur', () => push({kind : 6, a : 0, x : 0, y : 0}));
  const relayout = () => push({kind : 8, a : 0, x : 0, y : 0});
  window.addEventListener('resize', relayout);
  document.addEventListener('fullscreenchange', relayout);
});

EM_JS(int, vorn_web_take, (double* record, char* key, int keySize), {
  const e = Module.vornPage.queue.shift();
  if (!e) return 0;
  HEAPF64[record >> 3] = e.a;
  HEAPF64[(record >> 3) + 1] = e.x;
  HEAPF64[(record >> 3) + 2] = e.y;
  stringToUTF8(e.key || "", key, keySize);
  return e.kind;
});

EM_ASYNC_JS(void, vorn_web_sleep, (double ms), {
  const v = Module.vornPage;
  v.sleptAt = performance.now();
  await new Promise((resolve) => {
    const done = () => {
      clearTimeout(timer);
      v.wake = null;
      resolve();
    };
    const timer = setTimeout(done, ms);
    v.wake = done;
  });
});

EM_JS(void, vorn_web_area, (int* size), {
  const r = document.getElementById('screen').getBoundingClientRect();
  const d = window.devicePixelRatio || 1;
  HEAP32[size >> 2] = Math.round(r.width * d);
  HEAP32[(size >> 2) + 1] = Math.round(r.height * d);
  HEAP32[(size >> 2) + 2] = document.fullscreenElement ? 1 : 0;
});

EM_JS(void, vorn_web_place, (int x, int y, int w, int h, int crisp), {
  const s = document.getElementById('canvas').style;
  const d = window.devicePixelRatio || 1;
  s.left = (x / d) + 'px';
  s.top = (y / d) + 'px';
  s.width = (w / d) + 'px';
  s.height = (h / d) + 'px';
  s.imageRendering = crisp ? 'pixelated' : 'auto';
});

EM_JS(void, vorn_web_open, (int w, int h), {
  const canvas = document.getElementById('canvas');
  canvas.width = w;
  canvas.height = h;
  Module.vornPage.image = null;
});

EM_JS(void, vorn_web_put, (const void* pixels, int w, int h, int x, int y, int rw, int rh), {
  const v = Module.vornPage;
  if (!v.image || v.image.data.buffer !== HEAPU8.buffer || v.pixels != pixels) {
    v.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, w * h * 4), w, h);
    v.pixels = pixels;
  }
  v.context.putImageData(v.image, 0, 0, x, y, rw, rh);
});

EM_JS(void, vorn_web_shown, (), { Module.vornPage.frames++; });

EM_JS(void, vorn_web_ended, (), {
  Module.vornPage.ended = true;
  Module.vornPage.queue.length = 0;
  const e = document.getElementById('ended');
  if (e) e.hidden = false;
});

namespace vorn::web {

namespace {

enum PageEvent { kNone = 0, kKey, kMove, kDown, kUp, kWheel, kFocus, kLeave, kLayout };

}  // namespace

WebHost::WebHost() { vorn_web_start(); }

double WebHost::Clock() { return emscripten_get_now() / 1000.0; }

void WebHost::Wait(double seconds, InputSink& input) { WaitUntil(Clock() + seconds, input); }

void WebHost::WaitUntil(double clock, InputSink& input) {
  if (TakeInput(input)) return;
  for (;;) {
    const double left = clock - Clock();
    if (!(left > 0.0)) return;
    // A timer longer than about 24 days fires at once: sleep in slices.
    vorn_web_sleep(std::min(left, 60.0) * 1000.0);
    if (TakeInput(input)) return;
  }
}

bool WebHost::TakeInput(InputSink& input) {
  bool handed = false;
  double record[3];
  char key[32];
  for (;;) {
    const int kind = vorn_web_take(record, key, sizeof key);
    if (kind == kNone) return handed;
    const int a = static_cast<int>(record[0]);
    InputEvent event;
    switch (kind) {
      case kKey:
        event.Code = TranslateKey(key, a);
        if (event.Code == 0) continue;
        event.Type = InputEvent::Kind::Key;
        break;
      case kMove:
      case kDown:
      case kUp: {
        if (width_ == 0) continue;
        const CanvasPoint p = Map(record[1], record[2]);
        event.Type = kind == kMove   ? InputEvent::Kind::Pointer
                     : kind == kDown ? InputEvent::Kind::ButtonDown
                                     : InputEvent::Kind::ButtonUp;
        event.Code = a;
        event.X = p.X;
        event.Y = p.Y;
        if (kind != kMove && a == 0) continue;
        break;
      }
      case kLeave:
        if (fullScreen_) continue;
        event.Type = InputEvent::Kind::Pointer;
        event.X = -1;
        event.Y = -1;
        break;
      case kWheel:
        event.Type = InputEvent::Kind::Wheel;
        event.Code = a;
        break;
      case kFocus:
        event.Type = InputEvent::Kind::Focus;
        event.Code = a;
        break;
      case kLayout:
        Place();
        continue;
      default:
        continue;
    }
    input.Hand(event);
    handed = true;
  }
}

CanvasPoint WebHost::Map(double x, double y) const {
  return AreaToCanvas(shown_, width_, height_, static_cast<int>(std::floor(x)),
                      static_cast<int>(std::floor(y)), fullScreen_);
}

void WebHost::Place() {
  int area[3] = {0, 0, 0};
  vorn_web_area(area);
  areaWidth_ = area[0];
  areaHeight_ = area[1];
  fullScreen_ = area[2] != 0;
  if (width_ == 0) return;
  shown_ = Letterbox(areaWidth_, areaHeight_, width_, height_);
  // Enlarged, the pixels stay sharp squares; shrunk, the browser's smooth
  // filter keeps thin lines and letters from dropping out.
  const bool crisp = shown_.Width >= width_;
  vorn_web_place(shown_.X, shown_.Y, shown_.Width, shown_.Height, crisp ? 1 : 0);
}

void WebHost::Show(const Frame& frame) {
  if (frame.Width <= 0 || frame.Height <= 0 || frame.Pixels == nullptr) return;
  if (frame.Width != width_ || frame.Height != height_ || frame.NewScreen) {
    width_ = frame.Width;
    height_ = frame.Height;
    rgba_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
    vorn_web_open(width_, height_);
    Place();
  }
  bool shown = false;
  for (const Region& r : frame.Changed) {
    const int x0 = std::max(r.X, 0), y0 = std::max(r.Y, 0);
    const int x1 = std::min(r.X + r.Width, width_), y1 = std::min(r.Y + r.Height, height_);
    if (x1 <= x0 || y1 <= y0) continue;
    ConvertRegion(frame, r, rgba_.data());
    vorn_web_put(rgba_.data(), width_, height_, x0, y0, x1 - x0, y1 - y0);
    shown = true;
  }
  if (shown) vorn_web_shown();  // counted for measurements
}

void WebHost::ShowEnded() { vorn_web_ended(); }

}  // namespace vorn::web
