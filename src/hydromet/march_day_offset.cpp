// Day count from 21 March, which drives the seasonal melt factor.
#include <cstdio>

#include "core/error_state.h"
#include "hydromet/snow_services.h"

namespace
{

// Days from 21 March to day 0 of each month; March splits at the 21st.
constexpr int month_offset[13] = {0, 285, 316, 344, 10, 40, 71, 101, 132, 163, 193, 224, 254};
constexpr int march_after_equinox = -21;

} // namespace

int march_day_offset(int month, int day)
{
    if (month < 1 || month > 12) {
        // A batch or calibration run has no console to ask: stop the run.
        std::printf("WE HAVE A PROBLEM WITH THE DATES!!!\n");
        std::printf(
            "Error: month %d of the hydrometeorological record is not 1 to 12 (snow melt day count)\n",
            month);
        error_set(err_stop);
        report_error(error_state);
        return 0;
    }
    if (month == 3 && day >= 21)
        return march_after_equinox;
    return month_offset[month];
}
