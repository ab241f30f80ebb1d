// An independent model of the game's random generator, so tests can predict draws without calling
// the code under test: s = s * 48271 mod (2^31 - 1), two steps per unit value.
#pragma once

#include <cstdint>

class ReferenceRng {
 public:
  explicit ReferenceRng(int seed) {
    s_ = static_cast<std::int64_t>(seed) & 0x7FFFFFFF;
    if (s_ == 0 || s_ == 2147483647) s_ = 4660;
  }
  double Unit() {
    const std::int64_t a = Step() & 0x1FFFFFFC;
    const std::int64_t b = Step() & 0x1FFFFFF8;
    return (a + b / 134217728.0) / 536870912.0;
  }
  double Rnd(double a, double b) { return b > a ? a + Unit() * (b - a) : b + Unit() * (a - b); }
  int Rand(int a, int b) {
    const int d = b - a;
    return d > 0 ? a + static_cast<int>(Unit() * (d + 1)) : b + static_cast<int>(Unit() * (1 - d));
  }
  int State() const { return static_cast<int>(s_); }
  // The draws an arrival effect makes: four per particle, ten particles.
  void SkipArrivalEffect() {
    for (int i = 0; i < 40; ++i) Unit();
  }

 private:
  std::int64_t Step() { return s_ = s_ * 48271 % 2147483647; }
  std::int64_t s_;
};
