// The processes that cards can switch on but whose steps, readers or
// writers are still empty (each marked TODO where it will live). One row per
// card or switch: the card as the user writes it, the process, and the test
// that the project asked for it. Remove a row when its process is built.
#include "core/pending_processes.h"

#include <array>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"

namespace
{

struct pending_process {
    const char* card;
    const char* process;
    bool (*asked)(const model_state&);
};

#define ON(expr) [](const model_state& s) { return static_cast<bool>(expr); }

const pending_process pending_table[] = {
    // Subsurface water: the other infiltration schemes of infiltration_step,
    // soil_et_step, groundwater_step, sacramento_step, conceptual_gw_step.
    {"GW_SIMULATION", "Saturated groundwater", ON(s.gw_simulation)},
    // Overland flow: the point-source inputs.
    {"OV_POINT_SOURCE", "Overland point sources", ON(s.cards.ov_point_source_given)},
    // Channels: channel_step.
    {"STREAM_LOSS", "Stream-aquifer exchange", ON(s.cards.stream_loss)},
    {"CHAN_MESH", "Mesh channel routing", ON(s.chan_mesh)},
    // Water quality: the sediment and contaminant steps, the nutrient module.
    // Erosion over land, in channels and into pipes is built; the second
    // overland scheme (classes carried as constituents) is not.
    {"SOIL_EROSION 11 to 16", "Soil erosion carried as overland constituents",
     ON(s.sed.soil_erosion && s.cards.soil_erosion > 9)},
    {"OV_CON_TRANS", "Overland contaminant transport", ON(s.cards.ov_con_trans)},
    {"CHAN_CON_TRANS", "Channel contaminant transport", ON(s.cards.chan_con_trans)},
    {"SOIL_CON_TRANS", "Soil contaminant transport", ON(s.cards.soil_con_trans)},
    {"SEDIMENT_CONTAM", "Sediment-bound contaminants", ON(s.cards.sediment_contam)},
    {"CONTAM_MAP", "Contaminant maps", ON(s.cards.contam_map_given)},
    {"NUTRIENTS", "The nutrient module", ON(s.cards.nutrients)},
    // Outputs: the point and link/node series of timeseries_output_step and
    // the end-of-run files.
    {"IN_GWFLUX_LOCATION", "Groundwater fluxes at selected locations", ON(s.cards.in_gwflux_location_given)},
    // Coupling: the host-environment exchange, the KZ segment coupling and
    // the XY outputs of nested models.
    {"QNT", "The host environment (QNT) exchange", ON(s.qnt_mode)},
    // The groundwater points of the XY boundaries need the saturated
    // groundwater step: apply_gw_xy_bdy is not called by it yet and no heads
    // are computed for XY_GW_HEAD outputs.
    {"XYBDYINPUT_GWHEAD", "XY groundwater boundary inputs",
     ON(s.gw_simulation && s.cards.xybdyinput_gwhead_given)},
    {"XYBDYINPUT_GWHEADINTERP", "XY groundwater boundary inputs",
     ON(s.gw_simulation && s.cards.xybdyinput_gwheadinterp_given)},
    {"XYBDYOUTPUT_GWHEAD", "XY groundwater head outputs",
     ON(s.gw_simulation && s.cards.xy_out.output_on && !s.cards.xy_out.gw_head_name.empty())},
};

#undef ON

// Overland boundary types whose treatment apply_ov_boundaries does not have
// yet.
struct pending_boundary {
    int type;
    const char* process;
};

// None at present: every type the table may give is applied.
const std::array<pending_boundary, 0> pending_boundaries{};

void stop_run()
{
    error_set(err_stop);
}

} // namespace

void refuse_pending_processes(model_state& s)
{
    for (const pending_process& p : pending_table) {
        if (!p.asked(s))
            continue;
        std::printf("%s (%s) is not available yet.\n", p.process, p.card);
        stop_run();
        return;
    }
}

void refuse_pending_boundary_types(model_state& s)
{
    if (!s.ov_boundary || s.boundary_type.size() < s.num_cells)
        return;
    for (int i = 1; i <= s.num_cells; ++i) {
        for (const pending_boundary& b : pending_boundaries) {
            if (s.boundary_type[i] != b.type)
                continue;
            std::printf("%s at cell %d (row %d, column %d) is not available yet.\n", b.process, i,
                        s.cell_row[i], s.cell_col[i]);
            stop_run();
            return;
        }
    }
}
