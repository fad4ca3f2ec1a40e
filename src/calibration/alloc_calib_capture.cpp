#include <memory>

#include "calibration/calib_capture.h"
#include "calibration/calibration_steps.h"
#include "calibration/obs_objective.h"
#include "core/model_state.h"

// Sizes the run's result sink; a run with the OPTIMIZE card but no sink
// keeps one of its own. Entries that no event end writes hold the no-value
// marker, so a run that stops early is never scored on stale memory.
void alloc_calib_capture(model_state& s)
{
    if (!s.optimize)
        return;
    if (!s.calib_capture) {
        s.own_calib_sink = std::make_shared<calib_sink>();
        s.calib_capture = s.own_calib_sink.get();
    }
    calib_sink& sink = *s.calib_capture;
    sink.stride = (s.optimize_sed ? s.num_sed_hyd_locations : s.num_hyd_locations) + 1;
    // A run without a precipitation file still closes its one event.
    sink.nevents = s.num_events > 1 ? s.num_events : 1;
    const auto loc = static_cast<std::size_t>(sink.stride) + 1;
    sink.loc_peak.assign(loc, 0.0);
    sink.loc_volume.assign(loc, 0.0);
    const auto entries = static_cast<std::size_t>(sink.nevents) * static_cast<std::size_t>(sink.stride) + 2;
    sink.peaks.assign(entries, calib_no_value);
    sink.volumes.assign(entries, calib_no_value);
}
