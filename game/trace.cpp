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
  void Key(const char* key) {
    Separate();
    _out += '"';
    _out += key;
    _out += "\":";
    _after_key = true;
  }

  std::string _out;
  bool _first = true;
  bool _after_key = false;
};

void WriteFigure(JsonWriter& json) {
  if (!fig) {
    json.Null("fig");
    return;
  }
  json.Begin("fig", '{');
  json.Int("x", fig->x);
  json.Int("y", fig->y);
  json.Int("dx", fig->dx);
  json.Int("dy", fig->dy);
  json.Int("cll", fig->cll);
  json.Int("dir", fig->dir);
  json.Int("fr", fig->fr);
  json.Int("tm", fig->tm);
  json.Int("act", fig->act);
  json.Int("_h", fig->_h);
  json.Int("og", fig->og);
  json.Close('}');
}

void WriteCreatures(JsonWriter& json) {
  json.Begin("creatures", '[');
  creatures.ForEach([&json](const TCr& c) {
    json.Open('{');
    json.Int("cl", c.cl);
    json.Int("act", c.act);
    json.Int("_h", c._h);
    json.Int("hl", c.hl);
    json.Int("x", c.x);
    json.Int("y", c.y);
    json.Int("tm", c.tm);
    json.Int("dir", c.dir);
    json.Int("rot", c.rot);
    json.Int("fr", c.fr);
    json.Close('}');
  });
  json.Close(']');
}

void WriteDrops(JsonWriter& json) {
  json.Begin("drops", '[');
  drops.ForEach([&json](const TDrp& d) {
    json.Open('{');
    json.Int("cl", d.cl);
    json.Int("tm", d.tm);
    json.Int("x", d.x);
    json.Int("y", d.y);
    json.Int("dx", d.dx);
    json.Int("dy", d.dy);
    json.Int("fr", d.fr);
    json.Close('}');
  });
  json.Close(']');
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
  WriteCreatures(json);
  WriteDrops(json);
  WriteEffects(json);
  json.Close('}');
  return json.Take();
}
