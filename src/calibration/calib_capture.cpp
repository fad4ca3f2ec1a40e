#include "calibration/calib_capture.h"

void calib_capture_release(calib_sink& sink)
{
    std::vector<double>().swap(sink.loc_peak);
    std::vector<double>().swap(sink.loc_volume);
}
