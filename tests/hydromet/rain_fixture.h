// A small all-active grid with its cells and clock tolerance, for the rain
// tests, and the path of the precipitation fixtures.
#pragma once

#include <memory>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"

namespace rain_test
{

// rows x cols cells of dx metres; the grid's west edge at 0, its north edge
// at rows * dx; cells numbered row by row from the north-west corner.
inline std::unique_ptr<model_state> grid(int rows, int cols, double dx)
{
    auto s = std::make_unique<model_state>();
    s->num_rows = rows;
    s->num_cols = cols;
    s->gridsize = dx;
    s->grid_west = 0.0;
    s->grid_north = rows * dx;
    s->mask.assign(rows + 1, cols + 1, 0);
    int k = 0;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c)
            s->mask[r][c] = ++k;
    s->num_cells = k;
    s->ov_depth.assign(k, 0.0);
    s->rain_rate.assign(k, 0.0);
    s->time_tol = process_time_tol;
    return s;
}

inline std::string fixture(const std::string& name)
{
    return std::string(TORVA_TEST_DATA) + "/precip/" + name;
}

// Opens a precipitation file as the run's event file.
inline void use_precip_file(model_state& s, const std::string& path)
{
    s.precip_file_on = 1;
    s.precip_file_name = path;
    file_rec_open(s.precip_event_file, path, "r");
}

} // namespace rain_test
