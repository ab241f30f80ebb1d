// The command line of stomp-headless and its input-script reader.
#include <algorithm>
#include <charconv>

#include "engine/platform/headless.h"
#include "engine/system.h"

namespace headless {

namespace {

// Whole-token decimal int; no sign, spaces or trailing characters unless `allow_negative`.
bool ParseInt(std::string_view token, int& value, bool allow_negative = false) {
  if (token.empty() || (!allow_negative && token[0] == '-')) return false;
  const char* end = token.data() + token.size();
  auto [ptr, ec] = std::from_chars(token.data(), end, value);
  return ec == std::errc() && ptr == end;
}

bool KeyCode(std::string_view name, int& code) {
  static const std::pair<std::string_view, int> kNamed[] = {
      {"left", kKeyLeft}, {"up", kKeyUp},       {"right", kKeyRight},
      {"down", kKeyDown}, {"space", kKeySpace}, {"escape", kKeyEscape}};
  for (auto [key, vk] : kNamed) {
    if (name == key) {
      code = vk;
      return true;
    }
  }
  return ParseInt(name, code) && code >= 1 && code <= 255;
}

std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> tokens;
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r')) ++pos;
    size_t start = pos;
    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t' && line[pos] != '\r') ++pos;
    if (pos > start) tokens.push_back(line.substr(start, pos - start));
  }
  return tokens;
}

// One non-blank script line; appends to `script` or answers why it cannot be read.
std::string ReadLine(const std::vector<std::string_view>& t, InputScript& script) {
  int frame;
  if (!ParseInt(t[0], frame))
    return "frame \"" + std::string(t[0]) + "\" is not a number 0 or more";
  if (t.size() < 2) return "missing event after the frame";
  auto arity = [&](size_t n) { return t.size() == n; };
  auto plain = [&](int id) -> std::string {
    if (!arity(2)) return "unexpected \"" + std::string(t[2]) + "\" after " + std::string(t[1]);
    script.events.push_back({frame, platform::Event{id, 0}});
    return "";
  };
  if (t[1] == "close") return plain(platform::kEventClose);
  if (t[1] == "deactivate") return plain(platform::kEventDeactivate);
  if (t[1] == "activate") return plain(platform::kEventActivate);
  if (t[1] == "stall") {
    int ms;
    if (!arity(3) || !ParseInt(t[2], ms)) return "stall needs one millisecond count 0 or more";
    script.stalls.push_back({frame, ms});
    return "";
  }
  int code;
  if (!KeyCode(t[1], code))
    return "unknown key \"" + std::string(t[1]) +
           "\" (left right up down space escape, or a code 1..255)";
  if (!arity(3)) return "a key needs one of down, up, tap";
  if (t[2] == "down" || t[2] == "tap")
    script.events.push_back({frame, {platform::kEventKeyDown, code}});
  if (t[2] == "up" || t[2] == "tap")
    script.events.push_back({frame, {platform::kEventKeyUp, code}});
  if (t[2] != "down" && t[2] != "up" && t[2] != "tap")
    return "unknown key action \"" + std::string(t[2]) + "\" (down, up, tap)";
  return "";
}

}  // namespace

bool ReadInputScript(std::string_view text, const std::string& name, InputScript& script,
                     std::string& error) {
  InputScript read;
  int number = 0;
  while (!text.empty()) {
    ++number;
    size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    line = line.substr(0, line.find('#'));
    std::vector<std::string_view> tokens = Tokens(line);
    if (tokens.empty()) continue;
    std::string why = ReadLine(tokens, read);
    if (!why.empty()) {
      error = name + ":" + std::to_string(number) + ": " + why;
      return false;
    }
  }
  // Lines may come in any order; within a frame the file order stands.
  auto by_frame = [](const auto& a, const auto& b) { return a.first < b.first; };
  std::stable_sort(read.events.begin(), read.events.end(), by_frame);
  std::stable_sort(read.stalls.begin(), read.stalls.end(), by_frame);
  script = std::move(read);
  return true;
}

bool ParseArgs(int argc, char** argv, Options& options, std::string& error) {
  Options parsed;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    auto value = [&](std::string_view& out) {
      if (i + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    std::string_view v;
    if (arg == "--frames") {
      if (!value(v)) return false;
      if (!ParseInt(v, parsed.frames) || parsed.frames < 1) {
        error = "--frames needs a frame count 1 or more, not \"" + std::string(v) + "\"";
        return false;
      }
    } else if (arg == "--clock") {
      if (!value(v)) return false;
      if (!ParseInt(v, parsed.clock, true)) {
        error =
            "--clock needs a millisecond value that fits an int, not \"" + std::string(v) + "\"";
        return false;
      }
    } else if (arg == "--input" || arg == "--trace") {
      if (!value(v)) return false;
      if (v.empty()) {
        error = std::string(arg) + " needs a file name";
        return false;
      }
      (arg == "--input" ? parsed.input : parsed.trace) = std::string(v);
    } else if (arg == "--screenshot") {
      if (!value(v)) return false;
      size_t colon = v.find(':');
      int frame;
      if (colon == std::string_view::npos || !ParseInt(v.substr(0, colon), frame) ||
          colon + 1 == v.size()) {
        error = "--screenshot needs FRAME:FILE.png, not \"" + std::string(v) + "\"";
        return false;
      }
      parsed.screenshots.push_back({frame, std::string(v.substr(colon + 1))});
    } else if (arg == "--driver") {
      if (!value(v)) return false;
      if (v != "gl" && v != "null") {
        error = "--driver is gl or null, not \"" + std::string(v) + "\"";
        return false;
      }
      parsed.null_driver = v == "null";
    } else {
      error = "unknown argument \"" + std::string(arg) +
              "\" (usage: stomp-headless [--frames N] [--clock MS] [--input FILE] [--trace FILE] "
              "[--screenshot FRAME:FILE.png]... [--driver gl|null])";
      return false;
    }
  }
  for (const auto& [frame, path] : parsed.screenshots) {
    if (parsed.null_driver) {
      error = "--screenshot needs the gl driver (--driver null draws nothing)";
      return false;
    }
    if (parsed.frames >= 0 && frame >= parsed.frames) {
      error = "--screenshot " + std::to_string(frame) + ":" + path +
              " is never drawn with --frames " + std::to_string(parsed.frames);
      return false;
    }
  }
  options = std::move(parsed);
  return true;
}

}  // namespace headless
