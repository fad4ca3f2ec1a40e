// Text of every coded message of the reporter. Fields of the error record
// are inserted where @what@, @file@, @value1@ and @value2@ stand.
#include "core/error_messages.h"

#include <algorithm>

namespace {

const error_message_entry error_messages[] = {
    {3, "Error: The specified project file was not found.\n"}, // err_project_not_found
    {4, "Error: Unable to open @what@ file.\n  (File: @file@)\n"}, // err_open_file
    {5, "Error: TORVA not compiled with ZENF, but ZENF file format specified\n"}, // err_zenf_not_built
    {6, "Error: You have specified both spatially-varied and uniform Manning roughness\nusing both the ROUGHNESS and MANNING_N project file cards.  Only one of\nthese may be specified.  Select only one option.\n"}, // err_roughness_both
    {7, "Error: You have specified both the Penman Montieth and Deardorff\nevapo-transpiration calculation methods.  Only one may be \nspecified for long-term simulations.  Select only one method.\n"}, // err_et_both
    {8, "Error: You have specified two of either the Surface Airways, SAMSON, or KTR\nhydromet. file input type.  Only one file type may be specified for GINT-\nterm simulations.  Select only one method.  Check your project file.\n"}, // err_hmet_two_kinds
    {9, "Error: You have specified neither the Penman Montieth or Deardorff\nevapo-transpiration calculation methods.  One method must be \nspecified for long-term simulations.  Select only one method.\n"}, // err_et_none
    {10, "Error: You have specified both a rain gage file, and uniform rainfall\noptions.  These options are mutually exclusive.  Please select\nonly one option.\n"}, // err_rain_both
    {11, "Error: You have an error in your input due to one of the following:\n\n - You have not specified a precipitation card in your project file.\n   One of either PRECIP_UNIF or PRECIP_FILE must be specified.\n   The PRECIP_FILE card must be followed by the name of the precipitation\n   input data file.  If PRECIP_UNIF is specified, then the RAIN_DURATION\n   and RAIN_INTENSITY cards must also be given, followed by the proper values\n - You have specified spatially-uniform rainfall with either a zero\n   rate or duration.  Please check that your rain rate in mm/h or\n   rain duration in minutes are both non-zero.\n"}, // err_no_precip
    {20, "Error: For long-term simulations, you must specify the redistribution form\nof the Green and Ampt infiltration equation.  Redistribution requires\nvalues of pore distribution index and residual saturation in addition\nto the 4 standard Green and Ampt parameters (hydraulic conductivity,\ncapillary head, porosity, and initial soil moisture content).\n\nChange the infiltration option to Green & Ampt with redistribution\nand specify the 6 required parameters.\n"}, // err_lt_needs_redist
    {21, "Error: Albedo values not specified for long term simulation. Check project file.\n"}, // err_lt_no_albedo
    {22, "Error: Vegetation height values not specified for Penman-Montieth long term simulation.\n Check project file.\n"}, // err_lt_no_veg_height
    {23, "Error: Transmission coeff. values not specified for Penman-Montieth long term simulation.\n Check project file.\n"}, // err_lt_no_transmission
    {24, "Error: tomatal resistance values not specified for Penman-Montieth long term simulation.\n Check project file.\n"}, // err_lt_no_stomatal
    {25, "Error: Wilting point values not specified for Penman-Montieth long term simulation.\n Check project file.\n"}, // err_lt_no_wilting
    {26, "Error: You have specified both Green and Ampt and multi-layered\nsoil infiltration.  Please select only one in the \nproject file.\n"}, // err_ga_and_mlga
    {27, "Error: You have specified both redistribution and multi-layered\nsoil infiltration.  Please select only one in the \nproject file. \n"}, // err_redist_and_mlga
    {28, "Error: You have specified both multi-layered and Richards\nsoil infiltration.  Please select only one in the \nproject file. \n"}, // err_ga_and_richards: set for layered soil with Richards
    {29, "Error: You have specified both Green and Ampt and Richards\nsoil infiltration.  Please select only one in the \nproject file. \n"}, // err_ga_and_richards2
    {30, "Error: You have specified both redistribution and Richards\nsoil infiltration.  Please select only one in the \nproject file. \n"}, // err_redist_and_richards
    {31, "Error: You have specified both Layered Soil and Richards\nsoil infiltration.  Please select only one in the \nproject file. \n"}, // err_layered_and_richards
    {32, "Error: Groundwater cell vertical grid size not specified in project file.\nIf you are simulating the influence of the water table on Richards\nequation, you must put the AQUIFER_DELTA_Z card in the project file.\n"}, // err_gw_no_vertical_size
    {33, "Error: You have chosen both Green and Ampt and Redististribution\nChoose one or the other and try again\n"}, // err_ga_and_redist
    {34, "Error: Both the drain and backwater channel initialization methods have been\nselected.  Only one method may be specified. \n"}, // err_chan_drain_and_backwater
    {35, "Error: Preissmann implicit channel routing is not supported by TORVA.\nSelect explicit channel routing method. \n"}, // err_chan_preissmann
    {37, "Error: Both the explicit and mesh channel routing methods have been\nselected.  Only one method may be specified.  Program terminated\n"}, // err_chan_explicit_and_mesh
    {38, "You have specified both spatially-varied and uniform porosity for\ngroundwater soil using both the gw_unif_porosity and gw_porosity_map\nproject file cards. Only one of these may be specified.\nSelect only one option.\n"}, // err_gw_porosity_both
    {39, "Warning: You have specified neither spatially-varied, uniform, or mapping table porosity for\ngroundwater soil without using both the gw_unif_porosity and\ngw_porosity_map project file cards. Groundwater porosities will be the.\nsame as those in the last layer of your soil input table.\n"}, // err_gw_porosity_none
    {40, "You have specified both spatially-varied and uniform hydraulic\nconductivity for groundwater soil using both the gw_unif_hycond and\ngw_hycond_map project file cards. Only one of these may be specified.\nSelect only one option.\n"}, // err_gw_ks_both
    {41, "Warning: You have specified neither spatially-varied, uniform, or mapping table hydraulic \nconductivity for groundwater soil without using both the gw_unif_hycond\nand gw_hycond_map project file cards. Groundwater hydraulic conductivies \nwill be taken from the soil input table.\n"}, // err_gw_ks_none
    {42, "Error: You have specified both groundwater routing and Sacramento soil moisture\naccounting.  These two methods are mutually-exclusive.  Use one or the other.\n"}, // err_gw_and_sacramento
    {43, "Error: You have specified that TORVA is being run within QNT, but you did\nnot specify the model(s) that are being co-run.  The present options are:\nZEBO.  If you want to run with ZEBO for instance, you must place the ZEBO\nproject file card in the project file. \n"}, // err_qnt_no_comodel
    {44, "Error: TORVA is running within QNT in event mode.  The QNT_EVENT_NUM card\nwas placed in the TORVA project file without an argument.  The\nQNT_EVENT_NUM card must be followed by a GINT int argument that specifies\nthe event number to be simulated.  If 'QNT_EVENT_NUM 0' is specified,\nthen TORVA writes out all available precip. events into the file named\nQNT_PRECIP.SUM, and terminates.  If the QNT_EVENT_NUM argument is greater than\n0, then that particular event is simulated.  Check the project file. \n"}, // err_qnt_event_num
    {45, "Error: Groundwater simulations in TORVA within the QNT environment\nare not yet supported. \n"}, // err_qnt_gw
    {46, "Error: You have specified that TORVA is being run with ZEBO, but you did\nnot specify that TORVA is being run within the QNT environment.\nTORVA only runs with ZEBO in the QNT environment.  You must place the\nQNT project file card in the project file, and pay close attention to\nstart-up conditions. (e.g. QNT_EVENT_NUM card). \n"}, // err_zebo_without_qnt
    {47, "Error: Unable to open ZENF data source @what@, @file@.\n"}, // err_zenf_source_open
    {48, "Error: Can't open theta location output file: @file@\nYou specify the name of the output file which will contain the soil moisture\nordinates at the points specified in the file @what@\nThis is done by using the OUT_THETA_LOCATION card in the project file.\n"}, // err_theta_loc_open
    {49, "Error: Can't open concentration location output file: @what@\nYou specify the name of the output file which will contain the concentration\nordinates at the points specified in the file @file@\nThis is done by using the OUT_CON_LOCATION card in the project file.\n"}, // err_conc_loc_open
    {50, "Error: Can't open depth location output file: @what@\nYou specify the name of the output file which will contain the depth\nordinates at the points specified in the file @file@\nThis is done by using the OUT_DEP_LOCATION card in the project file.\n"}, // err_depth_loc_open
    {51, "Error: Can't open hydrograph location output file: @what@\nYou specify the name of the output file which will contain the hydrograph\nordinates at the points specified in the file @file@\nThis is done by using the OUT_HYD_LOCATION card in the project file.\n"}, // err_hydro_loc_open
    {52, "Error: Time step is 0 seconds.\n"}, // err_dt_zero
    {55, "Warning: Write hydrograph time step not specified, defaulting to 1 hour.\n"}, // err_hyd_freq_default
    {56, "Error: Outlet slope not specified.\n"}, // err_no_outlet_slope
    {57, "Error: Latitude and longitude of basin centroid required for long-term simulations.\nSpecify these in the project file using keywords 'latitude' and 'longitude'\n"}, // err_lt_no_latlon
    {58, "Error: GMT time offset required for long-term simulations.\nSpecify the offset in the project file using keyword 'GMT'\n"}, // err_lt_no_gmt
    {59, "Error: Can't open output file: @file@\n"}, // err_output_open
    {64, "Unable to open Mapping Table file: @file@\n"}, // err_mapping_table_open
    {65, "Unable to open index file @file@\n"}, // err_index_map_open
    {66, "Problem reading mapping table file -- no entries found in table @what@ (NUM_IDS is 0)\n"}, // err_table_empty
    {67, "There is a problem with the wetlands index map.  It contains\n@value1@ ID's, while the mapping table file contains @value2@ ID's.\nThe index map and mapping table file must have the same number\nof ID's. \n"}, // err_wetland_id_mismatch
    {68, "The number of wetland ids specified in the master table file \nis over 300!  This is highly unusual.  I'm bombing... in a   \ndazed and confused state.  So many wetlands!\n"}, // err_wetland_ids_over_300
    {69, "Error reading the contaminant transport tables in the mapping table file.\n"}, // err_contam_tables
    {70, "Unexpected end of file in file: @file@\n"}, // err_unexpected_eof
    {71, "Index ID exceeds table limit, file: @file@ [row @value1@:col @value2@]\n"}, // err_index_id_over_limit
    {72, "Incorrect number of rows and columns in map: @file@\n"}, // err_map_rows_cols
    {73, "Incorrect number of rows in map: @file@\n"}, // err_map_rows
    {74, "Incorrect number of columns in map: @file@\n"}, // err_map_cols
    {76, "Error: unable to open the aquatic environment file @file@.\n"}, // err_aquatic_env_open
    {77, "Error: The header for the aquatic environment file is invalid or does not match \n the current version. \n The aquatic environment file specified is: @file@\n The header should be : @what@"}, // err_aquatic_env_header
    {78, "Error: An index [@value1@] in the aquatic environment table is greater than the\nnumber of IDs specified [@value2@]\n"}, // err_aquatic_env_index
    {79, "Error: The NUTRIENTS card in the project file must be specified before the @what@ card\n"}, // err_nutrients_card_order
    {80, "Error: Unable to open the nutrient file @file@\n"}, // err_nutrient_file_open
    {81, "Error: Unable to open the overland Aquatic Environment map.\n"}, // err_ov_aquatic_map_open
    {84, "Error: The OV_BOUNDARY card has been specified in the project file but the \n       OVERLAND_BOUNDARY table was not found...\n"}, // err_ov_boundary_table
    {85, "Error: Incorrect usage of the RATING_CURVE card. It should be STRUCTTYPE RATING_CURVE \"elev series name\"\nThe elevation series is missing\n"}, // err_rating_curve_usage
    {86, "Error: The elevation series for a RATING_CURVE card is not found. Make sure that the elevation series\n file is in the project file before the channel input file and that the elevation series is defined."}, // err_rating_curve_series
    {87, "Error: Incorrect usage of the SCHEDULED_RELEASE card. It should be STRUCTTYPE SCHEDULED_RELEASE \"time series name\"\nThe time series is missing\n"}, // err_scheduled_release_usage
    {88, "Error: The time series for a SCHEDULED_RELEASE card is not found. Make sure that the time series\n file is in the project file before the channel input file and that the time series is defined."}, // err_scheduled_release_series
    {89, "Error: Incorrect usage of the RULE_CURVE card. It should be STRUCTTYPE RULE_CURVE \"elev series name\"\nThe elevation series is missing\n"}, // err_rule_curve_usage
    {90, "Error: The elevation series for a RULE_CURVE card is not found. Make sure that the elevation series\n file is in the project file before the channel input file and that the elevation series is defined."}, // err_rule_curve_series
    {91, "Error: The number of sediments specified in the SEDIMENTS table is @value1@ while the number of sediments \nspecified in the SED_EROS_PROPS table is @value2@. The values must match.\n"}, // err_sediment_count_mismatch
    {92, "Error: Sediment transport specified but sediments table missing in the .cmt file.\n"}, // err_no_sediments_table
    {93, "Error: Unable to read the soil erosion properties table from mapping table file\n"}, // err_erosion_table
    {95, "Warning: There are no segments in the KZ segment map.\n"}, // err_kz_no_segments
    {96, "Warning: The TORVA to KZ internal segment flux option is turned on\nBut there are no segments in the KZ segment map or in the link-node to segment file.\n"}, // err_kz_flux_no_segments
    {97, "Error: In the KZ internal stream flux to segment file, some link/node pairs \nrefer to a segment of 0 or a segment that is not in the segment map file.\n"}, // err_kz_bad_segment
    {98, "Error: Unable to open the KZ internal flux output file [@file@].\n"}, // err_kz_flux_open
    {102, "Error in creating radar mapping to grid.\n"}, // err_radar_mapping
    {103, "Error: unable to read value for CALIB_COMP_DATA. Please provide one of DAILY, EVENT. \n"}, // err_calib_comp_data
    {104, "Error: unable to read value for CALIB_OBJ_FUNC. Please provide one of RMSE, HMLE. \n"}, // err_calib_obj_func
    {115, "Unable to open stream map file @file@\n"}, // err_stream_map_open
    {116, "Stream map file does not use correct header (file: @file@)\n"}, // err_stream_map_header
    {117, "NLINKS or MAXNODES card in stream map file does not match channel input file (file: @file@)\n"}, // err_stream_map_size
    {118, "Error reading data from stream map file. Check to make sure that the correct number of \ndata points exist for each link. (file: @file@)\n"}, // err_stream_map_read
    {119, "Error: Nutrient constituent to use mapping table for input value but no mapping table exists (Grid): @what@\n"}, // err_nutrient_no_table
    {120, "Error: Nutrient constituent to use mapping table for input value but no mapping table exists (Stream): @what@\n"}, // err_nutrient_no_stream_table
    {122, "no convergence in culvert critical depth routine\n"}, // err_culvert_crit_depth
    {123, "arch culverts not yet supported in subroutine crit_calc() \n"}, // err_arch_culvert
    {125, "Error: The number of contaminants is not a positive value.\n"}, // err_contam_count
    {126, "Error: the mapping table for the groundwater table is not set up correctly. Check index map file names.\n"}, // err_gw_table
    {127, "Error: Stream head boundary time series (@what@) can not be found. Check project file.\n"}, // err_head_series_missing
    {131, "Error: Pipe invert must be above the bottom of the aquifer\n"}, // err_pipe_invert
    {132, "You are trying to simulate Richards' Equation soil dynamics but without using a valid soil type index map.\nIndex map filename = @file@\n"}, // err_richards_soil_map
    {133, "Error: NaN error in groundwater tile exchange\n"}, // err_tile_nan
    {135, "Error: observed data file improperly formatted.\n"}, // err_obs_format
    {136, "You are trying to simulate MLGA soil dynamics but without using a valid soil type index map.\nIndex map filename = @file@\n"}, // err_mlga_soil_map
};

} // namespace

const char* error_message_template(int code)
{
    for (const auto& e : error_messages)
        if (e.code == code) return e.text;
    return nullptr;
}

int error_message_count()
{
    return static_cast<int>(sizeof(error_messages) / sizeof(error_messages[0]));
}

const error_message_entry& error_message_at(int index)
{
    return error_messages[index];
}
