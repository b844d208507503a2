// Number helpers and the ISAAC random generator (Bob Jenkins' 32-bit ISAAC).
#include "runtime/frame/numbers.h"

#include <cmath>

Number SinDeg(Number x) { return std::sin(x / kDegreesPerRadian); }
Number CosDeg(Number x) { return std::cos(x / kDegreesPerRadian); }
Number TanDeg(Number x) { return std::tan(x / kDegreesPerRadian); }
Number ATan2Deg(Number y, Number x) { return std::atan2(y, x) * kDegreesPerRadian; }
Number ACosDeg(Number x) {
    if (x >= 1) return 0;
    if (x <= -1) return 180;
    return std::acos(x) * kDegreesPerRadian;
}
Number SquareRoot(Number x) { return std::sqrt(x); }
Number AbsValue(Number x) { return (x > 0 || x == 0 || std::isnan(x)) ? x : -x; }
Number IntMod(Number a, Number b) {
    const int32_t ib = ToInt(b);
    if (ib == 0) return 0;
    const int32_t ia = ToInt(a);
    // INT_MIN % -1 overflows in C++; its remainder is 0.
    if (ib == -1) return 0;
    return ia % ib;
}
Number MinValue(Number a, Number b) { return a < b ? a : b; }
Number MaxValue(Number a, Number b) { return a > b ? a : b; }

namespace {

struct Isaac {
    uint32_t mem[256];
    uint32_t rsl[256];
    uint32_t a = 0, b = 0, c = 0;

    void Generate() {
        uint32_t x, y;
        ++c;
        b += c;
        for (int i = 0; i < 256; ++i) {
            x = mem[i];
            switch (i & 3) {
                case 0: a ^= a << 13; break;
                case 1: a ^= a >> 6; break;
                case 2: a ^= a << 2; break;
                case 3: a ^= a >> 16; break;
            }
            a = mem[(i + 128) & 255] + a;
            mem[i] = y = mem[(x >> 2) & 255] + a + b;
            rsl[i] = b = mem[(y >> 10) & 255] + x;
        }
    }

    static void Mix(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d, uint32_t& e, uint32_t& f,
                    uint32_t& g, uint32_t& h) {
        a ^= b << 11; d += a; b += c;
        b ^= c >> 2;  e += b; c += d;
        c ^= d << 8;  f += c; d += e;
        d ^= e >> 16; g += d; e += f;
        e ^= f << 10; h += e; f += g;
        f ^= g >> 4;  a += f; g += h;
        g ^= h << 8;  b += g; h += a;
        h ^= a >> 9;  c += h; a += b;
    }

    // The seed fills the result words that the initial pass mixes into the state.
    void Seed(uint32_t seed) {
        for (int i = 0; i < 256; ++i) rsl[i] = 0;
        rsl[0] = seed;
        a = b = c = 0;
        uint32_t v[8];
        for (auto& w : v) w = 0x9e3779b9u;
        for (int i = 0; i < 4; ++i) Mix(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
        for (int pass = 0; pass < 2; ++pass) {
            const uint32_t* src = pass == 0 ? rsl : mem;
            for (int i = 0; i < 256; i += 8) {
                for (int k = 0; k < 8; ++k) v[k] += src[i + k];
                Mix(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
                for (int k = 0; k < 8; ++k) mem[i + k] = v[k];
            }
        }
        Generate();
    }
};

Isaac& Generator() {
    static Isaac isaac = [] {
        Isaac g;
        g.Seed(0);
        return g;
    }();
    return isaac;
}

}  // namespace

void SeedRandom(uint32_t seed) { Generator().Seed(seed); }

uint32_t RandomWord() {
    Isaac& g = Generator();
    g.Generate();
    return g.rsl[0];
}

Number RandomUpTo(Number n) {
    const uint32_t range = static_cast<uint32_t>(ToInt(n)) + 1u;
    const uint32_t word = RandomWord();
    // trunc(n) = -1 would divide by zero.
    if (range == 0) return 0;
    // Negative n wraps to a huge unsigned range, as the unsigned remainder implies.
    return static_cast<Number>(word % range);
}
