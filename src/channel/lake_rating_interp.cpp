#include <cstdio>

#include "channel/channel_input.h"

double lake_rating_interp(int lake, double x, int n, const double* xt, const double* yt, int* warned)
{
    for (int i = 1; i < n; ++i) {
        if (xt[i] <= x && x <= xt[i + 1]) {
            const double dx = xt[i + 1] - xt[i];
            const double t = dx != 0.0 ? (x - xt[i]) / dx : 0.0;
            return (1.0 - t) * yt[i] + t * yt[i + 1];
        }
    }
    if (n < 1)
        return 0.0;
    if (n == 1 && x == xt[1])
        return yt[1];
    // Outside the table: the nearest end, with the line printed once.
    if (!warned || !*warned)
        std::printf(
            "Error: the rating curve of lake %d is broken: %g lies outside its table; the nearest end of "
            "the table is used.\n",
            lake, x);
    if (warned)
        *warned = 1;
    const bool low_end = (xt[1] <= xt[n]) == (x < xt[1]);
    return low_end ? yt[1] : yt[n];
}
