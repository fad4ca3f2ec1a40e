// The constituent sections of the event summary: the event mass balance
// of every constituent in the soil column, on the overland plane, in the
// channels and in the lakes (kg), each ending with its balance error.
#include <cstdio>
#include <string>

#include "core/model_state.h"
#include "output/state_access.h"
#include "output/summary_writers.h"
#include "quality/qbn_services.h"

namespace
{

constexpr int contaminant = 1; // constituent of the contaminant table
constexpr int nutrient = 2;    // water-column constituent of the nutrient module
constexpr int soil_pool = 3;   // soil-only pool of the nutrient module

int type_of(const model_state& s, int i)
{
    return s.constituent_type[i];
}

void dot(std::FILE* fp, const char* label, double value, int extra = 0)
{
    print_dot_line(fp, label, value, dot_format::two_decimals, extra);
}

void dot4(std::FILE* fp, const char* label, double value, int extra = 0)
{
    print_dot_line(fp, label, value, dot_format::four_decimals, extra);
}

// Titles of one section: a contaminant by its name, a nutrient constituent
// by its position after the first nutrient constituent the section meets.
class section_titles
{
  public:
    section_titles(const model_state& s, int soil) : s_(s), soil_(soil) {}

    std::string title(int i)
    {
        std::string t;
        if (type_of(s_, i) == contaminant) {
            if (i >= 0 && static_cast<std::size_t>(i) < s_.constituent_names.size())
                t = s_.constituent_names[static_cast<std::size_t>(i)];
            return t;
        }
        if (first_ == 0)
            first_ = i;
        qbn_constituent_title(t, i - first_, soil_);
        return t;
    }

  private:
    const model_state& s_;
    int soil_;
    int first_ = 0;
};

// Exfiltration mass of the overland counterpart of constituent i; a soil
// pool without one has none.
double counterpart_exfil(const model_state& s, int i)
{
    const int f = s.first_qbn_constituent;
    int m = i;
    if (f >= 1 && i >= f && i - f <= 12) {
        const int r = class_remap_table[i - f];
        if (r < 0)
            return 0.0;
        m = f + r;
    }
    return s.event_ov_exfil_mass[m];
}

// Surface-soil exchange of constituent i that the water has made but the
// soil step has not yet taken (kg, positive from the soil into the water):
// at an event's end it is still in the hand-over rows.
double exchange_in_transit(const model_state& s, int i)
{
    const row_array<double>& r = s.ov_soil_exch_mass;
    if (i > r.count)
        return 0.0;
    const int n = std::min(s.num_cells, r.width);
    double g = 0.0;
    for (int j = 1; j <= n; ++j)
        g += r[i][j];
    return g / 1000.0;
}

// Adds a two-way exchange to the side it feeds.
void add_exchange(double x, double& in, double& out)
{
    if (x > 0.0)
        in += x;
    else
        out -= x;
}

void soil_errors(model_state& s)
{
    for (int i = 1; i <= s.num_constituents; ++i) {
        const int type = type_of(s, i);
        double in = s.event_soil_mass_init[i] + s.event_soil_infil_mass[i] + s.event_soil_gw_in_mass[i] +
                    s.event_soil_neg_mass[i];
        double out = s.soil_mass_final[i] + s.event_soil_gw_out_mass[i];
        if (s.water_table && (type == nutrient || type == soil_pool))
            out += counterpart_exfil(s, i);
        else if (s.water_table)
            out += s.event_soil_exfil_mass[i];
        if (s.contam_table_read && type == contaminant) {
            out += s.event_soil_decay_mass[i] + s.event_soil_to_ov_mass[i];
            in += s.event_ov_to_soil_mass[i];
        }
        if (s.nutrients && (type == nutrient || type == soil_pool)) {
            out += s.event_soil_to_ov_mass[i];
            in += s.event_ov_to_soil_mass[i];
        }
        if (s.sediment_contam)
            add_exchange(s.event_soil_sed_mass[i], in, out);
        s.soil_mass_error[i] = balance_error_pct(in, out, 1e-16);
    }
}

void overland_errors(model_state& s)
{
    for (int i = 1; i <= s.num_constituents; ++i) {
        const int type = type_of(s, i);
        if (type == soil_pool) {
            s.OV_MASS_ERROR[i] = 0.0;
            continue;
        }
        // Negative masses set to zero added that much to the water.
        double in = s.event_ov_point_mass[i] + s.event_ov_mass_init[i] + s.event_ov_precip_mass[i] +
                    s.event_ov_neg_mass[i];
        if (s.water_table)
            in += s.event_ov_exfil_mass[i];
        double out = s.event_ov_infil_mass[i] + s.OV_MASS_FINAL[i];
        if (s.contam_table_read && type == contaminant) {
            out += s.event_ov_decay_mass[i];
            if (s.soil_con_trans) {
                out += s.event_ov_to_soil_mass[i];
                in += s.event_soil_to_ov_mass[i];
                add_exchange(exchange_in_transit(s, i), in, out);
            } else {
                in += s.event_ov_uptake_mass[i];
            }
        }
        // What leaves sorbed to sediment never was dissolved: the dissolved
        // phase meets it only through the sediment source term.
        out += s.chan_explicit ? s.event_ov_qlat_mass[i] : s.event_ov_mass_out[i];
        if (s.chan_lakes)
            out += value_at(s.lake_ov_mass_event, i);
        if (s.sediment_contam)
            add_exchange(s.event_ov_sed_source_mass[i], in, out);
        if (s.nutrients && type == nutrient) {
            out += s.event_ov_qbn_loss_mass[i];
            in += s.event_ov_qbn_gain_mass[i];
            if (s.soil_con_trans) {
                out += s.event_ov_decay_mass[i];
                in += s.event_ov_uptake_mass[i];
            }
        }
        s.OV_MASS_ERROR[i] = balance_error_pct(in, out, 1e-16);
    }
}

void channel_and_lake_errors(model_state& s, int i)
{
    const bool lakes = s.chan_lakes != 0;
    double in = value_at(s.chan_point_mass_event, i) + value_at(s.chan_initial_dissolved_event, i) +
                value_at(s.chan_ov_mass_event, i) + value_at(s.chan_gw_mass_event, i);
    double out = value_at(s.chan_decay_mass_event, i) + value_at(s.chan_final_dissolved, i) +
                 value_at(s.chan_outlet_flux_event, i) + value_at(s.chan_clip_mass_event, i);
    if (lakes) {
        in += value_at(s.lake_outlet_mass_event, i);
        out += value_at(s.chan_to_lake_mass_event, i) + value_at(s.lake_chan_exchange_event, i);
    }
    if (s.sediment_contam)
        add_exchange(value_at(s.chan_sed_exchange_event, i), in, out);
    if (double* e = slot_at(s.chan_contam_error, i))
        *e = balance_error_pct(in, out, 0.0);
    if (!lakes)
        return;

    in = value_at(s.lake_initial_dissolved_event, i) + value_at(s.lake_precip_mass_event, i) +
         value_at(s.chan_to_lake_mass_event, i) + value_at(s.lake_ov_mass_event, i) +
         value_at(s.lake_gw_mass_event, i) + value_at(s.lake_chan_exchange_event, i);
    if (s.sediment_contam)
        in += value_at(s.event_lake_sed_contam_source_mass, i);
    out = value_at(s.lake_outlet_mass_event, i) + value_at(s.lake_final_dissolved_event, i) +
          value_at(s.lake_decay_mass_event, i) + value_at(s.lake_clip_mass_event, i);
    if (double* e = slot_at(s.lake_contam_error, i))
        *e = balance_error_pct(in, out, 0.0);
}

void soil_section(model_state& s, std::FILE* fp)
{
    section_titles titles(s, 1);
    for (int i = 1; i <= s.num_constituents; ++i) {
        const int type = type_of(s, i);
        const bool qbn = type == nutrient || type == soil_pool;
        std::fprintf(fp, "\n\n");
        std::fprintf(fp, "Soil Contaminant Transport Summary for %s \n", titles.title(i).c_str());
        std::fprintf(fp, "\n");
        dot(fp, "Initial Mass in Soil Column", s.event_soil_mass_init[i]);
        dot(fp, "Final Mass in Soil Column", s.soil_mass_final[i], 1);
        dot(fp, "Mass added by infiltration", s.event_soil_infil_mass[i], 1);
        if (s.water_table)
            dot(fp, "Exfiltration mass loss", counterpart_exfil(s, i));
        dot(fp, "Mass seepage to water table", s.event_soil_gw_out_mass[i]);
        if (s.water_table)
            dot(fp, "Mass seepage from water table", s.event_soil_gw_in_mass[i]);
        if (s.contam_table_read && type == contaminant) {
            dot(fp, "Soil decay mass", s.event_soil_decay_mass[i]);
            dot(fp, "Surface water exchange from soil", s.event_soil_to_ov_mass[i]);
            dot(fp, "Surface water exchange to soil", s.event_ov_to_soil_mass[i]);
        }
        if (s.nutrients && qbn) {
            dot(fp, "QBN surface water exchange from soil", s.event_soil_to_ov_mass[i]);
            dot(fp, "QBN surface water exchange to soil", s.event_ov_to_soil_mass[i]);
        }
        if (s.sediment_contam)
            dot(fp, "Sediment eroded(-)/deposited(+)", s.event_soil_sed_mass[i]);
        std::fprintf(fp, "\n");
        dot4(fp, "Soil mass balance error", s.soil_mass_error[i]);
        if (s.soil_static_conc)
            std::fprintf(fp, "When using static soil concentrations, mass balance errors represent implied "
                             "additions to soil top layer \n");
    }
}

void overland_section(model_state& s, std::FILE* fp)
{
    section_titles titles(s, 0);
    for (int i = 1; i <= s.num_constituents; ++i) {
        const int type = type_of(s, i);
        if (type != contaminant && type != nutrient)
            continue;
        std::fprintf(fp, "\n \n");
        std::fprintf(fp, "Overland Contaminant Transport Summary for %s \n", titles.title(i).c_str());
        std::fprintf(fp, "Amounts are total mass for event in (Kg) \n \n");
        dot(fp, "Initial Dissolved Mass on Overland", s.event_ov_mass_init[i]);
        dot(fp, "Final Dissolved Mass on Overland", s.OV_MASS_FINAL[i]);
        if (s.sediment_contam) {
            dot(fp, "Final attached to susp seds", s.ov_sed_attached_mass[i]);
            dot(fp, "Final total (attached+dissolved)", s.ov_total_mass[i]);
        }
        std::fprintf(fp, "\n");
        if (!s.soil_con_trans && s.contam_table_read) {
            dot(fp, "Initial undissolved mass", s.event_ov_land_mass[i]);
            dot(fp, "Final undissolved mass", s.OV_LAND_MASS_FINAL[i]);
            std::fprintf(fp, "\n");
        }
        dot(fp, "Point source mass gain", s.event_ov_point_mass[i]);
        if (s.water_table)
            dot(fp, "Exfiltration gain", s.event_ov_exfil_mass[i]);
        dot(fp, "Precipitation gain", s.event_ov_precip_mass[i]);
        if (s.contam_table_read && type == contaminant)
            dot(fp, "Uptake from soil", s.event_ov_uptake_mass[i]);
        if (s.nutrients && s.soil_con_trans && type == nutrient)
            dot(fp, "Uptake from soil (QBN)", s.event_ov_uptake_mass[i]);
        if (type == nutrient)
            dot4(fp, "Gained from QBN kinetics", s.event_ov_qbn_gain_mass[i]);
        std::fprintf(fp, "\n");
        dot(fp, "Infiltration", s.event_ov_infil_mass[i]);
        if (s.chan_explicit)
            dot(fp, "Lateral flow to streams", s.event_ov_qlat_mass[i]);
        else
            dot(fp, "Outlet flux", s.event_ov_mass_out[i]);
        if (s.contam_table_read && type == contaminant)
            dot(fp, "Decay loss", s.event_ov_decay_mass[i]);
        if (type == nutrient)
            dot4(fp, "Loss to QBN kinetics", s.event_ov_qbn_loss_mass[i]);
        if (s.chan_lakes)
            dot(fp, "Flux to lake", value_at(s.lake_ov_mass_event, i));
        dot(fp, "Negative mass", s.event_ov_neg_mass[i]);
        if (s.sediment_contam) {
            dot(fp, "Sediment source", s.event_ov_sed_source_mass[i]);
            std::fprintf(fp, "\n");
            if (s.chan_explicit)
                dot(fp, "Attached entering channels", value_at(s.chan_qlat_mass_event, i));
            else
                dot(fp, "Attached exiting outlet", s.event_sed_out_mass[i]);
            if (s.chan_lakes)
                dot(fp, "Attached entering lakes", value_at(s.event_ov_lake_sed_contam_mass, i));
        }
        std::fprintf(fp, "\n");
        dot4(fp, "Dissolved mass balance error", s.OV_MASS_ERROR[i]);
    }
    std::fprintf(fp, "\n");
}

void lake_part(model_state& s, std::FILE* fp, int j, const std::string& title)
{
    std::fprintf(fp, "Lake Contaminant Transport Summary for %s \n", title.c_str());
    std::fprintf(fp, "Amounts are total mass for event (Kg) \n \n");
    std::fprintf(fp, "Dissolved State Mass Balance...\n");
    dot(fp, "Initial Dissolved in Lakes", value_at(s.lake_initial_dissolved_event, j));
    dot(fp, "Final Dissolved in Lakes", value_at(s.lake_final_dissolved_event, j));
    std::fprintf(fp, "\n");
    dot(fp, "Precip", value_at(s.lake_precip_mass_event, j));
    dot(fp, "Inflow", value_at(s.chan_to_lake_mass_event, j));
    dot(fp, "Lake/chan exchange", value_at(s.lake_chan_exchange_event, j));
    dot(fp, "Overland flux", value_at(s.lake_ov_mass_event, j));
    dot(fp, "Point source", value_at(s.lake_point_mass_event, j));
    dot(fp, "Groundwater flux", value_at(s.lake_gw_mass_event, j), 1);
    dot(fp, "Outflow", value_at(s.lake_outlet_mass_event, j));
    dot(fp, "Dissolved decay loss", value_at(s.lake_decay_mass_event, j));
    dot(fp, "Removed when negative", value_at(s.lake_clip_mass_event, j));
    if (s.sediment_contam)
        dot(fp, "Exchange with attached", value_at(s.event_lake_sed_contam_source_mass, j));
    std::fprintf(fp, "\n");
    dot4(fp, "Dissolved mass balance error", value_at(s.lake_contam_error, j));
    if (s.sediment_contam) {
        std::fprintf(fp, "\n");
        dot(fp, "Overland inflow", value_at(s.event_ov_lake_sed_contam_mass, j));
        dot(fp, "Channel inflow", value_at(s.event_chan_lake_sed_contam_mass, j));
        dot(fp, "Exchange with dissolved", value_at(s.event_lake_sed_contam_source_mass, j));
        dot(fp, "Settled", value_at(s.event_lake_settled_sed_mass, j));
        dot(fp, "Attached to suspended sed", value_at(s.lake_attached_final, j));
    }
    std::fprintf(fp, "\n");
    const double* mass = row_of(s.lake_mass, j, s.num_lakes);
    const double* conc = row_of(s.lake_conc, j, s.num_lakes);
    for (int k = 1; k <= s.num_lakes; ++k) {
        std::fprintf(fp, "Final Mass in lake %ld =        %14.2lf \n", static_cast<long>(k),
                     mass ? mass[k] / 1000.0 : 0.0);
        std::fprintf(fp, "Final Conc in lake (mg/L) %ld = %14.2lf \n \n", static_cast<long>(k),
                     conc ? conc[k] : 0.0);
    }
}

void channel_section(model_state& s, std::FILE* fp)
{
    section_titles titles(s, 0);
    const bool lakes = s.chan_lakes != 0;
    for (int j = 1; j <= s.num_constituents; ++j) {
        const int type = type_of(s, j);
        if (type != contaminant && type != nutrient)
            continue;
        channel_and_lake_errors(s, j);
        const std::string title = titles.title(j);
        std::fprintf(fp, "\n \n");
        std::fprintf(fp, "Channel Contaminant Transport Summary for %s \n", title.c_str());
        std::fprintf(fp, "Amounts are total for event in (Kg) \n \n");
        std::fprintf(fp, "Dissolved State Mass Balance... \n \n");
        dot(fp, "Initial Dissolved Mass in Channels", value_at(s.chan_initial_dissolved_event, j));
        dot(fp, "Final Dissolved Mass in Channels", value_at(s.chan_final_dissolved, j), 1);
        dot(fp, "Mass gain from overland", value_at(s.chan_ov_mass_event, j));
        dot(fp, "Point source mass gain", value_at(s.chan_point_mass_event, j));
        if (type == nutrient)
            dot4(fp, "Mass gained in QBN kinetics", value_at(s.chan_qbn_gained_event, j), 1);
        if (lakes) {
            dot(fp, "Flow from lake to channel", value_at(s.lake_outlet_mass_event, j));
            dot(fp, "Exchange with lakes (-)", value_at(s.lake_chan_exchange_event, j));
        }
        if (s.stream_loss)
            dot(fp, "Groundwater net mass gain(+)/loss(-)", value_at(s.chan_gw_mass_event, j));
        if (s.sediment_contam)
            dot(fp, "Exhange with sediments", value_at(s.chan_sed_exchange_event, j));
        if (lakes)
            dot(fp, "Flows to lake", value_at(s.chan_to_lake_mass_event, j));
        dot(fp, "Outlet mass flux", value_at(s.chan_outlet_flux_event, j));
        if (s.contam_table_read && type == contaminant)
            dot(fp, "Mass decay loss", value_at(s.chan_decay_mass_event, j));
        if (type == nutrient)
            dot4(fp, "Mass lost in QBN kinetics", value_at(s.chan_qbn_lost_event, j));
        dot(fp, "Removed at dry or negative nodes", value_at(s.chan_clip_mass_event, j));
        std::fprintf(fp, "\n");
        dot4(fp, "Contam mass balance error", value_at(s.chan_contam_error, j));
        std::fprintf(fp, "\n");
        if (s.sediment_contam) {
            std::fprintf(fp, "Contaminants Attached to Sediment Mass Balance...\n \n");
            dot(fp, "Lateral flow into channels", value_at(s.chan_qlat_mass_event, j));
            dot(fp, "Exiting watershed", value_at(s.chan_outlet_mass_event, j));
            dot(fp, "Exchange with dissolved", value_at(s.chan_sed_exchange_event, j));
            dot(fp, "Attached to suspended sed", value_at(s.chan_attached_final, j));
            if (lakes)
                dot(fp, "Attached entering lakes", value_at(s.event_chan_lake_sed_contam_mass, j));
            dot4(fp, "Total (dissolved+attached)", value_at(s.chan_total_mass_event, j));
            std::fprintf(fp, "\n");
        }
        if (lakes)
            lake_part(s, fp, j, title);
    }
    std::fprintf(fp, "\n");
}

} // namespace

void write_event_quality_summary(model_state& s, std::FILE* fp)
{
    if (s.soil_con_trans)
        soil_errors(s);
    if (s.ov_con_trans)
        overland_errors(s);
    if (s.soil_con_trans)
        soil_section(s, fp);
    if (s.ov_con_trans)
        overland_section(s, fp);
    if (s.chan_con_trans)
        channel_section(s, fp);
    write_event_sediment_summary(s, fp);
}
