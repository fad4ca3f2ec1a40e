#include <cstdio>

#include "channel/chan_file.h"
#include "channel/chan_point_input.h"
#include "core/julian.h"
#include "core/model_state.h"

namespace
{

double date_time(const int* d)
{
    return julian_date(d[0], d[1], d[2], d[3], d[4], 0.0);
}

} // namespace

bool chan_source_records_check(model_state& s)
{
    std::FILE* fp = s.chan_point_file.fp;
    const long start = std::ftell(fp);
    // The records are read here once and again at their dates: what they
    // change is put back afterwards.
    const dvec q = s.chan_point_q;
    const dmat conc = s.chan_point_conc;
    int first[5];
    for (int k = 0; k < 5; ++k)
        first[k] = s.chan_point_date[k];
    const int m = s.chan_point_nperiods;
    const std::string& name = s.chan_point_file.name;

    bool ok = true;
    double last = date_time(first);
    for (int r = 1; r <= m && ok; ++r) {
        s.chan_source_periods_read = r;
        const int got = chan_source_period_read(s);
        if (got == -1) {
            std::printf("Unexpected end of file in chan point data file.\n");
            std::printf("Check the format of the data file.\nProgram terminated.");
            std::printf(
                "\nError in the channel point input file %s: it ends inside record %d of the %d its NRPDS "
                "card announces.\n",
                name.c_str(), r, m);
            chan_stop();
            ok = false;
        } else if (got == 0) {
            ok = r == m; // the last record, or a refusal already reported
        } else {
            const int* d = s.chan_point_date;
            const double t = date_time(d);
            if (t <= last) {
                std::printf("Error in the channel point input file %s, the INPUT line of record %d: its date "
                            "%04d-%02d-%02d %02d:%02d is not after that of record %d.\n",
                            name.c_str(), r + 1, d[0], d[1], d[2], d[3], d[4], r);
                chan_stop();
                ok = false;
            }
            last = t;
        }
    }
    char word[64];
    if (ok && std::fscanf(fp, "%63s", word) == 1) {
        std::printf("Error in the channel point input file %s: \"%s\" follows the last of its %d records.\n",
                    name.c_str(), word, m);
        chan_stop();
        ok = false;
    }
    std::fseek(fp, start, SEEK_SET);
    s.chan_point_q = q;
    s.chan_point_conc = conc;
    for (int k = 0; k < 5; ++k)
        s.chan_point_date[k] = first[k];
    s.chan_source_periods_read = 0;
    return ok;
}
