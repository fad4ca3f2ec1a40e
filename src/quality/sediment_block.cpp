#include "quality/sediment_block.h"

sediment_block::~sediment_block()
{
    sediment_block_destroy(*this);
}

void sediment_block_construct(sediment_block& sed)
{
    for (file_rec* f : {&sed.sed_susp_file, &sed.sed_flux_file, &sed.outlet_sed_file,
                        &sed.sed_hyd_loc_file, &sed.outlet_tss_file, &sed.tss_loc_file})
        file_rec_init(*f);
    sed.soil_erosion = 0;
    sed.erosion_method = 0;
    sed.sed_flag3 = 0;
    sed.adjust_channel_bed = 0;
    sed.water_temp = 0.0;
    sed.water_viscosity = 0.0;
    sed.sed_flag7 = 0;
    sed.num_sed = 0;
    sed.net_sed_volume = 0;
    sed.vol_sed_susp = 0;
    sed.max_sed_flux = 0;
    for (std::string& name : sed.sed_names) name.clear();
}

sediment_table& sediment_table_construct(sediment_table& table)
{
    table.num_classes = 0;
    table.ov_qsmax.reset();
    table.ov_qsvol.reset();
    table.ov_qsconc.reset();
    table.ov_qsmax_total.reset();
    table.ov_net_sed.reset();
    table.ov_conc.reset();
    table.cell_tally.reset();
    table.class_tally.reset();
    table.fine_class.reset();
    table.ws_slope_x.reset();
    table.ws_slope_y.reset();
    table.q_out_mag.reset();
    table.last_outlet_vol = 0.0;
    file_rec_array_destroy(table.files);
    return table;
}

void sediment_block_destroy(sediment_block& sed)
{
    for (file_rec* f : {&sed.tss_loc_file, &sed.outlet_tss_file, &sed.sed_hyd_loc_file,
                        &sed.outlet_sed_file, &sed.sed_flux_file, &sed.sed_susp_file})
        file_rec_release(*f);
}
