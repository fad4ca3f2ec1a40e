// Files exchanged with the co-run model: full grids in the model's ASCII
// layout and a one-line control file of day numbers.
#include "coupling/host_exchange.h"

#include <cstdio>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "output/grid_writers.h"

namespace
{

// Code 4000: the message is already printed.
void raise_stop()
{
    error_set(err_stop);
    error_state.raised = 1;
}

constexpr double cmh_per_ms = 360000.0; // m/s to cm/h

bool stop_with(const char* format, const std::string& name)
{
    std::printf(format, name.c_str());
    std::fflush(stdout);
    raise_stop();
    return false;
}

// A per-cell map that the run never filled (its process is off) cannot be
// exchanged: refused by name rather than read out of range.
bool holds_every_cell(const model_state& s, const dvec& values, const char* what, const std::string& name)
{
    if (values.size() >= s.num_cells)
        return true;
    std::printf("The run holds no %s map for exchange file %s\n", what, name.c_str());
    std::fflush(stdout);
    raise_stop();
    return false;
}

// One grid over the active cells; a failed open or write is reported the same way.
bool write_exchange_grid(model_state& s, const std::string& name, const char* message, const dvec& values)
{
    file_rec f;
    if (!file_rec_open(f, name, "w"))
        return stop_with(message, name);
    write_grass_ascii_grid(f.fp, s.mask, s.grid_north, s.grid_south, s.grid_east, s.grid_west, s.grid_rows,
                           s.grid_cols, values.data());
    const bool ok = file_rec_flush(f);
    file_rec_close(f);
    return ok || stop_with(message, name);
}

} // namespace

int zebo_day_number(double jd, int year)
{
    return static_cast<int>(jd - julian_date(year - 1, 12, 31, 1, 0, 0.0));
}

bool write_exchange_files(model_state& s)
{
    if (s.moist_to_zebo &&
        (!holds_every_cell(s, s.inf_depth, "soil moisture", s.moist_to_zebo_name) ||
         !write_exchange_grid(s, s.moist_to_zebo_name,
                              "Can't open soil moisture exchange file %s for writing\n", s.inf_depth)))
        return false;
    if (s.rough_to_zebo &&
        (!holds_every_cell(s, s.dist_rough, "roughness", s.rough_to_zebo_name) ||
         !write_exchange_grid(s, s.rough_to_zebo_name, "Can't open roughness exchange file %s for writing\n",
                              s.dist_rough)))
        return false;
    if (s.ksat_to_zebo) {
        if (!holds_every_cell(s, s.dist_ksat, "Ksat", s.ksat_to_zebo_name))
            return false;
        s.exchange_buf.assign(s.num_cells, 0.0);
        for (int i = 1; i <= s.num_cells; ++i)
            s.exchange_buf[i] = s.dist_ksat[i] * cmh_per_ms;
        if (!write_exchange_grid(s, s.ksat_to_zebo_name, "Can't open Ksat exchange file %s for writing\n",
                                 s.exchange_buf))
            return false;
    }
    if (s.poros_to_zebo &&
        (!holds_every_cell(s, s.dist_porosity, "porosity", s.poros_to_zebo_name) ||
         !write_exchange_grid(s, s.poros_to_zebo_name, "Can't open porosity exchange file %s for writing\n",
                              s.dist_porosity)))
        return false;

    file_rec f;
    if (!file_rec_open(f, s.zebo_path, "w")) {
        std::printf("unable to open zebo exchange file for writing\n");
        raise_stop();
        return false;
    }
    if (s.event_num >= s.num_events) {
        std::fprintf(f.fp, "999 999\n");
    } else {
        int year = 0, month = 0, day = 0, hour = 0, minute = 0;
        double seconds = 0.0;
        calendar_from_julian(s.current_time, year, month, day, hour, minute, seconds);
        const double next = event_start_time(s, s.event_num + 1);
        const int end_day = zebo_day_number(s.current_time, year);
        const int next_day = next > 0.0 ? zebo_day_number(next, year) : -1;
        std::fprintf(f.fp, "%3d %3d\n", end_day, next_day);
    }
    const bool ok = file_rec_flush(f);
    file_rec_close(f);
    if (!ok) {
        std::printf("unable to open zebo exchange file for writing\n");
        raise_stop();
    }
    return ok;
}

bool read_exchange_grid(model_state& s, const std::string& name, const char* what, int pass, dvec& dest)
{
    if (!holds_every_cell(s, dest, what, name))
        return false;
    file_rec f;
    if (!file_rec_open(f, name, "r")) {
        std::printf("%d Can't open %s exchange file %s for reading\n", pass, what, name.c_str());
        std::fflush(stdout);
        raise_stop();
        return false;
    }
    read_cell_reals(s, f, name, dest);
    file_rec_close(f);
    return !run_stopped();
}

void bound_exchange_moisture(model_state& s)
{
    for (int i = 1; i <= s.num_cells; ++i) {
        double& theta = s.dist_init_moisture[i];
        const double phi = s.dist_porosity[i];
        if (s.long_term) {
            // Only long-term runs keep the residual content.
            const double thr = s.dist_resid_sat[i];
            if (theta > phi)
                theta = thr + 0.99 * (phi - thr);
            if (theta <= thr)
                theta = thr + 0.01 * (phi - thr);
        } else {
            if (theta > phi)
                theta = 0.99 * phi;
            if (theta < 0.1)
                theta = 0.1;
        }
    }
}

bool exchange_moisture_bounds_known(model_state& s, const std::string& name)
{
    // Event runs bound by porosity alone; long-term runs also by the residual content.
    return holds_every_cell(s, s.dist_porosity, "porosity", name) &&
           (!s.long_term || holds_every_cell(s, s.dist_resid_sat, "residual saturation", name));
}
