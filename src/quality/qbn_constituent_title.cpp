// Titles of the nutrient module's constituents, and the overland
// counterpart of each soil pool.
#include "quality/qbn_services.h"

#include <cstddef>

namespace
{

const char* const water_titles[] = {
    "Nitrite (NO2-)",
    "Nitrate (NO3-)",
    "Ammonium (NH4+)",
    "Organic Nitrogen (Organic N)",
    "Organic Phosphorous (Organic P)",
    "Dissolved Phosphorous (Dissolved P)",
    "Algae",
    "Carbonaceous Biochemical Oxygen Demand",
    "Dissolved Oxygen (O2)",
    "Dissolved Org. Carbon",
    "Dissolved Org. Carbon, Fraction Org. C.",
    "Dispersion coefficient",
};

const char* const soil_titles[] = {
    "Organic Active Carbon",
    "Organic Stable Carbon",
    "Ammonium (NH4+)",
    "Nitrate (NO3-)",
    "Organic Active Nitrogen",
    "Organic Fresh Nitrogen",
    "Organic Stable Nitrogen",
    "Mineral Active Phosphorus",
    "Mineral Solution Phosphorus",
    "Mineral Stable Phosphorus",
    "Organic Active Phosphorus",
    "Organic Fresh Phosphorus",
    "Organic Stable Phosphorus",
};

} // namespace

const int class_remap_table[qbn_remap_count] = {-1, -1, 2, 1, 3, -1, -1, -1, 5, -1, 4, -1, -1, 0};

int qbn_con_remap(int table, int position)
{
    // Nitrate, ammonium, organic N, organic P and dissolved P go to their
    // soil pools; the other water-column species have none.
    static const int pool_of_position[] = {-1, 3, 2, 4, 10, 8};
    constexpr int pools = sizeof pool_of_position / sizeof *pool_of_position;
    if (position < 0)
        return -1;
    if (table == 0)
        return position < qbn_remap_count ? class_remap_table[position] : -1;
    return position < pools ? pool_of_position[position] : -1;
}

void qbn_constituent_title(std::string& title, int index, int soil)
{
    const char* const* titles = soil ? soil_titles : water_titles;
    const std::size_t count =
        soil ? sizeof soil_titles / sizeof *soil_titles : sizeof water_titles / sizeof *water_titles;
    if (index >= 0 && static_cast<std::size_t>(index) < count)
        title = titles[index];
}

int qbn_con_remap(int first, int c, int table)
{
    const int p = c - first;
    if (first < 1 || p < 0 || p >= qbn_remap_count - 1 || table < 0 || table > 1)
        return c;
    const int e = qbn_con_remap(table, p);
    return e < 0 ? -1 : first + e;
}
