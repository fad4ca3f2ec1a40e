// The processes that cards can switch on but whose steps, readers or
// writers are still empty (each marked TODO where it will live, where it has
// a place). One row per card or switch: the card as the user writes it, the
// process, and the test that the project asked for it. Remove a row when its
// process is built.
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
    // Overland flow: the point-source inputs (nothing reads their file yet).
    {"OV_POINT_SOURCE", "Overland point sources", ON(s.cards.ov_point_source_given)},
    // Channels: the mesh scheme of channel_step.
    {"CHAN_MESH", "Mesh channel routing", ON(s.chan_mesh)},
    // Water quality: erosion over land, in channels and into pipes is built;
    // the second overland scheme (classes carried as constituents) is not.
    {"SOIL_EROSION 11 to 16", "Soil erosion carried as overland constituents",
     ON(s.sed.soil_erosion&& s.cards.soil_erosion > 9)},
    // Cards that name a process, a file or a variant that no step has: each
    // would otherwise be read and silently change nothing. A card is asked
    // for only where it would act (a blocked fraction above 0, a hotstart
    // being read, depth maps of a routed channel, snow routing).
    // Overland pumping: ov_pump_step walks a pump list that no reader fills.
    {"OV_PUMP", "Overland pumping", ON(s.cards.ov_pump_given)},
    {"LAKE_PUMP", "Lake pumping", ON(s.cards.lake_pump_given)},
    {"UNIF_AREA_REDUCTION", "Uniform area reduction",
     ON(s.cards.unif_area_reduction_given&& s.cards.unif_area_reduction > 0.0)},
    {"HOTSTART_IS_DEPTH", "Reading the channel hotstart as depths",
     ON(s.hotstart_is_depth&& s.chan_hotstart_read)},
    {"INCLUDE_CHANNEL_DEPTH", "Channel depths in the DEPTH maps",
     ON(s.include_channel_depth&& s.depth&& s.chan_explicit)},
    {"SNOW_REYNOLDS", "Flow under snow by its Reynolds number",
     ON(s.snow_reynolds&& s.long_term&& s.route_lat_snow)},
    // Files that no step writes (or reads): they have no layout.
    {"DAILY_OUTPUT", "The daily output file", ON(s.daily_output.daily_output)},
    {"SOURCEFILE", "The source file", ON(s.sourcefile)},
    {"CELL_HYDRO", "The cell hydrograph file", ON(!s.cards.cell_hydro.empty())},
    {"DIS_PROFILE", "Discharge profiles", ON(!s.cards.dis_profile.empty())},
    {"DIS_PROFILE_OUT", "Discharge profiles", ON(!s.cards.dis_profile_out.empty())},
    {"WAT_SURF_PROFILE", "Water-surface profiles", ON(!s.cards.wat_surf_profile.empty())},
    {"WAT_SURF_PROFILE_OUT", "Water-surface profiles", ON(!s.cards.wat_surf_profile_out.empty())},
    // Map formats are 0, 1 and 2 (4 is refused with its own message); 3
    // would write no fixed maps and the constituent maps as ASCII datasets.
    {"MAP_TYPE 3", "Map format 3", ON(s.run.map_type == 3)},
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

// Processes that only the inputs switch on (the channel file's lakes). None
// at present.
const std::array<pending_process, 0> pending_after_inputs{};

void stop_run()
{
    error_set(err_stop);
}

} // namespace

bool pending_processes_waived = false;

void refuse_pending_processes(model_state& s)
{
    if (pending_processes_waived)
        return;
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
    if (pending_processes_waived)
        return;
    for (const pending_process& p : pending_after_inputs) {
        if (!p.asked(s))
            continue;
        std::printf("%s (%s) is not available yet.\n", p.process, p.card);
        stop_run();
        return;
    }
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
