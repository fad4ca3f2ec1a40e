#include "channel/channel_steps.h"

#include "channel/channel_input.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/reader_echo.h"

void setup_channels(model_state& s)
{
    if (!s.chan_explicit)
        return;
    reader_echo(s, echo_rule::normal,
                text_format("reading channel input data from file %s\n", s.channel_input_name.c_str()));
    s.chan_sediment = s.chan_sed_on;
    s.lake_gw_exchange = read_chan_input(s);
    if (error_state.code >= err_rating_curve_usage && error_state.code <= err_rule_curve_series)
        return;
    // The reader clears the channel sediment switch; it comes back here until
    // the sediment set-up below decides it.
    s.chan_sed_on = s.chan_sediment;
    // TODO: yp_max_flood, the channel sediment switch and alloc_channel_sediment.
    // TODO: lake_run_initial_volume and og_gwbound_type of networks with lakes.
    // TODO: chan_depth, area, area_old, conv, dconv, stdummy and topw.
    // TODO: chan_hotstart_load (channel depth hotstart).
    // TODO: nutrient stream and lake parts, alloc_channel_constituents.
    // TODO: locate_stream_bdy_linknodes for XY stream boundary points.
    // TODO: qriv, av_qriv and lake_source.
    // TODO: the channel sediment check.
    // TODO: location_list_read for the six output-location lists.
    // TODO: con_vect and qlat, grid_stream_setup with its lines, cconnect.
    // TODO: compute_sacramento_weights, compute_cgw_weights.
    // TODO: short_links_report and bad_thalweg_report.
}
