// The option summary closing every event summary in the run summary file:
// the inputs read, the processes simulated, the maps and the ASCII files
// written, one line per switch that is on.
#include <cstdio>

#include "core/model_state.h"
#include "output/output_steps.h"

namespace
{

void line_if(std::FILE* fp, bool on, const char* text)
{
    if (on)
        std::fprintf(fp, "%s", text);
}

} // namespace

void write_option_summary(model_state& s)
{
    std::FILE* fp = s.summary_file.fp;
    if (!fp)
        return;
    std::fprintf(fp, "\n THE FOLLOWING INPUTS WERE READ:\n");
    std::fprintf(fp, "A VKS Project File was used.\n");
    line_if(fp, s.float_maps_flag, "Floating point GRASS maps were read.\n");
    line_if(fp, s.in_hyd_location_given, "Locations where discharge hydrographs are to be written.\n");
    line_if(fp, s.in_gwflux_location_given, "Point stream/groundwater fluxes were written.\n");
    line_if(fp, s.in_celldepdis_location_given, "cell depth, discharge were written.\n");

    std::fprintf(fp, "\n THE FOLLOWING PROCESSES WERE SIMULATED:\n");
    line_if(fp, s.chan_explicit, "Explicit diffusive-wave channel routing.\n");
    line_if(fp, s.chan_drain, "This was a channel initialation run using the DRAIN method.\n");
    line_if(fp, s.trapezoid_sections, "Trapezoidal cross-sections with Preissmann slots were simulated.\n");
    line_if(fp, s.lookup_sections, "Look-up table cross-sections with Preissmann slots were simulated.\n");
    line_if(fp, s.lookup_table_read, "Look-up table data were read.\n");
    line_if(fp, s.interception, "Interception losses.\n");
    line_if(fp, s.roughness_given, "Distributed overland roughness.\n");
    line_if(fp, s.manning_n_given, "Uniform overland roughness.\n");
    // The mapping table sets moisture_given on its own; the moisture is used
    // only by an infiltration method.
    const bool infiltration = s.green_ampt || s.inf_redist || s.inf_layered_soil || s.inf_richards;
    line_if(fp, s.moisture_given && infiltration, "Distributed initial soil moisture.\n");
    line_if(fp, s.chan_lakes, "Lakes were simulated.\n");
    line_if(fp, s.reten_depth_given, "Spatially varied retention.\n");
    line_if(fp, s.retention_given, "Uniform retention depth.\n");
    line_if(fp, s.inf_redist, "Infiltration with redistribution.\n");
    line_if(fp, s.green_ampt, "Green & Ampt infiltration.\n");
    line_if(fp, s.inf_richards, "Infiltration by Richards Eq.\n");
    line_if(fp, s.inf_layered_soil, "G&A Infiltration through layered soils.\n");
    line_if(fp, s.sed.soil_erosion, "Overland soil erosion.\n");
    line_if(fp, s.chan_sed_on, "Sediment transport in channels using Yang's eqn. for sand.\n");
    line_if(fp, s.sacramento, "Base flow using the Sacramento Soil Moisture Accounting Model.\n");

    std::fprintf(fp, "\n THE FOLLOWING OUTPUT MAPS WERE WRITTEN EVERY %d TIMESTEP(S):\n", s.map_freq_steps);
    line_if(fp, s.map_type_grids, "Floating point GRASS output maps were written.\n");
    line_if(fp, s.inf_redist, "Soil surface moisture maps were output.\n");
    line_if(fp, s.inf_redist, "Infiltration rate maps were output.\n");
    line_if(fp, s.map_dataset, "ASCII VKS maps of:\n");
    line_if(fp, s.map_binary, "BINARY VKS maps of:\n");
    line_if(fp, s.depth, "     overland flow depth.\n");
    line_if(fp, s.discharge, "     discharge.\n");
    line_if(fp, s.chan_discharge_given, "     discharge in channels.\n");
    line_if(fp, s.dis_rain, "     distributed rainfall rate.\n");
    line_if(fp, s.inf_depth_map, "     distributed infiltration depth.\n");
    line_if(fp, s.rate_of_infil, "     distributed infiltration rate.\n");
    line_if(fp, s.surf_moist, "     distributed surface moisture.\n");
    line_if(fp, s.gw_recharge_cum, "     groundwater recharge cumulative.\n");
    line_if(fp, s.gw_recharge_inc, "     groundwater recharge incremental.\n");
    line_if(fp, s.chan_depth_given, "     channel depth.\n");
    line_if(fp, s.chan_discharge_given, "     channel discharge.\n");
    line_if(fp, s.sed.net_sed_volume, "     net volume of erosion/deposition.\n");
    line_if(fp, s.sed.vol_sed_susp, "     suspended sediment volume.\n");
    line_if(fp, s.sed.max_sed_flux, "     sediment flux.\n");
    line_if(fp, s.chan_sed_flux_given, "      channel sediment flux.\n");

    std::fprintf(fp, "\n THE FOLLOWING ASCII OUTPUT FILES WERE WRITTEN TO EVERY %d TIMESTEP(S):\n",
                 s.hyd_freq_steps);
    std::fprintf(fp, "     hydrograph at the catchment outlet.\n");
    line_if(fp, s.in_hyd_location_given, "     hydrographs at selected locations.\n");
    line_if(fp, s.sed.soil_erosion, "     sediment outflow at the catchment outlet.\n");
    line_if(fp, s.sed_hyd_locations_on, "     sediment hydrographs at selected locations.\n");
    line_if(fp, s.superlink_junc_flow_given, "Flows to/from selected superjunctions.\n");
    line_if(fp, s.superlink_node_flow_given, "Flows to/from selected superlink nodes.\n");
    line_if(fp, s.in_gwflux_location_given, "Stream/groundwater exchange fluxes.\n");
}
