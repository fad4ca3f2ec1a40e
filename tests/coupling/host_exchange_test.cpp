// Exchange with the host environment and the co-run model: the grids and
// control file written at an event end, the grids read back with their
// bounds, the clock jump to the next event and the file failures.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "coupling/coupling_steps.h"
#include "coupling/host_exchange.h"
#include "support/test_support.h"

namespace
{

using torva_test::read_file;
using torva_test::scratch_dir;
using torva_test::write_file;

const char* grid_head = "north: 100.00\nsouth: 90.00\neast: 20.00\nwest: 0.00\nrows: 1\ncols: 2\n";
// The same header as the grid writer lays it out.
const char* written_head =
    "north:    100.00\nsouth:     90.00\neast:     20.00\nwest:      0.00\nrows:     1\ncols:     2\n";

// A one-row, two-cell watershed inside QNT and ZEBO, ending event 1 of 2
// at 00:30 on 1 January 2021; the next event starts at 12:00.
std::unique_ptr<model_state> two_cell_state(const scratch_dir& dir)
{
    auto s = std::make_unique<model_state>();
    model_state_construct(*s);
    error_state_clear();
    s->rows = s->grid_rows = 1;
    s->cols = s->grid_cols = 2;
    s->grid_north = 100.0;
    s->grid_south = 90.0;
    s->grid_east = 20.0;
    s->grid_west = 0.0;
    s->mask.assign(1, 2, 0);
    s->mask[1][1] = 1;
    s->mask[1][2] = 2;
    s->num_cells = 2;
    s->inf_depth.assign(2, 0.25);
    s->dist_rough.assign(2, 0.05);
    s->dist_ksat.assign(2, 1.0e-6);
    s->dist_porosity.assign(2, 0.4);
    s->dist_resid_sat.assign(2, 0.05);
    s->dist_init_moisture.assign(2, 0.2);
    s->qnt_mode = 1;
    s->zebo_exchange = 1;
    s->zebo_path = dir.file("zebo.ctl");
    s->moist_to_zebo = s->ksat_to_zebo = 1;
    s->moist_to_zebo_name = dir.file("moist_out.asc");
    s->ksat_to_zebo_name = dir.file("ksat_out.asc");
    s->event_num = 1;
    s->num_events = 2;
    s->dt_days = 30.0 / 86400.0;
    s->current_time = julian_date(2021, 1, 1, 0, 30, 0.0);
    s->event_start_times = {0.0, julian_date(2020, 12, 31, 23, 0, 0.0), julian_date(2021, 1, 1, 12, 0, 0.0)};
    s->keep_running = 1;
    s->run_ended = 1;
    return s;
}

TEST(HostExchange, DayNumbersCountFromOneOClockOnTheLastDayOfThePreviousYear)
{
    EXPECT_EQ(zebo_day_number(julian_date(2021, 1, 1, 0, 30, 0.0), 2021), 0);
    EXPECT_EQ(zebo_day_number(julian_date(2021, 1, 1, 12, 0, 0.0), 2021), 1);
    EXPECT_EQ(zebo_day_number(julian_date(2021, 2, 1, 12, 0, 0.0), 2021), 32);
}

TEST(HostExchange, EventEndWritesGridsAndControlFileReadsBackAndJumpsToTheNextEvent)
{
    scratch_dir dir("host_exchange");
    for (const int long_term : {0, 1}) {
        auto s = two_cell_state(dir);
        s->long_term = long_term;
        if (!long_term)
            s->dist_resid_sat = dvec(); // plain Green-Ampt keeps no residual map
        s->moist_from_zebo = s->rough_from_zebo = s->ksat_from_zebo = 1;
        s->moist_from_zebo_name = dir.file("moist_in.asc");
        s->rough_from_zebo_name = dir.file("rough_in.asc");
        s->ksat_from_zebo_name = dir.file("ksat_in.asc");
        write_file(s->moist_from_zebo_name, std::string(grid_head) + "0.5 0.03\n");
        write_file(s->rough_from_zebo_name, std::string(grid_head) + "0.0 0.08\n");
        write_file(s->ksat_from_zebo_name, std::string(grid_head) + "0.36 3.6\n");

        event_end_step(*s);
        ASSERT_EQ(error_state.raised, 0);
        EXPECT_EQ(read_file(s->moist_to_zebo_name), std::string(written_head) + "0.250000 0.250000 \n");
        EXPECT_EQ(read_file(s->ksat_to_zebo_name), std::string(written_head) + "0.360000 0.360000 \n");
        EXPECT_EQ(read_file(s->zebo_path), "  0   1\n");

        if (long_term) {
            EXPECT_DOUBLE_EQ(s->dist_init_moisture[1], 0.05 + 0.99 * 0.35);
            EXPECT_DOUBLE_EQ(s->dist_init_moisture[2], 0.05 + 0.01 * 0.35);
        } else {
            EXPECT_DOUBLE_EQ(s->dist_init_moisture[1], 0.99 * 0.4);
            EXPECT_DOUBLE_EQ(s->dist_init_moisture[2], 0.1);
        }
        EXPECT_DOUBLE_EQ(s->dist_rough[1], 0.04);
        EXPECT_DOUBLE_EQ(s->dist_rough[2], 0.08);
        EXPECT_DOUBLE_EQ(s->dist_ksat[1], 1.0e-6);
        EXPECT_DOUBLE_EQ(s->dist_ksat[2], 1.0e-5);

        const double next = julian_date(2021, 1, 1, 12, 0, 0.0);
        EXPECT_EQ(s->keep_running, 1);
        EXPECT_DOUBLE_EQ(s->current_time, next - s->dt_days);
        EXPECT_DOUBLE_EQ(s->ov_last, next - s->dt_days);
        EXPECT_DOUBLE_EQ(s->inf_next, next);
        EXPECT_DOUBLE_EQ(s->ov_next, next);
        EXPECT_EQ(s->run_ended, 0);
        EXPECT_EQ(s->event_done, 1);
    }
}

TEST(HostExchange, LastEventWritesTheEndMarkAndReadsNothingBack)
{
    scratch_dir dir("host_exchange_last");
    auto s = two_cell_state(dir);
    s->event_num = 2;
    s->moist_from_zebo = 1;
    s->moist_from_zebo_name = dir.file("absent.asc"); // never opened
    event_end_step(*s);
    EXPECT_EQ(error_state.raised, 0);
    EXPECT_EQ(read_file(s->zebo_path), "999 999\n");
    EXPECT_DOUBLE_EQ(s->dist_init_moisture[1], 0.2);
    EXPECT_EQ(s->keep_running, 0);
    // No next event: the clock keeps the run's end time.
    EXPECT_DOUBLE_EQ(s->current_time, julian_date(2021, 1, 1, 0, 30, 0.0));
}

TEST(HostExchange, OneEventPerRunEndsTheRunWithoutReadingBack)
{
    scratch_dir dir("host_exchange_qnt_event");
    auto s = two_cell_state(dir);
    s->qnt_event_num = 1;
    s->moist_from_zebo = 1;
    s->moist_from_zebo_name = dir.file("absent.asc");
    testing::internal::CaptureStdout();
    event_end_step(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(error_state.raised, 0);
    EXPECT_NE(out.find("End of QNT event 1\n"), std::string::npos);
    EXPECT_EQ(s->keep_running, 0);
    EXPECT_DOUBLE_EQ(s->current_time, julian_date(2021, 1, 1, 0, 30, 0.0));
    EXPECT_EQ(s->event_done, 1);
}

TEST(HostExchange, FileFailuresStopWithTheirMessages)
{
    scratch_dir dir("host_exchange_fail");
    const std::string bad = dir.file("no_folder/x.asc");
    struct fail_case {
        const char* label;
        void (*setup)(model_state&, const std::string&, const std::string&);
        bool at_start;
        std::string message;
    };
    const fail_case cases[] = {
        {"moisture write",
         [](model_state& s, const std::string& b, const std::string&) { s.moist_to_zebo_name = b; }, false,
         "Can't open soil moisture exchange file " + bad + " for writing\n"},
        {"porosity write",
         [](model_state& s, const std::string& b, const std::string&) {
             s.poros_to_zebo = 1;
             s.poros_to_zebo_name = b;
         },
         false, "Can't open porosity exchange file " + bad + " for writing\n"},
        {"Ksat map never filled",
         [](model_state& s, const std::string&, const std::string&) { s.dist_ksat = dvec(); }, false,
         "The run holds no Ksat map for exchange file "},
        {"control file", [](model_state& s, const std::string& b, const std::string&) { s.zebo_path = b; },
         false, "unable to open zebo exchange file for writing\n"},
        {"roughness read back",
         [](model_state& s, const std::string&, const std::string& m) {
             s.rough_from_zebo = 1;
             s.rough_from_zebo_name = m;
         },
         false, "2 Can't open roughness exchange file "},
        {"ksat at start",
         [](model_state& s, const std::string&, const std::string& m) {
             s.zebo_first = 1;
             s.ksat_from_zebo = 1;
             s.ksat_from_zebo_name = m;
         },
         true, "1 Can't open Ksat exchange file "},
    };
    for (const auto& c : cases) {
        auto s = two_cell_state(dir);
        const std::string missing = dir.file("missing.asc");
        c.setup(*s, bad, missing);
        testing::internal::CaptureStdout();
        if (c.at_start)
            read_exchange_maps(*s);
        else
            event_end_step(*s);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find(c.message), std::string::npos) << c.label << ": " << out;
        EXPECT_EQ(error_state.code, err_stop) << c.label;
        EXPECT_EQ(error_state.raised, 1) << c.label;
        EXPECT_EQ(s->event_done, 0) << c.label;
        error_state_clear();
    }
}

TEST(HostExchange, OneEventPerRunStartsTheProcessClocksAtTheEvent)
{
    scratch_dir dir("host_exchange_start");
    auto s = two_cell_state(dir);
    s->qnt_event_num = 1;
    read_exchange_maps(*s);
    EXPECT_DOUBLE_EQ(s->ov_next, s->current_time);
    EXPECT_DOUBLE_EQ(s->inf_next, s->current_time + s->dt_days);
    EXPECT_DOUBLE_EQ(s->ov_last, s->current_time - s->dt_days);
}

} // namespace
