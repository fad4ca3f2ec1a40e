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
}

void sediment_block_destroy(sediment_block& sed)
{
    for (file_rec* f : {&sed.tss_loc_file, &sed.outlet_tss_file, &sed.sed_hyd_loc_file,
                        &sed.outlet_sed_file, &sed.sed_flux_file, &sed.sed_susp_file})
        file_rec_release(*f);
}
