#include "game/trace.h"

#include <cstdio>
#include <string>

#include "game/creature.h"
#include "game/drop.h"
#include "game/effects.h"
#include "game/figure.h"
#include "game/globals.h"

namespace {

// Builds one JSON object field by field; the writer places the commas, not its callers.
class JsonWriter {
 public:
  void Begin(const char* key, char bracket) {
    Key(key);
    Open(bracket);
  }
  void Open(char bracket) {
    Separate();
    _out += bracket;
    _first = true;
  }
  void Close(char bracket) {
    _out += bracket;
    _first = false;
  }
  void Int(const char* key, int value) {
    Key(key);
    IntItem(value);
  }
  void IntItem(int value) {
    Separate();
    _out += std::to_string(value);
  }
  void Float(const char* key, float value) {
    Key(key);
    Separate();
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);  // enough digits to read back the same float
    _out += text;
  }
  void String(const char* key, const char* value) {
    Key(key);
    Separate();
    _out += '"';
    _out += value;  // class names only: nothing to escape
    _out += '"';
  }
  void Null(const char* key) {
    Key(key);
    Separate();
    _out += "null";
  }
  void Key(const char* key) {
    Separate();
    _out += '"';
    _out += key;
    _out += "\":";
    _after_key = true;
  }
  std::string Take() { return std::move(_out); }

 private:
  // A comma before every member or element but the first; none between a key and its value.
  void Separate() {
    if (_after_key) {
      _after_key = false;
      return;
    }
    if (!_first) _out += ',';
    _first = false;
  }

  std::string _out;
  bool _first = true;
  bool _after_key = false;
};

// The int fields each actor's trace object holds, in order, by name.
template <class T>
struct IntField {
  const char* key;
  int T::*member;
};

constexpr IntField<TFig> kFigureFields[] = {
    {"x", &TFig::x},     {"y", &TFig::y},     {"dx", &TFig::dx}, {"dy", &TFig::dy},
    {"cll", &TFig::cll}, {"dir", &TFig::dir}, {"fr", &TFig::fr}, {"tm", &TFig::tm},
    {"act", &TFig::act}, {"_h", &TFig::_h},   {"og", &TFig::og},
};
constexpr IntField<TCr> kCreatureFields[] = {
    {"cl", &TCr::cl}, {"act", &TCr::act}, {"_h", &TCr::_h},   {"hl", &TCr::hl},   {"x", &TCr::x},
    {"y", &TCr::y},   {"tm", &TCr::tm},   {"dir", &TCr::dir}, {"rot", &TCr::rot}, {"fr", &TCr::fr},
};
constexpr IntField<TDrp> kDropFields[] = {
    {"cl", &TDrp::cl}, {"tm", &TDrp::tm}, {"x", &TDrp::x},   {"y", &TDrp::y},
    {"dx", &TDrp::dx}, {"dy", &TDrp::dy}, {"fr", &TDrp::fr},
};

template <class T, size_t N>
void WriteObject(JsonWriter& json, const T& object, const IntField<T> (&fields)[N]) {
  json.Open('{');
  for (const IntField<T>& field : fields) json.Int(field.key, object.*field.member);
  json.Close('}');
}

template <class T, size_t N>
void WriteList(JsonWriter& json, const char* key, const TList<T>& list,
               const IntField<T> (&fields)[N]) {
  json.Begin(key, '[');
  list.ForEach([&](const T& object) { WriteObject(json, object, fields); });
  json.Close(']');
}

void WriteFigure(JsonWriter& json) {
  if (!fig) {
    json.Null("fig");
    return;
  }
  json.Key("fig");
  WriteObject(json, *fig, kFigureFields);
}

void WriteEffects(JsonWriter& json) {
  json.Begin("effects", '[');
  effects.ForEach([&json](const TGx& e) {
    json.Open('{');
    json.String("cls", e.Cls());
    json.Int("tm", e.tm);
    json.Float("x", e.x);
    json.Float("y", e.y);
    json.Int("col", e.col);
    json.Close('}');
  });
  json.Close(']');
}

}  // namespace

// Called by stomp-headless after each presented frame when --trace is given.
std::string TraceLine(int frame) {
  JsonWriter json;
  json.Open('{');
  json.Int("frame", frame);
  json.Int("now", now);
  json.Int("gamestate", gamestate);
  json.Int("menusel", menusel);
  json.Int("pausesel", pausesel);
  json.Int("health", health);
  json.Int("money", money);
  json.Begin("stock", '[');
  for (int count : stock) json.IntItem(count);
  json.Close(']');
  json.Int("item", item);
  json.Int("score", score);
  json.Int("highscore", highscore);
  json.Int("playtime", playtime);
  json.Int("nextwave", nextwave);
  json.Int("flashend", flashend);
  json.Int("anim16", anim16);
  json.Int("anim8", anim8);
  WriteFigure(json);
  WriteList(json, "creatures", creatures, kCreatureFields);
  WriteList(json, "drops", drops, kDropFields);
  WriteEffects(json);
  json.Close('}');
  return json.Take();
}
