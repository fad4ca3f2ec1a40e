// The rain of a precipitation file between two rain steps. The period step
// changes the cells' rates at each period boundary, while the rain step
// applies rain only at overland times; banking the rate of the period that
// ends up to its boundary lets the rain step integrate the periods exactly,
// including the last one of an event.
#include <algorithm>
#include <cmath>

#include "core/model_state.h"
#include "hydromet/rain_services.h"

double seconds_between(double a, double b)
{
    const double t = (b - a) * 86400.0;
    const double whole_ms = std::round(t * 1000.0) / 1000.0;
    return std::fabs(whole_ms - t) < 1e-4 ? whole_ms : t;
}

void bank_rain_until(model_state& s, double t)
{
    const double span = seconds_between(s.rain_mark, t);
    s.rain_mark = t;
    if (span <= 0.0) return;
    const int n = std::min({s.num_cells, s.rain_rate.size(), s.rain_pending.size()});
    bool any = false;
    for (int i = 1; i <= n; ++i) {
        if (s.rain_rate[i] == 0.0) continue;
        s.rain_pending[i] += s.rain_rate[i] * span;
        any = true;
    }
    if (any) s.rain_pending_on = 1;
}
