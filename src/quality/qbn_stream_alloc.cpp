// Allocation and options of the nutrient module's stream and lake parts:
// nine constituents over the flat node vector ((links + 1) x (max nodes +
// 1) slots, node j of link i at i x (max nodes + 1) + j) or over the lakes,
// the carbon, dispersion and temperature arrays, the ammonia constant and
// the parts' copies of the sorption block.
#include <cmath>
#include <cstdio>

#include "core/model_state.h"
#include "quality/qbn_services.h"

void qbn_stream_alloc(model_state& s, qbn_stream& p)
{
    std::printf("Allocating memory for QBN Streams...");
    const double temp = s.cards.water_temp;
    const int slots = s.link_node_cells; // (links + 1) x (max nodes + 1), slot 0 included
    p.area = &s.area;
    p.link_dx = &s.link_dx;
    p.yp = &s.yp;
    p.bel = &s.bel;
    p.num_links = s.num_links;
    p.max_nodes = s.max_nodes;
    for (checked_array<double>* a : {&p.doc, &p.foc, &p.dispersion})
        checked_array_grow(*a, slots);
    checked_array_grow_fill(p.water_temp, slots, temp);
    p.ka = qbn_ammonia_ka(temp);
    checked_array_grow(p.list, qbn_constituent_count);
    for (int k = 0; k < qbn_constituent_count; ++k) {
        p.list[k] = &p.species[k];
        qbn_constituent_alloc(p.species[k], slots);
    }
    p.sorption = qbn_sorption_block(s);
    std::printf("Done\n");
}

void qbn_stream_set_params(model_state& s, qbn_stream& p)
{
    const int links = s.num_links;
    row_array_add_rows(p.node_table, s.max_nodes, links + 1);
    p.node_dim = s.node_dim;
    p.nx = &s.nx;
    p.ltype = &s.ltype;
    p.first_qbn_constituent = s.first_qbn_constituent;
    p.chan_qbn_source = &s.chan_qbn_source;
    p.owner = s.qbn_object.get();
    p.ph = s.cards.chan_ph;
    p.h_ion = std::pow(10.0, -p.ph);
    for (row_array<double>* r : {&p.total_p, &p.total_n, &p.kjeldahl_n, &p.nh3})
        row_array_add_rows(*r, s.node_dim, links);
    int_row_array_add_rows_fill(p.node_flags, s.node_dim, 1, links);
}

void qbn_lake_alloc(model_state& s, qbn_lake& p)
{
    std::printf("Allocating memory for QBN Lakes...");
    const int lakes = s.num_lakes;
    const double temp = s.cards.water_temp;
    p.num_lakes = lakes;
    p.volume = &s.lake_volume;
    checked_array_grow(p.lake_a, lakes);
    checked_array_grow(p.lake_b, lakes);
    checked_array_grow_fill(p.water_temp, lakes, temp);
    p.ka = qbn_ammonia_ka(temp);
    checked_array_grow(p.list, qbn_constituent_count);
    for (int k = 0; k < qbn_constituent_count; ++k) {
        p.list[k] = &p.species[k];
        qbn_constituent_alloc(p.species[k], lakes);
    }
    checked_array_grow(p.lake_ptrs, lakes);
    p.sorption = qbn_sorption_block(s);
    checked_int_array_grow(p.lake_flags, lakes);
    std::printf("Done\n");
}

void qbn_lake_set_params(model_state& s, qbn_lake& p)
{
    p.lake_qbn_source = &s.lake_qbn_source;
    p.first_qbn_constituent = s.first_qbn_constituent;
    p.owner = s.qbn_object.get();
    p.ph = s.cards.chan_ph;
    p.h_ion = std::pow(10.0, -p.ph);
    p.num_links = s.num_links;
    p.ltype = &s.ltype;
    p.lake2link = &s.lake2link;
    for (checked_array<double>* a : {&p.total_p, &p.total_n, &p.kjeldahl_n, &p.nh3})
        checked_array_grow(*a, p.num_lakes);
}
