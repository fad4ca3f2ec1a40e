#include "input/series_lists.h"

std::vector<time_series> time_series_list;
std::vector<ts_index_entry> ts_index_list;
std::vector<elev_series> elev_series_list;

void ts_free_all()
{
    std::vector<ts_index_entry>().swap(ts_index_list);
    std::vector<time_series>().swap(time_series_list);
}

void elev_series_free_all()
{
    std::vector<elev_series>().swap(elev_series_list);
}
