#include "support/json.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace json {

namespace {

[[noreturn]] void Mismatch(const char* wanted) {
  throw std::runtime_error(std::string("json: value is not ") + wanted);
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::optional<Value> Document(std::string* error) {
    std::optional<Value> value = ParseValue(0);
    SkipSpace();
    if (value && pos_ != text_.size()) Fail("trailing characters");
    if (!error_.empty()) {
      if (error) *error = error_ + " at offset " + std::to_string(pos_);
      return std::nullopt;
    }
    return value;
  }

 private:
  // Deep nesting is refused rather than risking the stack on a corrupted line.
  static constexpr int kMaxDepth = 256;

  std::optional<Value> Fail(const char* why) {
    if (error_.empty()) error_ = why;
    return std::nullopt;
  }

  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\n' || text_[pos_] == '\r'))
      ++pos_;
  }

  bool Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  std::optional<Value> ParseValue(int depth) {
    if (depth > kMaxDepth) return Fail("nested too deeply");
    SkipSpace();
    if (pos_ >= text_.size()) return Fail("unexpected end");
    char c = text_[pos_];
    if (c == '{') return ParseObject(depth);
    if (c == '[') return ParseArray(depth);
    if (c == '"') {
      std::optional<std::string> s = ParseString();
      if (!s) return std::nullopt;
      return Value(std::move(*s));
    }
    if (Literal("true")) return Value(true);
    if (Literal("false")) return Value(false);
    if (Literal("null")) return Value();
    if (c == '-' || (c >= '0' && c <= '9')) return ParseNumber();
    return Fail("unexpected character");
  }

  std::optional<Value> ParseNumber() {
    size_t start = pos_;
    if (text_[pos_] == '-') ++pos_;
    auto digits = [&] {
      size_t first = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
      return pos_ > first;
    };
    if (!digits()) return Fail("bad number");
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      if (!digits()) return Fail("bad number");
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      if (!digits()) return Fail("bad number");
    }
    std::string number(text_.substr(start, pos_ - start));
    return Value(std::strtod(number.c_str(), nullptr));
  }

  bool Hex4(unsigned& out) {
    if (pos_ + 4 > text_.size()) return false;
    out = 0;
    for (int i = 0; i < 4; ++i) {
      char h = text_[pos_++];
      out <<= 4;
      if (h >= '0' && h <= '9')
        out |= h - '0';
      else if (h >= 'a' && h <= 'f')
        out |= h - 'a' + 10;
      else if (h >= 'A' && h <= 'F')
        out |= h - 'A' + 10;
      else
        return false;
    }
    return true;
  }

  static void AppendUtf8(std::string& s, unsigned cp) {
    if (cp < 0x80) {
      s += char(cp);
    } else if (cp < 0x800) {
      s += char(0xC0 | (cp >> 6));
      s += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      s += char(0xE0 | (cp >> 12));
      s += char(0x80 | ((cp >> 6) & 0x3F));
      s += char(0x80 | (cp & 0x3F));
    } else {
      s += char(0xF0 | (cp >> 18));
      s += char(0x80 | ((cp >> 12) & 0x3F));
      s += char(0x80 | ((cp >> 6) & 0x3F));
      s += char(0x80 | (cp & 0x3F));
    }
  }

  std::optional<std::string> ParseString() {
    ++pos_;  // opening quote
    std::string s;
    while (pos_ < text_.size()) {
      char c = text_[pos_++];
      if (c == '"') return s;
      if (static_cast<unsigned char>(c) < 0x20) {
        Fail("control character in string");
        return std::nullopt;
      }
      if (c != '\\') {
        s += c;
        continue;
      }
      if (pos_ >= text_.size()) break;
      char e = text_[pos_++];
      switch (e) {
        case '"': s += '"'; break;
        case '\\': s += '\\'; break;
        case '/': s += '/'; break;
        case 'b': s += '\b'; break;
        case 'f': s += '\f'; break;
        case 'n': s += '\n'; break;
        case 'r': s += '\r'; break;
        case 't': s += '\t'; break;
        case 'u': {
          unsigned cp;
          if (!Hex4(cp)) {
            Fail("bad \\u escape");
            return std::nullopt;
          }
          if (cp >= 0xD800 && cp < 0xDC00) {  // high surrogate: a low one must follow
            unsigned low;
            if (!Literal("\\u") || !Hex4(low) || low < 0xDC00 || low >= 0xE000) {
              Fail("bad surrogate pair");
              return std::nullopt;
            }
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(s, cp);
          break;
        }
        default: Fail("bad escape"); return std::nullopt;
      }
    }
    Fail("unterminated string");
    return std::nullopt;
  }

  std::optional<Value> ParseArray(int depth) {
    ++pos_;
    Array items;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == ']') {
      ++pos_;
      return Value(std::move(items));
    }
    for (;;) {
      std::optional<Value> item = ParseValue(depth + 1);
      if (!item) return std::nullopt;
      items.push_back(std::move(*item));
      SkipSpace();
      if (pos_ >= text_.size()) return Fail("unterminated array");
      char c = text_[pos_++];
      if (c == ']') return Value(std::move(items));
      if (c != ',') return Fail("expected , or ]");
    }
  }

  std::optional<Value> ParseObject(int depth) {
    ++pos_;
    Object fields;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == '}') {
      ++pos_;
      return Value(std::move(fields));
    }
    for (;;) {
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_] != '"') return Fail("expected a key");
      std::optional<std::string> key = ParseString();
      if (!key) return std::nullopt;
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_] != ':') return Fail("expected :");
      ++pos_;
      std::optional<Value> value = ParseValue(depth + 1);
      if (!value) return std::nullopt;
      if (!fields.emplace(std::move(*key), std::move(*value)).second) return Fail("duplicate key");
      SkipSpace();
      if (pos_ >= text_.size()) return Fail("unterminated object");
      char c = text_[pos_++];
      // Built in place: moving a Value temporary here trips GCC 12's false -Wmaybe-uninitialized
      // on std::variant.
      if (c == '}') return std::make_optional<Value>(std::move(fields));
      if (c != ',') return Fail("expected , or }");
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
  std::string error_;
};

}  // namespace

bool Value::Bool() const {
  if (!IsBool()) Mismatch("a boolean");
  return std::get<bool>(data_);
}

double Value::Number() const {
  if (!IsNumber()) Mismatch("a number");
  return std::get<double>(data_);
}

int Value::Int() const {
  double d = Number();
  if (d != std::trunc(d) || d < std::numeric_limits<int>::min() ||
      d > std::numeric_limits<int>::max())
    Mismatch("a whole number in int range");
  return static_cast<int>(d);
}

const std::string& Value::String() const {
  if (!IsString()) Mismatch("a string");
  return std::get<std::string>(data_);
}

const Array& Value::Items() const {
  if (!IsArray()) Mismatch("an array");
  return std::get<Array>(data_);
}

const Object& Value::Fields() const {
  if (!IsObject()) Mismatch("an object");
  return std::get<Object>(data_);
}

bool Value::Has(std::string_view key) const {
  return IsObject() && std::get<Object>(data_).contains(key);
}

const Value& Value::operator[](std::string_view key) const {
  const Object& fields = Fields();
  auto it = fields.find(key);
  if (it == fields.end()) throw std::runtime_error("json: no field \"" + std::string(key) + "\"");
  return it->second;
}

const Value& Value::operator[](size_t index) const {
  const Array& items = Items();
  if (index >= items.size())
    throw std::runtime_error("json: index " + std::to_string(index) + " out of range");
  return items[index];
}

size_t Value::Size() const {
  if (IsArray()) return std::get<Array>(data_).size();
  return Fields().size();
}

std::optional<Value> Parse(std::string_view text, std::string* error) {
  return Parser(text).Document(error);
}

}  // namespace json
