// The minimal standard generator of Park and Miller (multiplier 16807,
// modulus 2^31 - 1, Schrage's decomposition) behind a Bays-Durham shuffle
// table of 32 entries.
#include "calibration/numerical_routines.h"

namespace
{

constexpr std::int32_t ia = 16807;
constexpr std::int32_t im = 2147483647;
constexpr std::int32_t iq = 127773;
constexpr std::int32_t ir = 2836;
constexpr int ntab = 32;
constexpr std::int32_t ndiv = 1 + (im - 1) / ntab;
constexpr double largest = 1.0 - 1.2e-7;

void step(std::int32_t& state)
{
    const std::int32_t k = state / iq;
    state = ia * (state - k * iq) - ir * k;
    if (state < 0)
        state += im;
}

uniform_table toolbox_table;

} // namespace

double uniform_deviate(int& state, uniform_table& table)
{
    std::int32_t s = state;
    if (s <= 0 || table.iy == 0) {
        // -state, kept within 1 .. modulus - 1 (0 would repeat for ever)
        std::int64_t start = -static_cast<std::int64_t>(s);
        if (start >= im)
            start %= im;
        s = start < 1 ? 1 : static_cast<std::int32_t>(start);
        for (int j = ntab + 7; j >= 0; --j) {
            step(s);
            if (j < ntab)
                table.iv[j] = s;
        }
        table.iy = table.iv[0];
    }
    step(s);
    const int j = table.iy / ndiv;
    table.iy = table.iv[j];
    table.iv[j] = s;
    state = s;
    const double out = table.iy / static_cast<double>(im);
    return out > largest ? largest : out;
}

double uniform_deviate(int& state)
{
    return uniform_deviate(state, toolbox_table);
}
