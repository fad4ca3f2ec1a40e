// Readers of the map files written from their documented layouts (not from
// the writers' code): the ESRI ASCII grid, the ASCII dataset and the
// little-endian binary dataset. Each reader is strict: anything out of
// layout is reported in `error`.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace map_readers
{

struct esri_grid {
    int ncols = 0, nrows = 0;
    double xllcenter = 0, yllcenter = 0, cellsize = 0, nodata = 0;
    std::vector<double> values; // row by row from the north
    std::string error;
};

inline esri_grid read_esri_grid(const std::string& text)
{
    esri_grid g;
    std::istringstream in(text);
    std::string label;
    const char* labels[6] = {"ncols", "nrows", "xllcenter", "yllcenter", "cellsize", "NODATA_value"};
    double header[6] = {};
    for (int i = 0; i < 6; ++i) {
        if (!(in >> label >> header[i]) || label != labels[i]) {
            g.error = std::string("header line ") + std::to_string(i + 1) + " is not " + labels[i];
            return g;
        }
    }
    g.ncols = static_cast<int>(header[0]);
    g.nrows = static_cast<int>(header[1]);
    g.xllcenter = header[2];
    g.yllcenter = header[3];
    g.cellsize = header[4];
    g.nodata = header[5];
    double v;
    while (in >> v)
        g.values.push_back(v);
    if (!in.eof())
        g.error = "a value that is not a number";
    else if (static_cast<int>(g.values.size()) != g.ncols * g.nrows)
        g.error = "holds " + std::to_string(g.values.size()) + " values for " + std::to_string(g.nrows) +
                  " x " + std::to_string(g.ncols) + " cells";
    return g;
}

struct dataset_step {
    double time = 0;
    std::vector<int> status;
    std::vector<double> values;
};

struct dataset {
    int object_id = 0, nd = 0, nc = 0;
    std::string name;
    std::vector<dataset_step> steps;
    bool ended = false; // the end marker was the last item
    std::string error;
};

// DATASET, OBJTYPE grid2d, BEGSCL, OBJID n, ND n, NC n, NAME s; then per step
// "TS 1 time", ND status lines and ND value lines; "ENDDS" last.
inline dataset read_ascii_dataset(const std::string& text)
{
    dataset d;
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    if (text.empty() || text.back() != '\n') {
        d.error = "the file does not end with a newline";
        return d;
    }
    auto fail = [&](std::size_t at, const std::string& what) {
        d.error = "line " + std::to_string(at + 1) + ": " + what;
        return d;
    };
    if (lines.size() < 7)
        return fail(lines.size(), "the header is incomplete");
    if (lines[0] != "DATASET" || lines[1] != "OBJTYPE grid2d" || lines[2] != "BEGSCL")
        return fail(0, "the header does not begin DATASET / OBJTYPE grid2d / BEGSCL");
    if (std::sscanf(lines[3].c_str(), "OBJID %d", &d.object_id) != 1)
        return fail(3, "no OBJID");
    if (std::sscanf(lines[4].c_str(), "ND %d", &d.nd) != 1)
        return fail(4, "no ND");
    if (std::sscanf(lines[5].c_str(), "NC %d", &d.nc) != 1)
        return fail(5, "no NC");
    if (lines[6].compare(0, 5, "NAME ") != 0)
        return fail(6, "no NAME");
    d.name = lines[6].substr(5);
    std::size_t at = 7;
    while (at < lines.size() && lines[at] != "ENDDS") {
        dataset_step st;
        if (std::sscanf(lines[at].c_str(), "TS 1 %lf", &st.time) != 1)
            return fail(at, "expected \"TS 1 time\"");
        ++at;
        if (at + 2 * static_cast<std::size_t>(d.nd) > lines.size())
            return fail(at, "the step is cut short");
        for (int i = 0; i < d.nd; ++i, ++at) {
            if (lines[at] != "0" && lines[at] != "1")
                return fail(at, "a status is not 0 or 1");
            st.status.push_back(lines[at] == "1");
        }
        for (int i = 0; i < d.nd; ++i, ++at) {
            char* end = nullptr;
            st.values.push_back(std::strtod(lines[at].c_str(), &end));
            if (lines[at].empty() || *end != '\0')
                return fail(at, "a value is not a number");
        }
        d.steps.push_back(st);
    }
    if (at == lines.size())
        return fail(at, "no ENDDS");
    if (at + 1 != lines.size())
        return fail(at + 1, "lines after ENDDS");
    d.ended = true;
    return d;
}

// Little-endian items read in order; `ok` turns false when the bytes run out.
struct byte_reader {
    const std::string& bytes;
    std::size_t at = 0;
    bool ok = true;
    std::uint64_t take(int n)
    {
        if (at + static_cast<std::size_t>(n) > bytes.size()) {
            ok = false;
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
        at += static_cast<std::size_t>(n);
        return v;
    }
    std::int32_t i32() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(take(4))); }
    std::int16_t i16() { return static_cast<std::int16_t>(static_cast<std::uint16_t>(take(2))); }
    double f64()
    {
        const std::uint64_t u = take(8);
        double v;
        std::memcpy(&v, &u, sizeof v);
        return v;
    }
};

// 3000, 100, 4, 110, 8, 120, 2, 130, 160 id, 170 nd, 180 nc, 190 and 40 name
// bytes; per step 200, i16 1, f64 time, nd i16 statuses, nd f64 values; 210.
inline dataset read_binary_dataset(const std::string& bytes)
{
    dataset d;
    byte_reader in{bytes};
    const std::int32_t cards[9] = {3000, 100, 4, 110, 8, 120, 2, 130, 160};
    for (std::int32_t want : cards)
        if (in.i32() != want) {
            d.error = "header item at byte " + std::to_string(in.at - 4) + " is not " + std::to_string(want);
            return d;
        }
    d.object_id = in.i32();
    if (in.i32() != 170)
        d.error = "no value-count card";
    d.nd = in.i32();
    if (in.i32() != 180)
        d.error = "no cell-count card";
    d.nc = in.i32();
    if (in.i32() != 190)
        d.error = "no name card";
    if (!d.error.empty() || !in.ok || in.at + 40 > bytes.size()) {
        if (d.error.empty())
            d.error = "the header is cut short";
        return d;
    }
    d.name = std::string(bytes.data() + in.at, 40);
    d.name = d.name.substr(0, d.name.find('\0'));
    in.at += 40;
    for (;;) {
        const std::int32_t card = in.i32();
        if (!in.ok) {
            d.error = "no end card";
            return d;
        }
        if (card == 210)
            break;
        if (card != 200) {
            d.error = "byte " + std::to_string(in.at - 4) + ": expected the step card 200";
            return d;
        }
        dataset_step st;
        if (in.i16() != 1)
            d.error = "status indicator is not 1";
        st.time = in.f64();
        for (int i = 0; i < d.nd; ++i)
            st.status.push_back(in.i16());
        for (int i = 0; i < d.nd; ++i)
            st.values.push_back(in.f64());
        if (!in.ok)
            d.error = "a step is cut short";
        if (!d.error.empty())
            return d;
        d.steps.push_back(st);
    }
    if (in.at != bytes.size()) {
        d.error = "bytes after the end card";
        return d;
    }
    d.ended = true;
    return d;
}

} // namespace map_readers
