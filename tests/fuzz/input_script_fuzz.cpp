// The input-script reader of stomp-headless: any text is either read into events in frame order
// with valid ids and key codes, or refused with an error naming a line that exists.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/platform/headless.h"
#include "fuzz_support.h"

namespace {

bool KnownEvent(const platform::Event& event) {
  switch (event.id) {
    case platform::kEventKeyDown:
    case platform::kEventKeyUp: return event.data >= 1 && event.data <= 255;
    case platform::kEventClose:
    case platform::kEventDeactivate:
    case platform::kEventActivate: return true;
    default: return false;
  }
}

void CheckError(const std::string& error, std::string_view text) {
  const std::string prefix = "input.txt:";
  if (error.compare(0, prefix.size(), prefix) != 0)
    fuzz_support::Fail("error without the name: " + error);
  size_t digits = prefix.size();
  long line = 0;
  while (digits < error.size() && error[digits] >= '0' && error[digits] <= '9' &&
         line < 1000000000) {
    line = line * 10 + (error[digits++] - '0');
  }
  const long lines = static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1;
  if (digits == prefix.size() || line < 1 || line > lines || error.compare(digits, 2, ": ") != 0) {
    fuzz_support::Fail("error names no line of the text: " + error);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  headless::InputScript script;
  std::string error;
  if (!headless::ReadInputScript(text, "input.txt", script, error)) {
    CheckError(error, text);
    return 0;
  }
  auto by_frame = [](const auto& a, const auto& b) { return a.first < b.first; };
  if (!std::is_sorted(script.events.begin(), script.events.end(), by_frame) ||
      !std::is_sorted(script.stalls.begin(), script.stalls.end(), by_frame)) {
    fuzz_support::Fail("events or stalls out of frame order");
  }
  for (const auto& [frame, event] : script.events) {
    if (frame < 0 || !KnownEvent(event)) fuzz_support::Fail("an event no script line can give");
  }
  for (const auto& [frame, ms] : script.stalls) {
    if (frame < 0 || ms < 0) fuzz_support::Fail("a stall no script line can give");
  }
  return 0;
}
