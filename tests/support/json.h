// A small JSON reader for tests: the trace lines of stomp-headless and anything else a test wants
// to read back. Objects, arrays, numbers, strings (with \u escapes as UTF-8), true, false, null.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace json {

class Value;
using Array = std::vector<Value>;
using Object = std::map<std::string, Value, std::less<>>;

class Value {
 public:
  Value() = default;  // null
  explicit Value(bool b) : data_(b) {}
  explicit Value(double d) : data_(d) {}
  explicit Value(std::string s) : data_(std::move(s)) {}
  explicit Value(Array a) : data_(std::move(a)) {}
  explicit Value(Object o) : data_(std::move(o)) {}

  bool IsNull() const { return std::holds_alternative<std::monostate>(data_); }
  bool IsBool() const { return std::holds_alternative<bool>(data_); }
  bool IsNumber() const { return std::holds_alternative<double>(data_); }
  bool IsString() const { return std::holds_alternative<std::string>(data_); }
  bool IsArray() const { return std::holds_alternative<Array>(data_); }
  bool IsObject() const { return std::holds_alternative<Object>(data_); }

  // The accessors throw std::runtime_error naming what was expected, so a test that reads a
  // field of the wrong type fails with a message instead of crashing.
  bool Bool() const;
  double Number() const;
  int Int() const;  // the number, which must be a whole number that fits an int
  const std::string& String() const;
  const Array& Items() const;
  const Object& Fields() const;

  bool Has(std::string_view key) const;                 // false for anything but an object
  const Value& operator[](std::string_view key) const;  // throws when the key is missing
  const Value& operator[](size_t index) const;          // throws when out of range
  size_t Size() const;                                  // of an array or object

 private:
  std::variant<std::monostate, bool, double, std::string, Array, Object> data_;
};

// Parses one complete JSON text (surrounding white space allowed). On failure returns nothing and
// sets `error` (when given) to the reason and byte offset.
std::optional<Value> Parse(std::string_view text, std::string* error = nullptr);

}  // namespace json
