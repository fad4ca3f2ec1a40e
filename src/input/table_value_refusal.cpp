// Allowed ranges of the value columns of the mapping tables. A column not
// listed takes any finite number (the row reader refuses the rest).
#include <cmath>

#include "input/mapping_table.h"

namespace
{

enum class bound { none, above_zero, not_negative, fraction };

struct column_range {
    int code;
    int column;
    bound kind;
};

const column_range ranges[] = {
    {tc_roughness, 1, bound::above_zero},                        // Manning n
    {tc_interception, 1, bound::not_negative},                   // storage capacity
    {tc_interception, 2, bound::not_negative},                   // coefficient
    {tc_retention, 1, bound::not_negative},                      // depth, mm
    {tc_green_ampt_infiltration, 1, bound::not_negative},        // saturated conductivity
    {tc_green_ampt_infiltration, 3, bound::fraction},            // porosity
    {tc_green_ampt_infiltration, 4, bound::not_negative},        // pore-size index
    {tc_green_ampt_infiltration, 5, bound::fraction},            // residual saturation
    {tc_green_ampt_infiltration, 7, bound::fraction},            // wilting point
    {tc_green_ampt_initial_soil_moisture, 1, bound::fraction},   // moisture content
    {tc_evapotranspiration, 1, bound::fraction},                 // albedo
    {tc_evapotranspiration, 2, bound::not_negative},             // vegetation height
    {tc_evapotranspiration, 3, bound::not_negative},             // transmission coefficient
    {tc_evapotranspiration, 4, bound::not_negative},             // canopy resistance
    {tc_groundwater, 1, bound::not_negative},                    // hydraulic conductivity
    {tc_groundwater, 2, bound::fraction},                        // porosity
    {tc_area_reduction, 1, bound::fraction},                     // area fraction
    {tc_ovr_flow_block, 1, bound::fraction},                     // blocked fraction
};

} // namespace

const char* table_value_refusal(int code, int column, double value)
{
    if (!std::isfinite(value))
        return "a finite number";
    for (const column_range& r : ranges) {
        if (r.code != code || r.column != column)
            continue;
        switch (r.kind) {
        case bound::none: return nullptr;
        case bound::above_zero: return value > 0.0 ? nullptr : "above 0";
        case bound::not_negative: return value >= 0.0 ? nullptr : "0 or more";
        case bound::fraction: return value >= 0.0 && value <= 1.0 ? nullptr : "from 0 to 1";
        }
    }
    return nullptr;
}
