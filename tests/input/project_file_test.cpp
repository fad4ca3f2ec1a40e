// The project file: its header, the card table and the card records.
#include <gtest/gtest.h>

#include <memory>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "input/card_table.h"
#include "input/input_steps.h"
#include "input/project_cards.h"
#include "support/test_support.h"

using namespace torva_test;

namespace {

struct ProjectFile : testing::Test {
    scratch_dir dir{"project"};
    std::unique_ptr<model_state> state = std::make_unique<model_state>();
    std::string out, err;

    void SetUp() override
    {
        reset_file_name_globals();
        error_state_clear();
    }
    void TearDown() override
    {
        reset_file_name_globals();
        error_state_clear();
    }

    // Writes the text as a project file and reads it into the state.
    void read(const std::string& text)
    {
        write_file(dir.file("p.prj"), text);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        read_project_file(dir.file("p.prj"), state->cards, state->run, state->precip, 0);
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
    }
};

const char* const bad_header_lines = "File Does not Appear to be a Valid TORVA/ORLENT Project file\n"
                                     "Perhaps you Should Issue a 'dos2unix' Command if you are on a Unix "
                                     "machine?\nTORVA Terminating....\n";

} // namespace

TEST_F(ProjectFile, HeaderMustBeExact)
{
    for (const char* header : {"TORVAPROJECT\r\n", " TORVAPROJECT\n", "torvaproject\n", "PROJECT\n", ""}) {
        state = std::make_unique<model_state>();
        error_state_clear();
        read(std::string(header) + "ROWS 4\n");
        EXPECT_EQ(err, bad_header_lines) << header;
        EXPECT_EQ(out, "\n") << header; // code 4000: a blank line, no text
        EXPECT_EQ(error_state.raised, 1) << header;
        EXPECT_EQ(state->run.rows, 0) << header;
    }
    for (const char* header : {"TORVAPROJECT\n", "ORLENTPROJECT\n", "TORVAPROJECT"}) {
        state = std::make_unique<model_state>();
        error_state_clear();
        read(header);
        EXPECT_EQ(err, "") << header;
        EXPECT_EQ(out, "") << header;
        EXPECT_EQ(error_state.raised, 0) << header;
        // The records were cleared and given the reader's defaults.
        EXPECT_EQ(state->run.latitude, 0.0);
        EXPECT_EQ(state->run.longitude, 0.0);
        EXPECT_EQ(state->precip.gauge_option, 0);
        EXPECT_EQ(state->cards.overtype, 2);
        EXPECT_DOUBLE_EQ(state->cards.event_min_q, 0.1);
        EXPECT_DOUBLE_EQ(state->cards.aquifer_delta_z, -999.9);
        EXPECT_EQ(state->cards.qnt_event_num, -1);
        EXPECT_EQ(state->cards.calib_comp_data, 2);
        EXPECT_DOUBLE_EQ(state->cards.chan_ph, 7.2);
        EXPECT_EQ(state->cards.soil_erosion, 1);
    }
}

TEST_F(ProjectFile, CardsFillTheirSlots)
{
    read("TORVAPROJECT\n"
         "# a comment\n"
         "   # an indented comment\n"
         "\n"
         " , ,\n"
         "Watershed_Mask \"my mask.msk\"\n"
         "ROWS 4\nROWS 7\n"
         "GRIDSIZE 30.5\n"
         "START_DATE 2001 6 15\nSTART_TIME 13 45\n"
         "END_TIME 2001 6 16 2 30\n"
         "LATITUDE -33.9\nLONGITUDE -70.6\nGMT -4\n"
         "MANNING_N 0.035\n"
         "DIFFUSIVE_WAVE\n"
         "INF_REDIST\n"
         "PRECIP_FILE rain.gag\nRAIN_THIESSEN\n"
         "HMET_KTR first.ktr\nHMET_ASCII second.txt\n"
         "OVERTYPE ADE-PC\n"
         "RICHARDS_UPPER_OPTION bogus\nRICHARDS_C_OPTION bogus\n"
         "MOISTURE\nAREA_REDUCTION\nGW_BOUNDFILE\n"
         "INIT_SWE_DEPTH\n"
         "FOO 12\n"
         "GREEN_AMPTX\n"
         "VKS\nMETRIC 1\n");
    const project_cards& c = state->cards;
    EXPECT_EQ(c.watershed_mask, "my mask.msk");
    EXPECT_EQ(state->run.rows, 7);
    EXPECT_DOUBLE_EQ(state->run.gridsize, 30.5);
    EXPECT_EQ(state->run.start_year, 2001);
    EXPECT_EQ(state->run.start_month, 6);
    EXPECT_EQ(state->run.start_day, 15);
    EXPECT_EQ(state->run.start_hour, 13);
    EXPECT_EQ(state->run.start_minute, 45);
    EXPECT_EQ(state->run.end_day, 16);
    EXPECT_EQ(state->run.end_minute, 30);
    EXPECT_DOUBLE_EQ(state->run.latitude, -33.9);
    EXPECT_EQ(state->run.latitude_given, 1);
    EXPECT_DOUBLE_EQ(state->run.gmt, -4.0);
    EXPECT_EQ(state->run.gmt_given, 1);
    EXPECT_DOUBLE_EQ(c.manning_n, 0.035);
    EXPECT_EQ(c.manning_n_given, 1);
    EXPECT_EQ(state->run.chan_route_type, 3);
    EXPECT_EQ(c.non_ortho_channels, 1);
    EXPECT_EQ(state->run.infil_type, 2);
    EXPECT_EQ(state->precip.kind, 1);
    EXPECT_EQ(state->precip.precip_file, "rain.gag");
    EXPECT_EQ(state->precip.gauge_option, 1);
    EXPECT_EQ(c.hmet_file, "second.txt");
    EXPECT_EQ(c.hmet_ktr, 1);
    EXPECT_EQ(c.hmet_ascii, 1);
    EXPECT_EQ(c.overtype, 3);
    EXPECT_EQ(c.richards_upper_option, 0);
    EXPECT_EQ(c.richards_c_option, 0);
    EXPECT_EQ(c.moisture_given, 1);
    EXPECT_EQ(c.area_reduction_given, 1);
    EXPECT_EQ(c.gw_boundfile_given, 0);
    EXPECT_EQ(c.init_swe_depth_kind, 1);
    EXPECT_EQ(c.init_swe_depth_map, "");
    EXPECT_EQ(out, "Warning: unknown card found in the project file: foo\n"
                   "Warning: unknown card found in the project file: green_amptx\n");
    EXPECT_EQ(error_state.code, 0);
}

TEST_F(ProjectFile, OptionWordsAndValueKinds)
{
    read("TORVAPROJECT\nOVERTYPE 3\nRETEN_DEPTH 0.002\nINIT_SWE_DEPTH 0.25\nQNT_EVENT_NUM\n"
         "RICHARDS_K_OPTION ARITHMETIC\nRICHARDS_C_OPTION Havercamp\nCALIB_COMP_DATA DAILYX\n"
         "REPLACE_LINE 1\nNO3_KM 4.5\n");
    const project_cards& c = state->cards;
    EXPECT_EQ(c.overtype, 3);
    EXPECT_DOUBLE_EQ(c.retention, 0.002);
    EXPECT_EQ(c.retention_given, 1);
    EXPECT_EQ(c.reten_depth_given, 0);
    EXPECT_NE(out.find("Warning: Incorrect use of RETEN_DEPTH card\n"), std::string::npos);
    EXPECT_NE(out.find("Using 0.002000 for the uniform retention depth\n\n"), std::string::npos);
    EXPECT_EQ(c.init_swe_depth_kind, 3);
    EXPECT_DOUBLE_EQ(c.init_swe_depth, 0.25);
    EXPECT_EQ(c.qnt_event_num, -1);
    EXPECT_EQ(c.qnt_event_num_given, 1);
    EXPECT_EQ(c.richards_k_option, 1);
    EXPECT_EQ(c.richards_c_option, 2);
    EXPECT_EQ(c.calib_comp_data, 0);
    EXPECT_EQ(replace_line_index, 0);
    // The sorption constants start at zero; the given one holds its value.
    ASSERT_EQ(c.no2_km.size(), 12u);
    EXPECT_DOUBLE_EQ(c.no2_km[1], 4.5);
    EXPECT_DOUBLE_EQ(c.no2_km[0], 0.0);
    EXPECT_DOUBLE_EQ(c.no2_km[11], 0.0);
}

TEST_F(ProjectFile, StoppingCards)
{
    struct stop_case {
        const char* text;
        int code;
        const char* what;
    };
    const stop_case cases[] = {
        {"AQ_ENV env.dat\nROWS 3\n", err_nutrients_card_order, "AQ_ENV"},
        {"OV_INIT_NO2 1.0\nROWS 3\n", err_nutrients_card_order, "OV_INIT_XXX"},
        {"OUT_HYD_DO do.out\nROWS 3\n", err_nutrients_card_order, "OUT_HYD_XXX"},
        {"CALIB_COMP_DATA daily\nROWS 3\n", err_calib_comp_data, ""},
        {"CALIB_OBJ_FUNC RMSE \nROWS 3\n", err_calib_obj_func, ""},
    };
    for (const auto& c : cases) {
        state = std::make_unique<model_state>();
        error_state_clear();
        read(std::string("TORVAPROJECT\n") + c.text);
        EXPECT_EQ(error_state.code, c.code) << c.text;
        EXPECT_EQ(error_state.raised, 0) << c.text;
        if (*c.what) {
            EXPECT_STREQ(error_state.what, c.what) << c.text;
        }
        EXPECT_EQ(state->run.rows, 0) << c.text; // reading stopped before ROWS
    }
}

TEST_F(ProjectFile, NutrientCardsFillTheObjectOfTheLastNutrientsCard)
{
    read("TORVAPROJECT\nNUTRIENTS\nOV_INIT_NO3 2.5\nNUTRIENTS\nAQ_ENV env.dat\nOV_INIT_NH4 nh4.map\n"
         "ST_INIT_DO\nOUT_ST_ALG alg.out\n");
    ASSERT_TRUE(state->cards.nutrient_object);
    const qbn_model& q = *state->cards.nutrient_object;
    EXPECT_EQ(q.params.aq_env_file, "env.dat");
    EXPECT_EQ(q.ov_init[1].kind, 0); // the first object, with NO3, was replaced
    EXPECT_EQ(q.ov_init[2].kind, 1);
    EXPECT_EQ(q.ov_init[2].map, "nh4.map");
    EXPECT_EQ(q.st_init[8].kind, 2);
    EXPECT_EQ(q.out_st[6].flag, 1);
    EXPECT_EQ(q.out_st[6].name, "alg.out");
}

TEST_F(ProjectFile, ReadingKeepsTheBoundaryObjectsUsable)
{
    read("TORVAPROJECT\nXYBDYOUTPUT_PTS pts.txt\n");
    EXPECT_EQ(state->cards.xy_in.ovpts.name, "xy_input::ovpts");
    EXPECT_EQ(state->cards.xy_in.ovpts.one_based, 1);
    EXPECT_EQ(state->cards.xy_out.output_on, 1);
    EXPECT_EQ(state->cards.xy_out.points_file, "pts.txt");
}

TEST_F(ProjectFile, OverlongLineIsRefused)
{
    read("TORVAPROJECT\nWATERSHED_MASK " + std::string(260, 'm') + "\nROWS 3\n");
    EXPECT_NE(out.find("Error: line 2 of the project file holds more than 255 characters.\n"), std::string::npos);
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_EQ(state->run.rows, 0);
}

TEST_F(ProjectFile, ProjectFolderFromCardOrPath)
{
    write_file(dir.file("a.prj"), "TORVAPROJECT\nPROJECT_PATH /some/where\n");
    testing::internal::CaptureStdout();
    find_project_folder(dir.file("a.prj"));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(project_dir, "/some/where/");

    reset_file_name_globals();
    write_file(dir.file("b.prj"), "TORVAPROJECT\nROWS 2\n");
    testing::internal::CaptureStdout();
    find_project_folder(dir.file("b.prj"));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(project_dir, dir.path() + "/");
}

TEST(CardTable, EveryWordIsKnownOnce)
{
    EXPECT_EQ(card_word_count(), 437);
    std::string line = "Embankment dikes.map";
    const int code = card_code(line, 0);
    EXPECT_STREQ(card_word(code), "embankment");
    EXPECT_EQ(line, "dikes.map");
    std::string comment = "#ROWS 3";
    EXPECT_EQ(card_code(comment, 0), card_ignore);
    testing::internal::CaptureStdout();
    std::string unknown = "BOGUS 1";
    EXPECT_EQ(card_code(unknown, 1), card_ignore); // a toolbox trial is not warned
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
