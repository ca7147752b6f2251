#include "platform/web/page_commands.h"

#include <emscripten.h>

// The page's side is window.vornPage (web/page.js). (No line comments in
// the bodies below: each becomes one line.)

EM_JS(int, vorn_page_command, (double* value), {
  const c = vornPage.command();
  if (!c) return 0;
  HEAPF64[value >> 3] = c.value || 0;
  return {save : 1, open : 2, speed : 3, pause : 4, takeOver : 5, demo : 6}[c.kind] || 0;
});

EM_JS(int, vorn_page_opened_size, (), { return vornPage.opened().bytes.length; });

EM_JS(void, vorn_page_opened_copy, (std::uint8_t* to, char* name, int nameSize), {
  const o = vornPage.opened();
  HEAPU8.set(o.bytes, to);
  stringToUTF8(o.name, name, nameSize);
});

EM_JS(int, vorn_page_kiosk, (), { return vornPage.kiosk ? 1 : 0; });

EM_JS(int, vorn_page_demo_size, (), { return vornPage.demo ? vornPage.demo.length : 0; });

EM_JS(void, vorn_page_demo_copy, (std::uint8_t* to), { HEAPU8.set(vornPage.demo, to); });

EM_JS(void, vorn_page_session, (int kind, double length), { vornPage.session(kind, length); });

EM_JS(void, vorn_page_position, (double seconds, int paused, double speed), {
  vornPage.position(seconds, paused !== 0, speed);
});

EM_JS(void, vorn_page_replay_end, (const char* how, const char* hash, int hashSize), {
  vornPage.replayEnd(UTF8ToString(how), UTF8ToString(hash, hashSize));
});

EM_JS(void, vorn_page_refused, (const char* reason), { vornPage.refused(UTF8ToString(reason)); });

EM_JS(void, vorn_page_offer, (const char* bytes, int size, const char* hash, int hashSize), {
  vornPage.offer(HEAPU8.slice(bytes, bytes + size), UTF8ToString(hash, hashSize));
});

namespace vorn::web {

PageCommand TakePageCommand() {
  PageCommand command;
  command.Type = static_cast<PageCommand::Kind>(vorn_page_command(&command.Value));
  return command;
}

std::vector<std::uint8_t> TakeOpenedJournal(std::string& name) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(vorn_page_opened_size()));
  char text[256] = {};
  vorn_page_opened_copy(bytes.data(), text, sizeof text);
  name = text;
  return bytes;
}

bool KioskPage() { return vorn_page_kiosk() != 0; }

std::vector<std::uint8_t> TakeDemoJournal() {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(vorn_page_demo_size()));
  if (!bytes.empty()) vorn_page_demo_copy(bytes.data());
  return bytes;
}

void TellSession(Session session, double length) {
  vorn_page_session(static_cast<int>(session), length);
}

void TellPosition(double seconds, bool paused, double speed) {
  vorn_page_position(seconds, paused ? 1 : 0, speed);
}

void TellReplayEnd(const std::string& how, std::string_view hash) {
  vorn_page_replay_end(how.c_str(), hash.data(), static_cast<int>(hash.size()));
}

void TellRefused(const std::string& reason) { vorn_page_refused(reason.c_str()); }

void OfferJournal(std::string_view bytes, std::string_view hash) {
  vorn_page_offer(bytes.data(), static_cast<int>(bytes.size()), hash.data(),
                  static_cast<int>(hash.size()));
}

}  // namespace vorn::web
