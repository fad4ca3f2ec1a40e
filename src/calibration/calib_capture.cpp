#include "calibration/calib_capture.h"

void calib_capture_release(calib_capture_rec& rec)
{
    std::vector<double>().swap(rec.event_peak);
    std::vector<double>().swap(rec.event_volume);
}
