// Long-term part of the precipitation set-up: reads the orographic gauge
// elevations, scans the weather file once for its first and last dates and
// sets the run's start date and time fields from its first record.
#include <cstdio>

#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "hydromet/hmet_services.h"

namespace
{

void roll_hour_24(int d[4])
{
    if (d[3] != 24)
        return;
    int mi;
    double sec;
    calendar_from_julian(julian_date(d[0], d[1], d[2], 24, 0, 0.0), d[0], d[1], d[2], d[3], mi, sec);
}

} // namespace

void setup_hmet(model_state& s)
{
    s.hmet_repaired = 0;
    s.hmet_call_count = 1;
    for (auto& row : s.orog_hourly)
        for (double& v : row)
            v = 0.0;
    if (s.hmet_ascii_pet && !(s.hmet_ktr || s.hmet_samson || s.hmet_surfaways || s.hmet_ascii)) {
        // HMET_ASCII_PET names no weather reader: a run would have no weather.
        std::printf("Error: HMET_ASCII_PET gives no hourly weather; use HMET_KTR, HMET_SAMSON, "
                    "HMET_SURFAWAYS or HMET_ASCII\n");
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    if (s.hmet_orog_gages_given && !read_hmet_orog_header(s))
        return;
    read_hmet_record(s);
    if (run_stopped())
        return;
    roll_hour_24(s.hmet_first_date);
    roll_hour_24(s.hmet_last_date);
    const int* d = s.hmet_first_date;
    s.start_hhmm = d[3] * 100;
    s.start_yyyymmdd = d[0] * 10000 + d[1] * 100 + d[2];
    s.hmet_call_count += 1;
}
