#include <cstdio>
#include <string>

#include "channel/chan_file.h"
#include "channel/chan_point_input.h"
#include "core/julian.h"
#include "core/error_state.h"
#include "core/model_state.h"

void chan_point_input_setup(model_state& s)
{
    s.chan_point_on = 0;
    s.chan_point_count = s.chan_point_nperiods = s.chan_source_periods_read = 0;
    s.chan_point_next_time = 0.0;
    if (!file_rec_open(s.chan_point_file, s.chan_point_input_name, "r")) {
        // A named file that cannot be read stops the run rather than running
        // without its inflows.
        std::printf("Can't open %s to read channel point source input file \n",
                    s.chan_point_input_name.c_str());
        std::printf("There will be no point inputs to the channel file \n");
        chan_stop();
        return;
    }
    s.chan_point_on = 1;
    s.chan_routing_active = 1;
    s.chan_point_q.assign(s.link_node_cells + 1, 0.0);
    if (s.num_constituents > 0)
        s.chan_point_conc.assign(s.num_constituents, s.link_node_cells + 1, 0.0);
    if (s.chan_con_trans)
        s.chan_point_vol.assign(s.link_node_cells, 0.0);
    std::string ended;
    const int r = chan_source_header_read(s, &ended);
    if (r == 1) {
        // Every record is read once now, so that a fault stops the run
        // before its first step rather than at the record's date.
        if (!chan_source_records_check(s))
            return;
        const int* d = s.chan_point_date;
        s.chan_point_next_time = julian_date(d[0], d[1], d[2], d[3], d[4], 0.0);
    } else if (r == -1) {
        std::printf("Unexpected end of file in chan point data file.\n");
        std::printf("Check the format of the data file.\nProgram terminated.");
        std::printf("\nError in the channel point input file %s: %s.\n", s.chan_point_file.name.c_str(),
                    ended.c_str());
        chan_stop();
    } else if (!run_stopped()) {
        // No dated records: nothing may follow the POINT lines and NRPDS.
        char word[64];
        if (s.chan_point_nperiods == 0 && std::fscanf(s.chan_point_file.fp, "%63s", word) == 1) {
            std::printf("Error in the channel point input file %s: \"%s\" follows NRPDS 0, which announces no "
                        "records.\n",
                        s.chan_point_file.name.c_str(), word);
            chan_stop();
        }
    }
}
