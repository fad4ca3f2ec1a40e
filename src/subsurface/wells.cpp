#include "subsurface/wells.h"

std::vector<well_rec> well_list;
std::vector<well_rec> well_table_list;

void wells_free()
{
    std::vector<well_rec>().swap(well_list);
    std::vector<well_rec>().swap(well_table_list);
}
