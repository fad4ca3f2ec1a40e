// The run-result record a calibration passes to each run (the result sink).
#pragma once

#include <vector>

struct calib_capture_rec {
    int num_events = 0;
    int num_locations = 0; // locations + 1
    std::vector<double> results; // per location and event, read by the calibration after the run
    std::vector<double> volumes;
    std::vector<double> event_peak;   // per location, for the current event
    std::vector<double> event_volume;
};

// Releases the per-location arrays a run allocated inside the record; the
// results stay for the calibration that reads them after the run.
void calib_capture_release(calib_capture_rec& rec);
