// The stream mapping-table file: tables of values by ID, spread over the
// channel network through stream index maps that give each link an ID.
#pragma once

#include <array>
#include <string>

#include "core/arrays.h"
#include "core/file_rec.h"

// Ids of the stream table keywords (ROUGHNESS, tested first by the callers, is 1).
enum stream_table : int {
    st_roughness = 1,
    st_qbn_n = 2,
    st_qbn_p = 3,
    st_qbn_c = 4,
    st_qbn_oth = 5,
    st_dispersion = 6,
    st_num_ids = 37,
    st_index_map = 38,
};

// Id of the keyword that begins the line (ROUGHNESS not among them); 0 for none.
int stream_table_id(const std::string& line);
// Title of a table in messages ("QBN_N (Stream)").
std::string stream_table_title(int id);

// From the start of the open file: 1 when the table is found, with the file
// name of the stream index map its table line names; else 0.
int find_stream_index_map(file_rec& file, int id, std::string& index_map);
// The count of the next line when it is a NUM_IDS line, else 0.
int read_stream_num_ids(file_rec& file);

// Kinds of stream index map.
enum stream_map_kind : int { stream_map_ids = 0, stream_map_reals = 2 };

// Reads a stream index map of `links` values, one per link, holding for each
// of the link's nodes: ID maps into id_grid[node][link], continuous maps
// into values[link * (max_nodes + 1) + node]. 0 when read; -1 the file does
// not open, -2 the header is wrong, -3 the link count differs, -4 a value
// is missing or not a number (a message names the map and the link).
int read_stream_map_file(const std::string& name, int links, int max_nodes, const ivec& nodes_per_link,
                         imat& id_grid, double* values, int kind);

// Node j of link i of every link whose ID is not 0 takes the value of its ID:
// dest[i * stride + j] = by_id[ID].
void assign_stream_table_values(double* dest, const std::vector<double>& by_id, const imat& id_grid, int links,
                                const ivec& nodes_per_link, int stride);

using stream_destinations = std::array<double*, 4>;

// One table of the stream mapping-table file into up to four per-link,
// per-node destinations ((links + 1) x (max_nodes + 1) values each). 1 when
// read; 0 after a reported error (64, 66, 115-118).
int read_stream_mapping_table(const std::string& table_file, int id, const stream_destinations& dest, int links,
                              int max_nodes, const ivec& nodes_per_link);
