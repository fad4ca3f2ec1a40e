// A project on a 3 x 4 grid with three cells outside the watershed, loaded
// up to and through the input hub (no time loop), with its screen output.
//
//   mask      cell numbers
//   0 1 1 0    . 1 2 .
//   1 1 1 1    3 4 5 6
//  -9999 1 1 0 7 8 9 .
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "core/run_steps.h"
#include "input/elev_series.h"
#include "input/input_steps.h"
#include "input/time_series.h"
#include "subsurface/wells.h"
#include "support/test_support.h"

namespace torva_test
{

constexpr const char* grid_header_3x4 = "north: 30\nsouth: 0\neast: 40\nwest: 0\nrows: 3\ncols: 4\n";

constexpr const char* base_cards_3x4 = "WATERSHED_MASK m.msk\nELEVATION m.ele\n"
                                       "GRIDSIZE 10\nROWS 3\nCOLS 4\nTOT_TIME 30\nTIMESTEP 30\n"
                                       "OUTROW 2\nOUTCOL 4\nOUTSLOPE 0.01\n"
                                       "PRECIP_UNIF\nRAIN_INTENSITY 50\nRAIN_DURATION 10\n"
                                       "START_DATE 2000 1 1\nSTART_TIME 12 0\nHYD_FREQ 1\nMAP_FREQ 10\n"
                                       "SUMMARY run.sum\nOUTLET_HYDRO run.otl\n";

// A mapping-table data row: the ID in columns 1-6, the values from column 87.
inline std::string mapping_row(int id, const std::string& values)
{
    std::string row = std::to_string(id);
    row.insert(0, row.size() < 6 ? 6 - row.size() : 0, ' ');
    return row + std::string(80, ' ') + values + "\n";
}

struct InputProject : testing::Test {
    scratch_dir dir{"input"};
    std::unique_ptr<model_state> s;
    std::string out, err;
    // The option checks refuse processes whose steps are not built yet;
    // tests of those processes' readers leave them out.
    bool option_checks = true;

    void SetUp() override
    {
        reset_file_name_globals();
        error_state_clear();
        grid("m.msk", "0 1 1 0\n1 1 1 1\n-9999 1 1 0\n");
        grid("m.ele", "0 105 104 0\n103 102 101 100\n102 101 100 0\n");
    }
    void TearDown() override
    {
        release();
        ts_free_all();
        elev_series_free_all();
        wells_free();
        reset_file_name_globals();
        error_state_clear();
    }
    void release()
    {
        summary_log = nullptr;
        if (s)
            model_state_destroy(*s);
        s.reset();
    }

    void file(const std::string& name, const std::string& text) { write_file(dir.file(name), text); }
    // A 3 x 4 grid file: the common header and the given values.
    void grid(const std::string& name, const std::string& values) { file(name, grid_header_3x4 + values); }

    // Reads the project made of the cards and runs the initialisation up to
    // and including the input hub. False when a step raised an error.
    bool load(const std::string& cards)
    {
        release();
        error_state_clear();
        file("p.prj", "TORVAPROJECT\nPROJECT_PATH " + dir.path() + "\n" + cards);
        s = std::make_unique<model_state>();
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const std::string path = dir.file("p.prj");
        const auto step = [&](auto&& f) {
            if (error_state.raised)
                return;
            f();
            if (error_state.code > 0)
                report_error(error_state);
        };
        step([&] { read_run_parameters(*s, path); });
        if (option_checks)
            step([&] { validate_options(*s); });
        step([&] { open_run_files(*s); });
        step([&] { set_run_controls(*s); });
        step([&] { read_inputs(*s); });
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        return error_state.raised == 0;
    }
    bool printed(const std::string& text) const { return out.find(text) != std::string::npos; }
    // The base cards with a uniform roughness and the extra cards.
    static std::string cards_with(const std::string& extra)
    {
        return std::string(base_cards_3x4) + "MANNING_N 0.05\n" + extra;
    }
};

} // namespace torva_test
