#include "platform/web/web_host.h"

#include <emscripten.h>

#include <algorithm>

#include "platform/key_rules.h"
#include "platform/letterbox.h"
#include "platform/web/web_keys.h"
#include "platform/web/web_pixels.h"

// The rules the page's script asks for, the same the desktop window follows.
// Results go back through one small block the script reads.
namespace {

int answer[4];
char keyName[64];

}  // namespace

extern "C" {

// Where a canvas of cw x ch is shown in an area of aw x ah device pixels:
// x, y, width, height.
EMSCRIPTEN_KEEPALIVE int* vorn_letterbox(int aw, int ah, int cw, int ch, int fill) {
  const vorn::Region r =
      vorn::Letterbox(aw, ah, cw, ch, fill != 0 ? vorn::Scaling::Fill : vorn::Scaling::WholeSteps);
  answer[0] = r.X;
  answer[1] = r.Y;
  answer[2] = r.Width;
  answer[3] = r.Height;
  return answer;
}

// The canvas pixel under the area's device pixel (x, y), with the canvas
// shown at (sx, sy, sw, sh): x, y.
EMSCRIPTEN_KEEPALIVE int* vorn_canvas_point(int sx, int sy, int sw, int sh, int cw, int ch, int x,
                                            int y, int clamp) {
  const vorn::CanvasPoint p =
      vorn::AreaToCanvas(vorn::Region{sx, sy, sw, sh}, cw, ch, x, y, clamp != 0);
  answer[0] = p.X;
  answer[1] = p.Y;
  return answer;
}

// The script writes a key's name into keyName (it is given the place when it
// connects) before asking for its code.
EMSCRIPTEN_KEEPALIVE int vorn_key_code(int modifiers) {
  keyName[sizeof keyName - 1] = '\0';
  return vorn::web::TranslateKey(keyName, modifiers);
}

}  // extern "C"

// The door's calls into the page's script, window.vornPage. (No line
// comments in here: each body becomes one line.)

EM_JS(void, vorn_page_connect, (char* keyName, int keyNameSize), {
  vornPage.connect({
    letterbox : (aw, ah, cw, ch, fill) => {
      const a = _vorn_letterbox(aw, ah, cw, ch, fill) >> 2;
      return {x : HEAP32[a], y : HEAP32[a + 1], width : HEAP32[a + 2], height : HEAP32[a + 3]};
    },
    canvasPoint : (shown, cw, ch, x, y, clamp) => {
      const a = _vorn_canvas_point(shown.x, shown.y, shown.width, shown.height, cw, ch, x, y,
                                   clamp ? 1 : 0) >> 2;
      return {x : HEAP32[a], y : HEAP32[a + 1]};
    },
    keyCode : (key, modifiers) => {
      stringToUTF8(key, keyName, keyNameSize);
      return _vorn_key_code(modifiers);
    },
  });
});

EM_JS(double, vorn_page_clock, (), { return vornPage.clock(); });

EM_ASYNC_JS(void, vorn_page_sleep, (double ms), { await vornPage.sleep(ms); });

EM_ASYNC_JS(void, vorn_page_turn, (), { await vornPage.turn(); });

EM_JS(int, vorn_page_take, (int* event), {
  const e = vornPage.take();
  if (!e) return 0;
  HEAP32[event >> 2] = e.code;
  HEAP32[(event >> 2) + 1] = e.x;
  HEAP32[(event >> 2) + 2] = e.y;
  return {key : 1, move : 2, down : 3, up : 4, wheel : 5, focus : 6}[e.kind] || -1;
});

EM_JS(void, vorn_page_open, (int w, int h), { vornPage.open(w, h); });

EM_JS(void, vorn_page_put, (const void* pixels, int w, int h, int x, int y, int rw, int rh), {
  vornPage.put(HEAPU8.buffer, pixels, w, h, x, y, rw, rh);
});

EM_JS(void, vorn_page_shown, (), { vornPage.shown(); });

EM_JS(void, vorn_page_ended, (), { vornPage.ended(); });

namespace vorn::web {

namespace {

// The kinds vorn_page_take gives.
enum PageEvent { kNone = 0, kKey, kMove, kDown, kUp, kWheel, kFocus };

}  // namespace

WebHost::WebHost() { vorn_page_connect(keyName, sizeof keyName); }

// The page's clock stands still while the page is hidden, so a page left in
// a background tab goes on from where it stood, with nothing to catch up.
double WebHost::Clock() { return vorn_page_clock() / 1000.0; }

void WebHost::Wait(double seconds, InputSink& input) { WaitUntil(Clock() + seconds, input); }

// Input that arrives meanwhile is queued by the page and handed over when
// the wait is done: a wait lasts its time. The page hears its input and
// paints the canvas only between turns of its event loop, so even a wait
// whose time has passed (between the slices of a catch-up) gives it one.
void WebHost::WaitUntil(double clock, InputSink& input) {
  bool slept = false;
  for (;;) {
    const double left = clock - Clock();
    if (!(left > 0.0)) break;
    // A timer longer than about 24 days fires at once: sleep in slices.
    vorn_page_sleep(std::min(left, 60.0) * 1000.0);
    slept = true;
  }
  if (!slept) vorn_page_turn();
  // The page's commands before the input of this wait: what the console was
  // given up to here is what a journal saved now holds.
  if (listener_ != nullptr) listener_->AtWait(slept);
  TakeInput(input);
}

void WebHost::TakeInput(InputSink& input) {
  int record[3];
  for (;;) {
    const int kind = vorn_page_take(record);
    if (kind == kNone) return;
    InputEvent event;
    event.Code = record[0];
    event.X = record[1];
    event.Y = record[2];
    switch (kind) {
      case kKey:
        event.Type = InputEvent::Kind::Key;
        break;
      case kMove:
        event.Type = InputEvent::Kind::Pointer;
        break;
      case kDown:
        event.Type = InputEvent::Kind::ButtonDown;
        break;
      case kUp:
        event.Type = InputEvent::Kind::ButtonUp;
        break;
      case kWheel:
        event.Type = InputEvent::Kind::Wheel;
        break;
      case kFocus:
        event.Type = InputEvent::Kind::Focus;
        break;
      default:
        continue;
    }
    input.Hand(event);
  }
}

void WebHost::Show(const Frame& frame) {
  if (frame.Width <= 0 || frame.Height <= 0 || frame.Pixels == nullptr) return;
  if (frame.Width != width_ || frame.Height != height_ || frame.NewScreen) {
    width_ = frame.Width;
    height_ = frame.Height;
    rgba_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
    vorn_page_open(width_, height_);
  }
  bool shown = false;
  for (const Region& r : frame.Changed) {
    const int x0 = std::max(r.X, 0), y0 = std::max(r.Y, 0);
    const int x1 = std::min(r.X + r.Width, width_), y1 = std::min(r.Y + r.Height, height_);
    if (x1 <= x0 || y1 <= y0) continue;
    ConvertRegion(frame, r, rgba_.data());
    vorn_page_put(rgba_.data(), width_, height_, x0, y0, x1 - x0, y1 - y0);
    shown = true;
  }
  if (shown) vorn_page_shown();  // counted for measurements
}

void WebHost::ShowEnded() { vorn_page_ended(); }

}  // namespace vorn::web
