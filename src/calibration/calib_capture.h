// The run-result record a calibration passes to each run (the result sink).
#pragma once

#include <vector>

struct calib_capture_rec {
    int num_events = 0;
    int num_locations = 0; // locations + 1
    std::vector<double> results;
    std::vector<double> volumes;
    std::vector<double> event_peak;
    std::vector<double> event_volume;
};

// Releases the arrays a run allocated inside the record.
void calib_capture_release(calib_capture_rec& rec);
