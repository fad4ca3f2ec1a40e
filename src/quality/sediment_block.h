// The sediment block of the model state, the sediment totals and the
// overland sediment work record.
#pragma once

#include <memory>
#include <string>

#include "core/arrays.h"
#include "core/containers.h"
#include "core/file_rec.h"
#include "core/node_arrays.h"

struct sediment_block {
    int soil_erosion = 0;
    int erosion_method = 0;
    int sed_flag3 = 0;
    int adjust_channel_bed = 0;
    double water_temp = 0.0;
    double water_viscosity = 0.0;
    int sed_flag7 = 0;
    int num_sed = 0;
    int net_sed_volume = 0;
    int vol_sed_susp = 0;
    int max_sed_flux = 0;
    std::string sed_names[9];
    file_rec sed_susp_file;
    file_rec sed_flux_file;
    file_rec outlet_sed_file;
    file_rec sed_hyd_loc_file;
    file_rec outlet_tss_file;
    file_rec tss_loc_file;

    ~sediment_block();
};

// Region of the state holding the block.
struct sediment_region {
    sediment_block sed;
};

// Sediment size classes, totals and channel sediment.
struct sediment_totals {
    int chan_sed_on = 0;
    dnode_mat new_bel; // [node][link] bed elevation after erosion and deposition, m
    dnode_mat org_bel; // [node][link] bed elevation as read, m
    dnode_mat min_bel; // [node][link] floor of the bed, set by the run's first bed update, m
    // Channel sand (created by alloc_channel_sediment): the sand moved out of
    // each node in the last step per flat node link x node_dim + node and
    // column num_fine_classes + slot (m3/s), the lateral sediment delivered
    // to each node ([node][link][class], m3), the sand delivered into each
    // channel lake ([lake][slot], m3), the sand leaving the outlet in the
    // last step ([slot], m3/s), the lateral sand taken up over the run
    // ([slot], m3), and the signed transport rate per flat node of the last step (m3/s).
    dmat qsmax;
    dcube qlat_sed;
    dmat lake_depo_vol;
    dvec chan_sand_outflow;
    dvec chan_sand_lat_total;
    dvec chan_sand_rate;
    dnode_mat qsmax_total; // [node][link] sediment discharge of the CHAN_SED_FLUX file, cm3/s
    int ov_sed_scheme = 0; // overland sediment scheme, 1 or 2
    int num_fine_classes = 0;
    int num_sand_classes = 0;
    ivec sand; // per size class: 1 for a sand class
    int sed_hyd_locations_on = 0;
    int num_sed_hyd_locations = 0;
    dmat ov_sed_vol_susp; // [cell][class] suspended volume, m3
    dcube ch_sand_vol;    // [node][link][slot]: sand classes 1..w, the erodible bed layer w + 1, total 0 (m3)
    dcube ch_wash_vol;    // [node][link][class] wash load in suspension; class 0 all fine classes, m3
    // Sediment volumes (m3): per class (entry 0 the wash-load total where
    // kept), per lake and class (row 0 all lakes), and event totals.
    dvec chan_sed_in_event;
    dvec chan_sed_in_total;
    dvec superlink_sed_in_event;
    dvec superlink_sed_in_total;
    dmat sed_vol_overland_to_lake;
    dmat SS_vol_overland_to_lake;
    dmat SS_vol_chan_to_lake;
    dmat SS_vol_lake_to_chan;
    dmat SS_vol_lake_settled;
    dmat SS_vol_lake;
    dmat SS_conc_vol_lake; // volume concentration
    dmat SS_conc_lake;     // mg/L
    dvec init_sed_vol_lake;
    dvec event_lake_sand_in; // per lake, entry 0 all lakes
    dvec event_lake_depo_in; // per lake, entry 0 all lakes
    // Wash load between the overland cells and the lakes: volume moved from
    // each lake to overland cells over the run ([lake][fine position]), the
    // part of sed_vol_overland_to_lake the lakes have already taken up
    // ([lake][class]), the settled volume of the current step ([lake][fine
    // position]) and the lake cells of each lake (work, sized per run).
    dmat SS_vol_lake_to_overland;
    dmat lake_ov_taken;
    dmat lake_settled_step;
    ivec num_lake_cells;
    double chan_sand_initial_event = 0.0;
    double chan_sand_from_ov_event = 0.0;
    double chan_sand_out_event = 0.0;
    double chan_sand_final = 0.0;
    double chan_washload_initial_event = 0.0;
    double chan_washload_out_event = 0.0;
    double chan_washload_peak_event = 0.0; // m3/s
    double chan_wash_final = 0.0;
    double lake_washload_in_event = 0.0;
    double lake_washload_settled_event = 0.0;
    // Run totals of the channel and lake sediment routing (m3), read by the
    // end-of-run summaries and files.
    double chan_sand_initial_total = 0.0;
    double chan_sand_from_ov_total = 0.0;
    double chan_sand_out_total = 0.0;
    double chan_washload_out_total = 0.0;
    double lake_washload_in_total = 0.0;
    double lake_washload_settled_total = 0.0;
    dvec tot_lake_sand_in;           // per lake, entry 0 all lakes
    dvec tot_lake_depo_in;           // per lake, entry 0 all lakes
    dmat GLOBAL_SS_vol_lake_to_chan; // [lake][class], row 0 all lakes, class 0 all classes
    dmat GLOBAL_SS_vol_chan_to_lake;
    dmat GLOBAL_SS_vol_overland_to_lake;
    dmat GLOBAL_SS_vol_lake_settled;
    dcube qlat_tot_sed; // [node][link][class] lateral sediment into each node
    // Wash load (created by alloc_channel_sediment, sized for the run):
    // volume concentration per flat node and fine position, the wash load
    // leaving the outlet per fine position (m3/s, entry 0 the sum), the mass
    // concentration per flat node and class (mg/L, entry 0 the sum), and
    // the predictor-corrector work of chan_constituent_transport.
    dmat SS_node_conc_vol;
    dvec chan_wash_outlet;
    dmat chan_sed_conc;
    dmat advect_flux, temp_conc, temp_flux;
    dcube temp_mass;
};

// Overland sediment volumes of one cell or one size class (m3): a spare
// value, the net eroded volume (negative when eroded), the volume in
// suspension, the deposited volume and the volume routed through the outlet.
struct sed_tally {
    double spare = 0.0;
    double eroded = 0.0;
    double suspended = 0.0;
    double deposited = 0.0;
    double outlet = 0.0;
};

// Overland sediment work record, created by the sediment set-up when
// overland erosion is on; its arrays are released with it.
struct sediment_table {
    int num_classes = 0;
    // Per cell and size class, kept by the overland sediment routine:
    // sediment flux (classes 1..num_sed), volume and suspended sediment
    // (entry 0 read by the maps).
    dmat ov_qsmax;
    dmat ov_qsvol;
    dmat ov_qsconc;
    // Per-cell map buffers of MAX_SED_FLUX, NET_SED_VOLUME and VOL_SED_SUSP.
    dvec ov_qsmax_total;
    dvec ov_net_sed;
    dvec ov_conc;
    checked_array<file_rec> files;
    mat1<sed_tally> cell_tally;  // [cell][class]
    vec1<sed_tally> class_tally; // [class], summed over the cells by the event close
    ivec fine_class;             // size class of each fine (wash-load) class
    // Work of the overland sediment step, sized for the run's cells: the
    // water-surface slope toward the right and the lower neighbour and the
    // magnitude of the outflow (m3/s), kept from step to step.
    dvec ws_slope_x;
    dvec ws_slope_y;
    dvec q_out_mag;
    double last_outlet_vol = 0.0; // m3 of all classes that left through the outlet in the last step
};

// Clears every slot and empties the file-record array; returns the table.
sediment_table& sediment_table_construct(sediment_table& table);

// The six file records closed, the scalar switches 0, the nine names empty.
void sediment_block_construct(sediment_block& sed);
// Closes the six files, tss_loc_file first and sed_susp_file last.
void sediment_block_destroy(sediment_block& sed);
