#include "engine/numbers.h"

#include <climits>
#include <cmath>
#include <cstdint>

namespace {

constexpr int kRndModulus = 2147483647;  // 2^31 - 1
constexpr int kRndDefault = 4660;

int rnd_state = kRndDefault;

// One step of s = 48271 s mod (2^31 - 1), split (Schrage) so that no product leaves 32 bits.
int RndStep() {
  rnd_state = 48271 * (rnd_state % 44488) - 3399 * (rnd_state / 44488);
  if (rnd_state < 0) rnd_state += kRndModulus;
  return rnd_state;
}

// The value of `c` as a digit of `base`, or -1 when it is none.
int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < base ? value : -1;
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

void SeedRnd(int seed) {
  rnd_state = seed & 0x7FFFFFFF;
  if (rnd_state == 0 || rnd_state == kRndModulus) rnd_state = kRndDefault;
}

int RndState() { return rnd_state; }

double RndUnit() {
  const int a = RndStep() & 0x1FFFFFFC;
  const int b = RndStep() & 0x1FFFFFF8;
  return (a + b / 134217728.0) / 536870912.0;
}

double Rnd(double a, double b) {
  if (b > a) return a + RndUnit() * (b - a);
  return b + RndUnit() * (a - b);
}

// The span is taken in 64 bits so that bounds far apart (Rand(INT_MIN, INT_MAX)) cannot overflow;
// for every span that fits an int the result is the same as in int arithmetic.
int Rand(int a, int b) {
  const std::int64_t d = std::int64_t{b} - a;
  if (d > 0)
    return static_cast<int>(a + static_cast<std::int64_t>(RndUnit() * static_cast<double>(d + 1)));
  return static_cast<int>(b + static_cast<std::int64_t>(RndUnit() * static_cast<double>(1 - d)));
}

double DegSin(double degrees) { return std::sin(degrees * 0.017453292519943295); }
double DegCos(double degrees) { return std::cos(degrees * 0.017453292519943295); }

// Values beyond the int range saturate and NaN gives 0, instead of the undefined conversion.
int TruncInt(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(value);
}

std::string IntToText(int value) { return std::to_string(value); }

int TextToInt(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '%') {
    base = 2;
    ++i;
  } else if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  }
  // Unsigned, so that overflow wraps modulo 2^32 by definition.
  std::uint32_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) break;
    value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

int Abs(int value) {
  // Through unsigned so that the smallest int maps to itself without overflow.
  return value < 0 ? static_cast<int>(0u - static_cast<unsigned>(value)) : value;
}

int Sgn(int value) { return (value > 0) - (value < 0); }
int Min(int a, int b) { return a < b ? a : b; }
int Max(int a, int b) { return a > b ? a : b; }
