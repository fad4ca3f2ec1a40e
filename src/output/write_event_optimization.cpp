// The event's line of the optimisation file and the calibration capture:
// the peak and volume of the event at the outlet and at every observed
// location, stored at the event's place in the capture record.
#include <cstdio>
#include <vector>

#include "calibration/calib_capture.h"
#include "core/model_state.h"
#include "output/state_access.h"
#include "output/summary_writers.h"

namespace
{

constexpr double cubic_feet = 35.32; // per cubic metre

void store(std::vector<double>& v, int slot, double value)
{
    if (slot >= 0 && static_cast<std::size_t>(slot) < v.size())
        v[static_cast<std::size_t>(slot)] = value;
}

double stored(const std::vector<double>& v, int slot)
{
    return slot >= 0 && static_cast<std::size_t>(slot) < v.size() ? v[static_cast<std::size_t>(slot)] : 0.0;
}

// Copies the location values of the event into the capture record.
void copy_locations(model_state& s, int locations)
{
    calib_sink* sink = s.calib_capture;
    if (!sink)
        return;
    for (int m = 1; m <= locations; ++m) {
        store(sink->loc_peak, m, value_at(s.opt_peak_q, m));
        store(sink->loc_volume, m, value_at(s.opt_volume, m));
    }
}

// The outlet pair and the location pairs of event `event_num`, each value
// times `factor`; an event beyond the record's room is not stored.
void capture_event(model_state& s, double peak, double volume, int locations, double factor)
{
    calib_sink* sink = s.calib_capture;
    if (!sink || s.event_num == 0)
        return;
    const int first = sink->stride * (s.event_num - 1) + 1;
    store(sink->peaks, first, peak * factor);
    store(sink->volumes, first, volume * factor);
    copy_locations(s, locations);
    for (int m = 1; m <= locations; ++m) {
        store(sink->peaks, first + m, stored(sink->loc_peak, m) * factor);
        store(sink->volumes, first + m, stored(sink->loc_volume, m) * factor);
    }
}

} // namespace

void write_event_optimization(model_state& s)
{
    if (!s.optimize)
        return;
    std::FILE* fp = s.optimize_file.fp;
    if (!s.optimize_sed) {
        const int locations = s.in_hyd_location_given ? s.num_hyd_locations : 0;
        const double factor = s.qout_cfs ? cubic_feet : 1.0;
        if (fp) {
            if (s.qout_cfs)
                std::fprintf(fp, "%d %8.2lf %13.1lf", s.event_num, s.event_peak_q * factor,
                             s.event_outflow_vol * factor);
            else
                std::fprintf(fp, "%d %9.3lf %13.1lf", s.event_num, s.event_peak_q, s.event_outflow_vol);
        }
        copy_locations(s, locations);
        for (int m = 1; m <= locations && fp; ++m) {
            const double peak = value_at(s.opt_peak_q, m) * factor;
            const double volume = value_at(s.opt_volume, m) * factor;
            if (s.qout_cfs)
                std::fprintf(fp, "%8.2lf %13.1lf", peak, volume);
            else
                std::fprintf(fp, "%9.3lf %13.1lf", peak, volume);
        }
        if (fp) {
            std::fprintf(fp, "\n");
            std::fflush(fp);
        }
        capture_event(s, s.event_peak_q, s.event_outflow_vol, locations, factor);
        return;
    }

    // Sediment: the wash load at the outlet and the sediment locations.
    const int locations = s.sed_hyd_locations_on ? s.num_sed_hyd_locations : 0;
    if (fp)
        std::fprintf(fp, "%d %9.6lf %13.3lf", s.event_num, s.chan_washload_peak_event,
                     s.chan_washload_out_event);
    copy_locations(s, locations);
    for (int m = 1; m <= locations && fp; ++m)
        std::fprintf(fp, "%9.6lf %13.3lf", value_at(s.opt_peak_q, m), value_at(s.opt_volume, m));
    if (fp) {
        std::fprintf(fp, "\n");
        std::fflush(fp);
    }
    capture_event(s, s.chan_washload_peak_event, s.chan_washload_out_event, locations, 1.0);
}
