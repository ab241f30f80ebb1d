// The random generator, degree trigonometry and the integer and text conversions of the engine.
#pragma once

#include <string>

// Random generator: a multiplicative congruential generator (48271 mod 2^31 - 1), state 4660
// until seeded. Exactly reproducible from a seed.
void SeedRnd(int seed);
int RndState();                  // the current state, for tests and traces
double RndUnit();                // [0, 1), consumes two steps
double Rnd(double a, double b);  // [smaller, larger)
int Rand(int a, int b);          // [smaller, larger], both included

double DegSin(double degrees);
double DegCos(double degrees);

int TruncInt(double value);  // toward zero; saturates outside the int range, NaN gives 0
std::string IntToText(int value);
int TextToInt(
    const std::string& text);  // leading blanks, sign, "%" binary, "$" hex; wraps mod 2^32

int Abs(int value);  // the smallest int stays itself
int Sgn(int value);
int Min(int a, int b);
int Max(int a, int b);
