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
    bool and_after = false; // the rule holds for the later columns too
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
    {tc_ovr_flow_block, 1, bound::fraction, true},               // blocked fractions of cell and sides
    // Wetlands: initial and layer depths (mm) and the layer's conductivity
    // (mm/day); the transition depth divides the blend of the two laws and
    // the roughness Manning's law; then the surface conductivity; the
    // elevation offset (column 7) may take any sign.
    {tc_wetland_properties, 1, bound::not_negative, true},
    {tc_wetland_properties, 4, bound::above_zero},
    {tc_wetland_properties, 6, bound::above_zero},
    {tc_wetland_properties, 7, bound::none},
    // Contaminants: dispersion, decay and uptake rates, land mass,
    // groundwater, overland and soil concentrations (column 7 is unused).
    {tc_contaminant_transport, 1, bound::not_negative, true},
    {tc_contaminant_transport, 7, bound::none},
    // Erosion: splash, detachment and capacity coefficients (0 takes the
    // default), then one size fraction per sediment class.
    {tc_soil_erosion_props, 1, bound::not_negative},
    {tc_soil_erosion_props, 2, bound::not_negative},
    {tc_soil_erosion_props, 3, bound::not_negative},
    {tc_soil_erosion_props, 4, bound::not_negative},
    {tc_soil_erosion_props, 5, bound::not_negative},
    {tc_soil_erosion_props, 6, bound::fraction, true},
    // Nutrient concentrations, masses and sorption coefficients.
    {tc_qbn_n, 1, bound::not_negative, true},
    {tc_qbn_p, 1, bound::not_negative, true},
    {tc_qbn_c, 1, bound::not_negative, true},
    {tc_qbn_oth, 1, bound::not_negative, true},
    {tc_dispersion, 1, bound::not_negative, true},
    {tc_qbn_soil_c, 1, bound::not_negative, true},
    {tc_qbn_soil_n, 1, bound::not_negative, true},
    {tc_qbn_soil_p, 1, bound::not_negative, true},
    {tc_qbn_gw_n, 1, bound::not_negative, true},
    {tc_qbn_gw_p, 1, bound::not_negative, true},
    {tc_qbn_gw_oth, 1, bound::not_negative, true},
    {tc_qbn_soil_km, 1, bound::not_negative, true},
    {tc_qbn_soil_koc, 1, bound::not_negative, true},
};

} // namespace

const char* table_value_refusal(int code, int column, double value)
{
    if (!std::isfinite(value))
        return "a finite number";
    // The rule of the column itself comes first, then one that holds from an
    // earlier column on.
    const column_range* rule = nullptr;
    for (const column_range& r : ranges) {
        if (r.code != code)
            continue;
        if (r.column == column) {
            rule = &r;
            break;
        }
        if (r.and_after && r.column < column && (!rule || r.column > rule->column))
            rule = &r;
    }
    if (!rule)
        return nullptr;
    switch (rule->kind) {
    case bound::none: return nullptr;
    case bound::above_zero: return value > 0.0 ? nullptr : "above 0";
    case bound::not_negative: return value >= 0.0 ? nullptr : "0 or more";
    case bound::fraction: return value >= 0.0 && value <= 1.0 ? nullptr : "from 0 to 1";
    }
    return nullptr;
}
