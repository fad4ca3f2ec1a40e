// The sediment block of the model state, the sediment totals and the
// overland sediment work record.
#pragma once

#include <memory>
#include <string>

#include "core/arrays.h"
#include "core/containers.h"
#include "core/file_rec.h"

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
    dvec new_bel;
    dvec org_bel;
};

// Overland sediment work record, created by the sediment set-up when
// overland erosion is on; its arrays are released with it.
struct sediment_table {
    int num_classes = 0;
    dvec ov_qsvol;
    checked_array<file_rec> files;
};

// Clears every slot and empties the file-record array; returns the table.
sediment_table& sediment_table_construct(sediment_table& table);

// The six file records closed, the scalar switches 0, the nine names empty.
void sediment_block_construct(sediment_block& sed);
// Closes the six files, tss_loc_file first and sed_susp_file last.
void sediment_block_destroy(sediment_block& sed);
