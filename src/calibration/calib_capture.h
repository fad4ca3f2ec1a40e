// The result sink a calibration passes to each run: per event the peak and
// volume at the outlet and at every observed location.
#pragma once

#include <vector>

// Layout of peaks and volumes: index 0 is free; the entries of event e
// (from 1) start at (e - 1) x stride + 1 with the outlet, location m follows
// at (e - 1) x stride + 1 + m.
struct calib_sink {
    int nevents = 0;
    int stride = 0;               // locations + 1
    std::vector<double> peaks;    // nevents x stride + 2
    std::vector<double> volumes;  // same layout
    std::vector<double> loc_peak; // current event, location m in slot m
    std::vector<double> loc_volume;
};

// Releases the per-location arrays a run sized inside the sink; the peaks
// and volumes stay for the caller that reads them after the run.
void calib_capture_release(calib_sink& sink);
