#include "output/linknode_writers.h"

namespace
{

const char* const kind_words[32] = {
    "TORVA_LINKNODE_STREAM_DEPTH",   "TORVA_LINKNODE_STREAM_FLOW",
    "TORVA_LINKNODE_STREAM_STAGE",   "TORVA_LINKNODE_STREAM_VELOCITY",
    "TORVA_LINKNODE_FLOOD_STREAM_DEPTH", "TORVA_LINKNODE_SUPERLINK_FLOW",
    "TORVA_LINKNODE_SUPERLINK_HEAD", "TORVA_LINKNODE_SUPERLINK_TILE_FLOW",
    "TORVA_LINKNODE_NO2_MASS",       "TORVA_LINKNODE_NO3_MASS",
    "TORVA_LINKNODE_NH4_MASS",       "TORVA_LINKNODE_ON_MASS",
    "TORVA_LINKNODE_OP_MASS",        "TORVA_LINKNODE_DP_MASS",
    "TORVA_LINKNODE_ALG_MASS",       "TORVA_LINKNODE_CBOD_MASS",
    "TORVA_LINKNODE_DO_MASS",        "TORVA_LINKNODE_NO2_CONC",
    "TORVA_LINKNODE_NO3_CONC",       "TORVA_LINKNODE_NH4_CONC",
    "TORVA_LINKNODE_ON_CONC",        "TORVA_LINKNODE_OP_CONC",
    "TORVA_LINKNODE_DP_CONC",        "TORVA_LINKNODE_ALG_CONC",
    "TORVA_LINKNODE_CBOD_CONC",      "TORVA_LINKNODE_DO_CONC",
    "TORVA_LINKNODE_MASS",           "TORVA_LINKNODE_CONCENTRATION",
    "TORVA_LINKNODE_TOTAL_NITROGEN", "TORVA_LINKNODE_TOTAL_KJELDAHL_NITROGEN",
    "TORVA_LINKNODE_TOTAL_PHOSPHORUS", "TORVA_LINKNODE_STREAM_SED_FLUX",
};

void no_value(std::FILE* fp) { std::fprintf(fp, "0  -999.999   "); }

template <class Table>
void write_step(std::FILE* fp, int links, const ivec& valued, const ivec* entries, const ivec& ltype,
                int step, const Table& first, const Table* second, int mode, const ivec& lake_of_link,
                lake_values_view lake_values)
{
    std::fprintf(fp, "TS    %d\n", step);
    for (int i = 1; i <= links; ++i) {
        const int type = ltype[i];
        if (type & 32) {
            const int lake = i <= lake_of_link.size() ? lake_of_link[i] : 0;
            if (mode == 0 || lake < 1 || lake > lake_values.size())
                no_value(fp);
            else
                std::fprintf(fp, "-1 %6.5lf   ", lake_values[lake]);
        }
        if (type & 64) {
            if (mode == 0)
                std::fprintf(fp, "-2  %6.5lf   ", first[1][i]);
            else
                no_value(fp);
        }
        if (type & (4 | 8 | 16)) {
            const int nv = valued[i];
            const int count = entries ? (*entries)[i] : nv;
            std::fprintf(fp, "%d   ", count);
            for (int j = 1; j <= count; ++j) {
                if (entries && j > nv) {
                    no_value(fp);
                    continue;
                }
                double v = first[j][i];
                if (mode == 1 || (!entries && mode != 0)) {
                    v = first[j][i] - (*second)[j][i];
                } else if (mode == 2) {
                    const double d = (*second)[j][i];
                    v = d > 1e-7 ? first[j][i] / d : 0.0;
                }
                std::fprintf(fp, "1  %6.5lf   ", v);
            }
        }
        std::fprintf(fp, "\n");
    }
    std::fprintf(fp, "\n");
}

} // namespace

void write_linknode_header(std::FILE* fp, int kind, int links, int time_step, int num_steps, int day, int month,
                           int year, int hour, int minute)
{
    if (kind >= 0 && kind <= 31)
        std::fprintf(fp, "%s\n", kind_words[kind]);
    std::fprintf(fp, "NUM_LINKS     %d\n", links);
    std::fprintf(fp, "TIME_STEP     %d\n", time_step);
    std::fprintf(fp, "NUM_TS        %d\n", num_steps);
    std::fprintf(fp, "START_TIME    %2d %2d %4d %2d %2d %2d\n", day, month, year, hour, minute, 0);
}

void write_linknode_step(std::FILE* fp, int links, const ivec& valued, const ivec* entries, const ivec& ltype,
                         int step, const dnode_mat& first, const dnode_mat* second, int mode,
                         const ivec& lake_of_link, lake_values_view lake_values)
{
    write_step(fp, links, valued, entries, ltype, step, first, second, mode, lake_of_link, lake_values);
}

void write_linknode_step(std::FILE* fp, int links, const ivec& valued, const ivec* entries, const ivec& ltype,
                         int step, const dmat& first, const dmat* second, int mode, const ivec& lake_of_link,
                         lake_values_view lake_values)
{
    write_step(fp, links, valued, entries, ltype, step, first, second, mode, lake_of_link, lake_values);
}
