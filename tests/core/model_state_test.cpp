#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/model_state.h"
#include "input/elev_series.h"
#include "input/replace_params.h"
#include "input/time_series.h"
#include "subsurface/wells.h"
#include "support/test_support.h"

namespace {

std::unique_ptr<model_state> fresh_state()
{
    return std::make_unique<model_state>();
}

// The run driver's end of a run: destroy, then free.
void end_run(std::unique_ptr<model_state>& s)
{
    model_state_destroy(*s);
    s.reset();
}

TEST(ModelState, ConstructAndDestroyPrintNothing)
{
    testing::internal::CaptureStdout();
    auto s = fresh_state();
    end_run(s);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(ModelState, DefaultsAndNames)
{
    auto s = fresh_state();
    EXPECT_DOUBLE_EQ(s->qout_cfs_factor, 35.314667);
    EXPECT_EQ(s->float_maps_flag, 1);
    EXPECT_EQ(s->snow_darcy_f, -1.0);
    EXPECT_EQ(s->sweep_order, 1);
    EXPECT_EQ(s->ov_con_sweep, 1);
    EXPECT_EQ(s->lake_first_step, 1);
    EXPECT_EQ(s->overbank_factor, 0.01);
    EXPECT_EQ(s->chan_con_output_name, "con_output");
    EXPECT_EQ(s->rain_period_index, 1);
    EXPECT_EQ(s->snow_param_a, 3.0);
    EXPECT_EQ(s->snow_param_b, 0.67);
    EXPECT_EQ(s->snow_period_s, 3600);
    EXPECT_EQ(s->snow_param_c, 80.0);
    EXPECT_EQ(s->snow_param_d, 27.0);
    EXPECT_EQ(s->gw_sweep_order, 1);
    EXPECT_EQ(s->num_contam, -1);
    EXPECT_EQ(s->flush_buffer_lines, 5000);
    EXPECT_EQ(s->soil_work.row_count, -1);
    EXPECT_EQ(s->run.latitude, 32.0);
    EXPECT_EQ(s->run.longitude, -90.0);
    EXPECT_EQ(s->precip.kind, 0);
    EXPECT_EQ(s->precip.gauge_option, 1);
    EXPECT_EQ(s->snow_temp_series.nodata, -999.99);
    EXPECT_EQ(s->snow_temp_series.seq, 1);
    EXPECT_TRUE(s->rain_period_dates.empty());
    EXPECT_EQ(s->event_start_times, std::vector<double>(2, 0.0));

    EXPECT_EQ(s->precip_conc.name, "precip_conc");
    EXPECT_EQ(s->OV_MASS_INIT.name, "OV_MASS_INIT");
    EXPECT_EQ(s->GLOBAL_GW_MASS.name, "GLOBAL_GW_MASS");
    EXPECT_EQ(s->constituent_type.name, "constituent_type");
    EXPECT_EQ(s->water_soil_partition_coef.name, "water_soil_partition_coef");
    EXPECT_EQ(s->soil_infil_mass.name, "");
    EXPECT_EQ(s->soil_mass.name, "soil_mass");
    EXPECT_EQ(s->soil_conc.name, "soil_conc");
    EXPECT_EQ(s->soil_sed_con.name, "");

    // Zero-based: index 0 lives in slot 0.
    checked_array_grow(s->OV_MASS_INIT, 3);
    s->OV_MASS_INIT[0] = 4.5;
    EXPECT_EQ(s->OV_MASS_INIT.data[0], 4.5);
    EXPECT_EQ(s->OV_MASS_INIT.bad_index, 0);
    end_run(s);
}

TEST(ModelState, OutOfRangeTotalsAreReportedOnceAtDestruction)
{
    auto s = fresh_state();
    checked_array_grow(s->OV_MASS_INIT, 2);
    s->OV_MASS_INIT[3] = 1.0;
    s->OV_MASS_INIT[4] = 1.0;
    (void)s->soil_infil_mass[0];
    testing::internal::CaptureStdout();
    end_run(s);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string named = "Error: bad range addressed in array OV_MASS_INIT\n";
    const std::string unnamed = "Error: bad range addressed in array \n";
    EXPECT_EQ(out.size(), named.size() + unnamed.size()) << out;
    EXPECT_NE(out.find(named), std::string::npos) << out;
    EXPECT_NE(out.find(unnamed), std::string::npos) << out;
}

TEST(ModelState, DestructionEmptiesTheProgramWideLists)
{
    auto s = fresh_state();
    time_series* ts = ts_new();
    ts->name = "gate";
    ts_index_list.push_front({3, ts, ts->name});
    elev_series_new()->name = "rating";
    well_list.push_back({1, 2.0});
    well_table_list.push_back({1, 2.0});
    replace_param_list.push_back(replace_param());
    end_run(s);
    EXPECT_TRUE(time_series_list.empty());
    EXPECT_TRUE(ts_index_list.empty());
    EXPECT_TRUE(elev_series_list.empty());
    EXPECT_TRUE(well_list.empty());
    EXPECT_TRUE(replace_param_list.empty());
}

TEST(ModelState, OwnedRecordsAndContainersAreReleased)
{
    reset_file_name_globals();
    torva_test::scratch_dir dir("model_state");
    const int baseline = torva_test::open_descriptor_count();
    auto s = fresh_state();
    s->ov_sed = std::make_unique<sediment_table>();
    sediment_table_construct(*s->ov_sed);
    checked_array_grow(s->ov_sed->files, 2);
    ASSERT_TRUE(file_rec_open(s->ov_sed->files[1], dir.file("sed.out"), "w"));
    ASSERT_TRUE(file_rec_open(s->sed.tss_loc_file, dir.file("tss.out"), "w"));
    ASSERT_TRUE(file_rec_open(s->daily_output.file, dir.file("daily.out"), "w"));
    row_array_add_rows(s->ov_conc, 2, 10);
    map_series_row_array_add_rows(s->con_map_series, 2);
    matrix_stack_add(s->soil_mass, 3, 0.0, 4, 2);
    checked_array_grow(s->soil_work.gw_in, 5);
    row_array_add_rows(s->precip_data, 1, 3);
    EXPECT_EQ(torva_test::open_descriptor_count(), baseline + 3);

    testing::internal::CaptureStdout();
    end_run(s);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(torva_test::open_descriptor_count(), baseline);
}

TEST(ModelState, SubRecordsDestroyQuietly)
{
    testing::internal::CaptureStdout();
    {
        sediment_block sed;
        sediment_block_construct(sed);
        sediment_block_destroy(sed);
        soil_layer_work work;
        array_bundle_construct(work);
        EXPECT_EQ(work.row_count, -1);
        soil_layer_work_destroy(work);
        daily_output_rec daily;
        daily_output_rec_destroy(daily);
        sediment_table table;
        sediment_table_construct(table);
        EXPECT_EQ(table.files.cap, 0);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

} // namespace
