// The end-of-run constituent summaries: per constituent the run's mass
// balance in the soil column, on the overland plane, in the channels, in
// the perennial lakes and over the whole watershed (kg), each ending with
// its balance error in percent. The final masses measured here stay in the
// model state.
#include <cstdio>
#include <string>

#include "core/model_state.h"
#include "output/output_steps.h"
#include "output/state_access.h"
#include "output/summary_writers.h"
#include "quality/qbn_services.h"

namespace
{

constexpr int contaminant = 1; // constituent of the contaminant table
constexpr int nutrient = 2;    // water-column constituent of the nutrient module
constexpr int soil_pool = 3;   // soil-only pool of the nutrient module

// Entry k of a run total, or 0 when the total was never allocated.
double value_at(const checked_array<double>& a, int k)
{
    return k >= 1 && k <= a.cap ? a[k] : 0.0;
}

// Sum over the cells of row k of a per-cell mass array in grams, in kg (0
// when the row does not exist), added in cell order.
double row_total_kg(const model_state& s, const row_array<double>& a, int k)
{
    const double* row = row_of(a, k, s.num_cells);
    double g = 0.0;
    if (row)
        for (int m = 1; m <= s.num_cells; ++m)
            g += row[m];
    return g / 1000.0;
}

// Surface-soil exchange of constituent k that the water has booked but the
// soil step has not yet taken (kg, positive from the soil into the water):
// at the run's end it is still in the hand-over rows.
double exchange_in_transit(const model_state& s, int k)
{
    return row_total_kg(s, s.ov_soil_exch_mass, k);
}

// Mass handed into the soil row of constituent k by infiltration that the
// soil step has not yet taken (kg).
double inflow_in_transit(const model_state& s, int k)
{
    return row_total_kg(s, s.soil_con_inflow, k);
}

// A nutrient slot holds a water species and a soil pool that are different
// species: infiltration hands the water's mass to another slot's pool and
// the surface exchange gives a pool's mass to another slot's water.
bool nutrient_slot(const model_state& s, int k)
{
    const int type = s.constituent_type[k];
    return s.nutrients && s.soil_con_trans && (type == nutrient || type == soil_pool);
}

// Mass the nutrient pools gave to the water of constituent k that the water
// step has not yet taken in (kg).
double pool_gift_in_transit(const model_state& s, int k)
{
    return row_total_kg(s, s.soil_exch_cell_mass, k);
}

// Mass of constituent k between the land and the soil at the run's end (kg):
// what infiltration and the exchange handed down and the exfiltration handed
// up after the soil step's last call, and, negative, what the water took
// from the soil by the exchange while the soil still holds it. The one side
// has booked it and the other not yet, so the watershed still holds it once.
// A nutrient species' water also holds what the pools gave it that the
// water step has not yet taken in.
double hand_overs_in_transit(const model_state& s, int k)
{
    const double* up = s.water_table ? row_of(s.soil_con_work, k, s.num_cells) : nullptr;
    double g = 0.0;
    if (up)
        for (int m = 1; m <= s.num_cells; ++m)
            g += up[m];
    g = inflow_in_transit(s, k) + g / 1000.0 - exchange_in_transit(s, k);
    return nutrient_slot(s, k) ? g + pool_gift_in_transit(s, k) : g;
}

// Infiltration loss of constituent k's water (kg), with what the water
// step has taken but not yet booked into the run total.
double water_infiltrated(const model_state& s, int k)
{
    return s.OV_INFIL_MASS[k] + value_at(s.ov_infil_dmt, k) / 1000.0;
}

// A nutrient water species without a soil pool: what soaks in leaves the
// system with the soil water.
bool leaves_by_infiltration(const model_state& s, int k)
{
    return nutrient_slot(s, k) && s.constituent_type[k] == nutrient &&
           qbn_con_remap(1, k - s.first_qbn_constituent) < 0;
}

// Net mass that came into nutrient slot k from other slots across the land
// surface (kg): what its pool received by infiltration and its water was
// given by the pools, less what its water handed to a pool by infiltration
// and its pool gave to the water, each whether taken or still in transit.
double nutrient_hand_overs(const model_state& s, int k)
{
    const double received = s.soil_infil_mass[k] + inflow_in_transit(s, k) + s.OV_UPTAKE_MASS[k] +
                            value_at(s.ov_uptake_dmt, k) / 1000.0 + pool_gift_in_transit(s, k);
    const double handed = leaves_by_infiltration(s, k) ? 0.0 : water_infiltrated(s, k);
    return received - handed - s.qbn_uptake_mass[k] - exchange_in_transit(s, k);
}

// Adds a two-way exchange to the side it feeds.
void add_exchange(double x, double& in, double& out)
{
    if (x > 0.0)
        in += x;
    else
        out -= x;
}

std::string contaminant_name(const model_state& s, int k)
{
    if (k >= 0 && static_cast<std::size_t>(k) < s.constituent_names.size())
        return s.constituent_names[static_cast<std::size_t>(k)];
    return std::string();
}

// A nutrient constituent is titled by its place after the first nutrient
// constituent (the first soil-only pool when there is no water species).
std::string qbn_title(int k, int first, int soil)
{
    std::string t;
    qbn_constituent_title(t, k - first, soil);
    return t;
}

void soil_block(model_state& s, std::FILE* fp, int& first)
{
    std::fprintf(fp, "Soil Contaminant Transport Summary \n \n");
    const int layers = s.soil_con_layers;
    for (int k = 1; k <= s.num_constituents; ++k) {
        const int type = s.constituent_type[k];
        for (int m = 1; m <= s.num_cells; ++m)
            for (int j = 1; j <= layers; ++j) {
                const double kg = value_at(s.soil_mass, k, m, j) / 1000.0;
                s.soil_mass_final[k] += kg;
                s.GLOBAL_MASS_FINAL[k] += kg;
            }
        s.GLOBAL_MASS_FINAL[k] += hand_overs_in_transit(s, k);
        const bool qbn = s.nutrients && (type == nutrient || type == soil_pool);
        // Negative layer masses set to zero added that much to the soil.
        double in = s.OV_LAND_MASS_INIT[k] + s.soil_infil_mass[k] + s.soil_gw_in_mass[k] +
                    value_at(s.soil_neg_mass_run, k);
        double out = s.soil_mass_final[k] + s.soil_gw_out_mass[k];
        if (s.water_table)
            out += s.soil_exfil_mass[k];
        // The uptake is the water's booking of the exchange; what the soil
        // has not yet given up is still in its final mass.
        if (s.contam_table_read && type == contaminant)
            out += s.soil_decay_mass[k] + s.OV_UPTAKE_MASS[k] - exchange_in_transit(s, k);
        if (qbn)
            out += s.qbn_uptake_mass[k] + s.soil_decay_mass[k];
        if (s.sediment_contam)
            add_exchange(s.soil_sed_mass[k], in, out);
        s.soil_mass_error[k] = balance_error_pct(in, out, 1e-6);

        std::fprintf(fp, "\n \n");
        if (type == contaminant)
            std::fprintf(fp, "Soil Constituent Transport Summary for %s \n", contaminant_name(s, k).c_str());
        else if (type == nutrient || type == soil_pool)
            std::fprintf(fp, "Soil Constituent Transport Summary for %s \n",
                         qbn_title(k, first > 0 ? first : k, 1).c_str());
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Initial Mass in Soil Column   %14.2lf \n", s.OV_LAND_MASS_INIT[k]);
        std::fprintf(fp, "Final Mass in Soil Column     %14.2lf \n \n", s.soil_mass_final[k]);
        std::fprintf(fp, "Mass added by infiltration    %14.2lf \n", s.soil_infil_mass[k]);
        std::fprintf(fp, "Mass seepage up from GW       %14.2lf \n \n", s.soil_gw_in_mass[k]);
        if (s.contam_table_read && type == contaminant) {
            std::fprintf(fp, "Uptake from soil              %14.2lf \n", s.OV_UPTAKE_MASS[k]);
            std::fprintf(fp, "Soil decay mass               %14.2lf \n", s.soil_decay_mass[k]);
        }
        if (qbn) {
            std::fprintf(fp, "Uptake from soil (QBN)        %14.2lf \n", s.qbn_uptake_mass[k]);
            std::fprintf(fp, "QBN decay mass               %14.2lf \n", s.soil_decay_mass[k]);
        }
        if (s.water_table)
            std::fprintf(fp, "Exfiltration mass loss        %14.2lf \n", s.soil_exfil_mass[k]);
        std::fprintf(fp, "Mass seepage down to GW       %14.2lf \n \n", s.soil_gw_out_mass[k]);
        if (s.sediment_contam)
            std::fprintf(fp, "Sediment eroded(-)/deposited  %14.2lf \n \n", s.soil_sed_mass[k]);
        std::fprintf(fp, "Soil mass balance error       %14.4lf \n", s.soil_mass_error[k]);
        if (s.soil_static_conc)
            std::fprintf(fp, "When using static soil concentrations, mass balance errors represent implied "
                             "additions to soil top layer \n");
        std::fprintf(fp, "\n");
        if (first == 0 && (type == nutrient || type == soil_pool))
            first = k;
    }
}

// The dissolved mass is each cell's booked mass, as at the event close: a
// channel cell's concentration times its depth misses what the channel
// step took after the last mass step, whose mass the next mass step books.
void overland_final_masses(model_state& s)
{
    for (int k = 1; k <= s.num_constituents; ++k) {
        const double* mass = row_of(s.ov_mass, k, s.num_cells);
        const double* land = row_of(s.land_mass, k, s.num_cells);
        for (int m = 1; m <= s.num_cells; ++m) {
            if (!(s.chan_lakes && value_at(s.lake_mask, m) != 0) && mass) {
                const double kg = mass[m] / 1000.0;
                s.OV_MASS_FINAL[k] += kg;
                s.GLOBAL_MASS_FINAL[k] += kg;
            }
            const double land_kg = land ? land[m] / 1000.0 : 0.0;
            if (!s.soil_con_trans)
                s.GLOBAL_MASS_FINAL[k] += land_kg;
            s.OV_LAND_MASS_FINAL[k] += land_kg;
        }
        // The mass attached to the sediment still suspended over the land,
        // summed over the classes as the event close sums it (outside the
        // perennial lakes), with what channel cells' deposits hold for the
        // channels; without channels the attached outflow left the system.
        if (s.sediment_contam) {
            double attached = 0.0;
            const double* laid = row_of(s.sed_con_chan_deposit, k, s.num_cells);
            for (int m = 1; m <= s.num_cells; ++m) {
                if (s.chan_lakes && value_at(s.lake_mask, m) != 0)
                    continue;
                for (int c = 1; c <= s.sed.num_sed; ++c)
                    attached +=
                        value_at(s.sed_con_class, k, m, c) * value_at(s.ov_sed_vol_susp, m, c) / 1000.0;
                if (laid)
                    attached += laid[m] / 1000.0;
            }
            s.ov_sed_attached_mass[k] = attached;
            s.GLOBAL_MASS_FINAL[k] += attached;
            if (!s.chan_explicit)
                s.GLOBAL_MASS_OUT[k] += s.sed_out_mass[k];
        }
    }
}

void overland_block(model_state& s, std::FILE* fp, int first)
{
    std::fprintf(fp, "\n\n *************   Overland Transport Summaries   **************** \n\n");
    overland_final_masses(s);
    for (int k = 1; k <= s.num_constituents; ++k) {
        const int type = s.constituent_type[k];
        const bool decays = s.contam_table_read && type == contaminant;
        const bool qbn = s.nutrients && type == nutrient;
        // Negative masses set to zero added that much to the water.
        double in =
            s.OV_POINT_MASS[k] + s.OV_MASS_INIT[k] + s.OV_PRECIP_MASS[k] + value_at(s.ov_neg_mass_run, k);
        if (s.water_table)
            in += s.OV_EXFIL_MASS[k];
        double out = s.OV_INFIL_MASS[k] + s.OV_MASS_FINAL[k];
        if (decays || qbn) {
            if (s.OV_UPTAKE_MASS[k] > 1e-16)
                in += s.OV_UPTAKE_MASS[k];
            else
                out -= s.OV_UPTAKE_MASS[k];
        }
        if (!s.chan_explicit)
            out += s.OV_MASS_OUT[k];
        if (decays)
            out += s.OV_MASS_DECAY[k];
        if (s.chan_explicit)
            out += s.OV_QLAT_MASS[k];
        if (s.chan_lakes)
            out += value_at(s.lake_ov_mass_total, k);
        if (qbn) {
            out += s.ov_qbn_loss_mass[k];
            in += s.ov_qbn_gain_mass[k];
        }
        if (s.sediment_contam)
            add_exchange(s.ov_sed_source_mass[k], in, out);
        s.OV_MASS_ERROR[k] = balance_error_pct(in, out, 1e-16);
        if (type == soil_pool)
            continue;

        std::fprintf(fp, "\n\n");
        if (type == contaminant)
            std::fprintf(fp, "Overland Constituent Transport Summary for Constituent %5d (%s)\n", k,
                         contaminant_name(s, k).c_str());
        else if (type == nutrient)
            std::fprintf(fp, "Overland Constituent Transport Summary for %s \n",
                         qbn_title(k, first > 0 ? first : k, 0).c_str());
        std::fprintf(fp, "Amounts are total for simulations in (Kg) \n \n");
        std::fprintf(fp, "Initial Dissolved mass on ov  %14.2lf \n", s.OV_MASS_INIT[k]);
        std::fprintf(fp, "Final Dissolved mass on ov    %14.2lf \n", s.OV_MASS_FINAL[k]);
        std::fprintf(fp, "\n");
        if (!s.soil_con_trans) {
            std::fprintf(fp, "Initial undissolved mass      %14.2lf \n", s.OV_LAND_MASS_INIT[k]);
            std::fprintf(fp, "Final undissolved mass        %14.2lf \n", s.OV_LAND_MASS_FINAL[k]);
            std::fprintf(fp, "\n");
        }
        std::fprintf(fp, "Point source mass gain        %14.2lf \n", s.OV_POINT_MASS[k]);
        if (s.water_table)
            std::fprintf(fp, "Exfiltration mass gain        %14.2lf \n", s.OV_EXFIL_MASS[k]);
        std::fprintf(fp, "Precipitation mass gain       %14.2lf \n", s.OV_PRECIP_MASS[k]);
        if (decays || qbn)
            std::fprintf(fp, "Uptake from soil              %14.2lf \n", s.OV_UPTAKE_MASS[k]);
        if (s.sediment_contam)
            std::fprintf(fp, "Sediment source               %14.2lf \n", s.ov_sed_source_mass[k]);
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Mass loss to infiltration     %14.2lf \n", s.OV_INFIL_MASS[k]);
        if (s.chan_explicit)
            std::fprintf(fp, "Mass loss to stream           %14.2lf \n", s.OV_QLAT_MASS[k]);
        std::fprintf(fp, "Outlet mass flux              %14.2lf \n", s.OV_MASS_OUT[k]);
        if (decays)
            std::fprintf(fp, "Mass decay loss on overland   %14.2lf \n", s.OV_MASS_DECAY[k]);
        if (qbn) {
            std::fprintf(fp, "Mass gained from QBN kinetics   %14.4lf \n", s.ov_qbn_gain_mass[k]);
            std::fprintf(fp, "Mass lost to QBN kinetics       %14.4lf \n", s.ov_qbn_loss_mass[k]);
        }
        if (s.chan_lakes)
            std::fprintf(fp, "Lateral flow to lake          %14.2lf \n", value_at(s.lake_ov_mass_total, k));
        std::fprintf(fp, "\n");
        if (s.sediment_contam) {
            std::fprintf(fp, "Attached to susp sediments    %14.2lf \n", s.ov_sed_attached_mass[k]);
            if (s.chan_explicit)
                std::fprintf(fp, "Attached entering streams     %14.2lf \n",
                             value_at(s.chan_qlat_mass_total, k));
            else
                std::fprintf(fp, "Attached exiting watershed    %14.2lf \n", s.sed_out_mass[k]);
        }
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Contam mass balance error       %14.4lf percent \n", s.OV_MASS_ERROR[k]);
    }
}

void lake_block(model_state& s, std::FILE* fp, int k)
{
    const int type = s.constituent_type[k];
    double in = value_at(s.lake_initial_mass_total, k) + value_at(s.chan_to_lake_mass_total, k) +
                value_at(s.lake_point_mass_total, k) + value_at(s.lake_ov_mass_total, k) +
                value_at(s.lake_precip_mass_total, k) + value_at(s.lake_chan_exchange_total, k);
    if (s.calc_loss.size() > 0)
        in += value_at(s.lake_gw_mass_total, k);
    // Mass the routing took from lakes that went negative is booked as
    // removed (negative: what it added).
    double out = value_at(s.lake_outlet_mass_total, k) + value_at(s.lake_final_mass_run, k) +
                 value_at(s.lake_clip_mass_total, k);
    if (s.contam_table_read && type == contaminant)
        out += value_at(s.lake_decay_mass_total, k);
    // What the lakes' water gave to (-) or took from (+) their sediment.
    if (s.sediment_contam)
        add_exchange(value_at(s.LAKE_SED_CONTAM_SOURCE_MASS, k), in, out);
    const double error = balance_error_pct(in, out, 0.0);

    std::fprintf(fp, "\n \n");
    std::fprintf(fp, "Lake Contaminant Transport Summary for Constituent %5ld \n", static_cast<long>(k));
    std::fprintf(fp, "Amounts are total for simulations in (Kg) \n \n");
    std::fprintf(fp, "Initial Mass in Lakes         %14.2lf \n", value_at(s.lake_initial_mass_total, k));
    std::fprintf(fp, "Final Mass in Lakes           %14.2lf \n \n", value_at(s.lake_final_mass_run, k));
    std::fprintf(fp, "Mass gain from overland       %14.2lf \n", value_at(s.lake_ov_mass_total, k));
    std::fprintf(fp, "Mass channel trib inflow      %14.2lf \n", value_at(s.chan_to_lake_mass_total, k));
    std::fprintf(fp, "Mass lake outlet flow         %14.2lf \n", value_at(s.lake_outlet_mass_total, k));
    std::fprintf(fp, "Lake chan exchange mass       %14.2lf \n", value_at(s.lake_chan_exchange_total, k));
    std::fprintf(fp, "Point source mass gain        %14.2lf \n", value_at(s.lake_point_mass_total, k));
    std::fprintf(fp, "Groundwater mass gain/loss    %14.2lf \n \n", value_at(s.lake_gw_mass_total, k));
    std::fprintf(fp, "Precip mass flux              %14.2lf \n", value_at(s.lake_precip_mass_total, k));
    std::fprintf(fp, "Mass decay loss               %14.2lf \n", value_at(s.lake_decay_mass_total, k));
    std::fprintf(fp, "Removed when negative         %14.2lf \n \n", value_at(s.lake_clip_mass_total, k));
    if (s.sediment_contam)
        std::fprintf(fp, "Exchange with sediment        %14.2lf \n \n",
                     value_at(s.LAKE_SED_CONTAM_SOURCE_MASS, k));
    std::fprintf(fp, "Contam mass balance error       %14.4lf percent \n \n", error);
    if (s.sediment_contam) {
        std::fprintf(fp, "Attached\n");
        std::fprintf(fp, "Overland inflow               %14.2lf \n", value_at(s.OV_LAKE_SED_CONTAM_MASS, k));
        std::fprintf(fp, "Channel inflow                %14.2lf \n",
                     value_at(s.CHAN_LAKE_SED_CONTAM_MASS, k));
        std::fprintf(fp, "Exchange with dissolved       %14.2lf \n",
                     -value_at(s.LAKE_SED_CONTAM_SOURCE_MASS, k));
        std::fprintf(fp, "Settled                       %14.2lf \n", value_at(s.LAKE_SETTLED_SED_MASS, k));
        std::fprintf(fp, "Final suspended               %14.2lf \n \n", value_at(s.lake_attached_final, k));
    }
    const int lakes = s.num_lakes;
    const double* mass = row_of(s.lake_mass, k, lakes);
    const double* conc = row_of(s.lake_conc, k, lakes);
    for (int l = 1; l <= lakes; ++l) {
        std::fprintf(fp, "Final Mass in lake %ld = %14.2lf \n", static_cast<long>(l),
                     mass ? mass[l] / 1000.0 : 0.0);
        std::fprintf(fp, "Final Conc in lake %ld = %14.2lf \n \n", static_cast<long>(l),
                     conc ? conc[l] : 0.0);
    }
}

void channel_block(model_state& s, std::FILE* fp, int first)
{
    std::fprintf(fp, "\n\n *************   Channel Transport Summaries   **************** \n\n");
    for (int k = 1; k <= s.num_constituents; ++k) {
        const int type = s.constituent_type[k];
        const bool decays = s.contam_table_read && type == contaminant;
        const bool qbn = s.nutrients && type == nutrient;
        double in = value_at(s.chan_point_mass_total, k) + value_at(s.chan_initial_mass_total, k) +
                    value_at(s.chan_ov_mass_total, k) + value_at(s.chan_gw_mass_total, k);
        // Mass taken from nodes that dried or went negative is booked as
        // removed.
        double out = value_at(s.chan_outlet_flux_total, k) + value_at(s.chan_final_dissolved, k) +
                     value_at(s.chan_clip_mass_total, k);
        if (s.chan_lakes) {
            in += value_at(s.lake_outlet_mass_total, k);
            out += value_at(s.chan_to_lake_mass_total, k) + value_at(s.lake_chan_exchange_total, k);
        }
        if (decays)
            out += value_at(s.chan_decay_mass_total, k);
        if (qbn) {
            in += value_at(s.chan_qbn_gained_total, k);
            out += value_at(s.chan_qbn_lost_total, k);
            if (s.chan_lakes) {
                in += value_at(s.lake_qbn_gained_total, k);
                out += value_at(s.lake_qbn_lost_total, k);
            }
        }
        if (s.sediment_contam)
            add_exchange(value_at(s.chan_sed_exchange_total, k), in, out);
        const double error = balance_error_pct(in, out, 1e-16);
        if (double* e = slot_at(s.chan_contam_error, k))
            *e = error;

        std::fprintf(fp, "\n \n");
        if (type == contaminant)
            std::fprintf(fp, "Channel Contaminant Transport Summary for Contaminant %5d \n", k);
        else if (type == nutrient)
            std::fprintf(fp, "Channel Contaminant Transport Summary for %s \n",
                         qbn_title(k, first > 0 ? first : k, 0).c_str());
        std::fprintf(fp, "Amounts are total for simulations in (Kg) \n \n");
        std::fprintf(fp, "Dissolved\n");
        std::fprintf(fp, "Initial Mass in Channels      %14.2lf \n", value_at(s.chan_initial_mass_total, k));
        std::fprintf(fp, "Final Mass in Channels        %14.2lf \n \n", value_at(s.chan_final_dissolved, k));
        std::fprintf(fp, "Mass gain from overland       %14.2lf \n", value_at(s.chan_ov_mass_total, k));
        std::fprintf(fp, "Point source mass gain        %14.2lf \n", value_at(s.chan_point_mass_total, k));
        if (s.chan_lakes)
            std::fprintf(fp, "Flux from lake                %14.2lf \n",
                         value_at(s.lake_outlet_mass_total, k));
        if (s.stream_loss)
            std::fprintf(fp, "Groundwater mass gain/loss    %14.2lf \n \n",
                         value_at(s.chan_gw_mass_total, k));
        std::fprintf(fp, "Outlet mass flux              %14.2lf \n", value_at(s.chan_outlet_flux_total, k));
        if (decays)
            std::fprintf(fp, "Mass decay loss               %14.2lf \n",
                         value_at(s.chan_decay_mass_total, k));
        if (qbn) {
            std::fprintf(fp, "Mass gained from QBN kinetics   %14.6lf \n",
                         value_at(s.chan_qbn_gained_total, k));
            std::fprintf(fp, "Mass lost to QBN kinetics       %14.6lf \n",
                         value_at(s.chan_qbn_lost_total, k));
        }
        if (s.chan_lakes) {
            std::fprintf(fp, "Flux to lake                  %14.2lf \n",
                         value_at(s.chan_to_lake_mass_total, k));
            std::fprintf(fp, "Exchange with lake            %14.2lf \n",
                         value_at(s.lake_chan_exchange_total, k));
        }
        if (s.sediment_contam)
            std::fprintf(fp, "Exchange with sediment        %14.2lf \n",
                         value_at(s.chan_sed_exchange_total, k));
        std::fprintf(fp, "Removed at dry or neg. nodes  %14.2lf \n", value_at(s.chan_clip_mass_total, k));
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Dissolved mass balance error       %14.4lf percent \n", error);
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Attached\n");
        if (s.sediment_contam) {
            std::fprintf(fp, "Lateral flow into channels    %14.2lf \n", value_at(s.chan_qlat_mass_total, k));
            std::fprintf(fp, "Final suspended               %14.2lf \n", value_at(s.chan_attached_final, k));
            std::fprintf(fp, "Exchange with dissolved       %14.2lf \n",
                         -value_at(s.chan_sed_exchange_total, k));
            std::fprintf(fp, "Exiting outlet                %14.2lf \n",
                         value_at(s.chan_outlet_mass_total, k));
            if (s.chan_lakes)
                std::fprintf(fp, "Attached entering lakes       %14.2lf \n",
                             value_at(s.CHAN_LAKE_SED_CONTAM_MASS, k));
        }
        std::fprintf(fp, "\n");
        if (s.chan_lakes)
            lake_block(s, fp, k);
    }
}

void global_block(model_state& s, std::FILE* fp, int first)
{
    std::fprintf(fp, "\n\n *************   Global Transport Summaries   **************** \n\n");
    for (int k = 1; k <= s.num_constituents; ++k) {
        const int type = s.constituent_type[k];
        const bool decays = s.contam_table_read && type == contaminant;
        const bool qbn = s.nutrients && type == nutrient;
        // Each nutrient's own net kinetic gain, not a sum carried over the
        // species before it.
        double g = 0.0;
        // The clips of negative masses added mass on the land and in the soil.
        double in = s.GLOBAL_MASS_INIT[k] + s.GLOBAL_POINT_SOURCE[k] + s.global_precip_mass[k] +
                    value_at(s.ov_neg_mass_run, k) +
                    (s.soil_con_trans ? value_at(s.soil_neg_mass_run, k) : 0.0);
        // With the attached mass the emptying at an event start took from
        // the channel nodes.
        const double removed = value_at(s.chan_clip_mass_total, k) + value_at(s.lake_clip_mass_total, k) +
                               value_at(s.chan_attached_clip_total, k);
        double out = s.GLOBAL_MASS_OUT[k] + s.GLOBAL_MASS_FINAL[k] + removed;
        if (decays)
            out += s.GLOBAL_MASS_DECAY[k];
        if (qbn) {
            in += s.ov_qbn_gain_mass[k];
            out += s.ov_qbn_loss_mass[k];
            g += s.ov_qbn_gain_mass[k] - s.ov_qbn_loss_mass[k];
            if (s.chan_qbn_gained_total.size() > 0) {
                in += value_at(s.chan_qbn_gained_total, k);
                out += value_at(s.chan_qbn_lost_total, k);
                g += value_at(s.chan_qbn_gained_total, k) - value_at(s.chan_qbn_lost_total, k);
            }
        }
        if (s.chan_explicit && (s.water_table || s.stream_loss)) {
            if (s.GLOBAL_GW_MASS[k] > 0.0) {
                in += s.GLOBAL_GW_MASS[k];
            } else {
                out -= s.GLOBAL_GW_MASS[k];
                s.GLOBAL_MASS_OUT[k] -= s.GLOBAL_GW_MASS[k];
            }
        }
        if (s.soil_con_trans) {
            in += s.soil_gw_in_mass[k];
            // The nutrient species move between slots at the land surface.
            if (nutrient_slot(s, k))
                add_exchange(nutrient_hand_overs(s, k), in, out);
            if (leaves_by_infiltration(s, k)) {
                out += water_infiltrated(s, k);
                s.GLOBAL_MASS_OUT[k] += water_infiltrated(s, k);
            }
        } else {
            if (s.water_table)
                in += s.OV_EXFIL_MASS[k];
            out += s.OV_INFIL_MASS[k];
            s.GLOBAL_MASS_OUT[k] += s.OV_INFIL_MASS[k];
        }
        // Channels and lakes that carry no constituents: what the land sent
        // them left the system.
        if (s.ov_con_trans && !s.chan_con_trans) {
            double gone = s.chan_explicit ? s.OV_QLAT_MASS[k] : 0.0;
            if (s.chan_lakes)
                gone += value_at(s.lake_ov_mass_total, k);
            out += gone;
            s.GLOBAL_MASS_OUT[k] += gone;
        }
        s.GLOBAL_MASS_CON_ERROR[k] = balance_error_pct(in, out, 0.0);

        std::fprintf(fp, "\n \n");
        if (type == contaminant)
            std::fprintf(fp, "Contaminant Transport Global Summary for Contaminant %5d \n", k);
        else if (type == nutrient)
            std::fprintf(fp, "Contaminant Transport Global Summary for %s \n",
                         qbn_title(k, first > 0 ? first : k, 0).c_str());
        else if (type == soil_pool) // a soil-only pool, titled as in the soil block
            std::fprintf(fp, "Contaminant Transport Global Summary for %s \n",
                         qbn_title(k, first > 0 ? first : k, 1).c_str());
        std::fprintf(fp, "Amounts are total for simulations in (Kg) \n \n");
        std::fprintf(fp, "Total initial mass            %14.2lf \n", s.GLOBAL_MASS_INIT[k]);
        std::fprintf(fp, "Total final Mass              %14.2lf \n \n", s.GLOBAL_MASS_FINAL[k]);
        std::fprintf(fp, "Point source inputs           %14.2lf\n", s.GLOBAL_POINT_SOURCE[k]);
        std::fprintf(fp, "Precipitation inputs          %14.2lf \n", s.global_precip_mass[k]);
        std::fprintf(fp, "Flux from GW to streams       %14.2lf \n", s.GLOBAL_GW_MASS[k]);
        if (s.soil_con_trans)
            std::fprintf(fp, "Soil mass in from groundwater %14.2lf \n \n", s.soil_gw_in_mass[k]);
        std::fprintf(fp, "Total mass out of system      %14.2lf \n \n", s.GLOBAL_MASS_OUT[k]);
        if (decays)
            std::fprintf(fp, "Mass decay loss               %14.2lf \n", s.GLOBAL_MASS_DECAY[k]);
        if (qbn)
            std::fprintf(fp, "QBN gain/loss                 %14.2lf \n", g);
        if (s.chan_con_trans)
            std::fprintf(fp, "Removed in channels and lakes %14.2lf \n", removed);
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Contam mass balance error       %14.4lf percent \n", s.GLOBAL_MASS_CON_ERROR[k]);
    }
}

// First constituent of the nutrient module's water species, else of its
// soil-only pools (0 when there is none yet).
int first_of_type(const model_state& s, int type)
{
    for (int k = 1; k <= s.num_constituents; ++k)
        if (s.constituent_type[k] == type)
            return k;
    return 0;
}

} // namespace

void write_final_constituent_summary(model_state& s)
{
    std::FILE* fp = s.summary_file.fp;
    if (!s.con_any || !fp)
        return;
    // The lake and channel masses are already in GLOBAL_MASS_FINAL (the run
    // end measures it afresh); the land surface and soil add theirs here.
    for (int k = 1; k <= s.num_constituents; ++k) {
        s.OV_MASS_FINAL[k] = 0.0;
        s.OV_LAND_MASS_FINAL[k] = 0.0;
        if (s.soil_con_trans)
            s.soil_mass_final[k] = 0.0;
    }
    int first = first_of_type(s, nutrient);
    if (s.soil_con_trans) {
        int soil_first = first > 0 ? first : first_of_type(s, soil_pool);
        soil_block(s, fp, soil_first);
    }
    if (s.ov_con_trans)
        overland_block(s, fp, first);
    if (s.chan_con_trans)
        channel_block(s, fp, first);
    global_block(s, fp, first > 0 ? first : first_of_type(s, soil_pool));
    if (s.nutrients && s.qbn_object) {
        std::fprintf(fp, "QBN dm/dt Summary\n");
        std::fprintf(fp, "  Total dm/dt in:  %14.4lf\n", s.qbn_object->dmdt_in_total);
        std::fprintf(fp, "  Total dm/dt out: %14.4lf\n\n", s.qbn_object->dmdt_out_total);
    }
}
