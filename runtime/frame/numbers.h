// Number helpers: trigonometry in degrees, integer remainder, and the ISAAC random generator.
//
// Dependencies: the standard library only.
#pragma once

#include <cstdint>   // Required for: uint32_t

#include "runtime/frame/strvalue.h"   // Required for: Number

constexpr Number kDegreesPerRadian = 57.2957795;

Number SinDeg(Number x);
Number CosDeg(Number x);
Number TanDeg(Number x);
Number ATan2Deg(Number y, Number x);
// 0 for x >= 1 and 180 for x <= -1.
Number ACosDeg(Number x);
Number SquareRoot(Number x);
Number AbsValue(Number x);
// Remainder of the truncated operands with the sign of the dividend; b = 0 gives 0.
Number IntMod(Number a, Number b);
Number MinValue(Number a, Number b);
Number MaxValue(Number a, Number b);

// Seeds the generator (start-up passes the millisecond time).
void SeedRandom(uint32_t seed);
// An integer from 0 to trunc(n) inclusive; n of -1 gives 0.
Number RandomUpTo(Number n);
// The next raw 32-bit word: one full ISAAC pass, first result.
uint32_t RandomWord();
