// The dataset files of the map outputs: a header, one step per output time
// (statuses and values of the full grid), an end marker. The binary layout
// is little-endian whatever the host: i32 and i16 integers, f64 doubles.
#include <cstdint>
#include <cstring>

#include "core/error_state.h"
#include "output/grid_writers.h"
#include "output/map_series.h"
#include "output/text_writer.h"

namespace
{

// Little-endian items, written through the buffered writer in blocks.
class byte_writer
{
  public:
    explicit byte_writer(std::FILE* fp) : out_(fp) {}

    void i32(std::int32_t v) { bytes(static_cast<std::uint32_t>(v), 4); }
    void i16(std::int16_t v) { bytes(static_cast<std::uint16_t>(v), 2); }
    void f64(double v)
    {
        std::uint64_t u;
        std::memcpy(&u, &v, sizeof u);
        bytes(u, 8);
    }
    void raw(const char* p, std::size_t n) { out_.put(p, n); }

  private:
    void bytes(std::uint64_t v, int n)
    {
        char le[8];
        for (int i = 0; i < n; ++i)
            le[i] = static_cast<char>(static_cast<unsigned char>(v >> (8 * i)));
        out_.put(le, static_cast<std::size_t>(n));
    }

    text_writer out_;
};

constexpr std::int32_t binary_step_card = 200;
constexpr std::int32_t binary_end_card = 210;
constexpr std::size_t binary_name_bytes = 40;

bool open_dataset(const std::string& path, file_rec& rec, const char* mode)
{
    if (file_rec_open(rec, path, mode))
        return true;
    error_set(err_output_open, nullptr, path.c_str());
    error_state.raised = 1;
    return false;
}

} // namespace

bool write_ascii_dataset_header(const std::string& path, file_rec& rec, int object_id,
                                const std::string& name, int rows, int cols)
{
    if (!open_dataset(path, rec, "w"))
        return false;
    const int count = rows * cols;
    std::fprintf(rec.fp, "DATASET\n");
    std::fprintf(rec.fp, "OBJTYPE grid2d\n");
    std::fprintf(rec.fp, "BEGSCL\n");
    std::fprintf(rec.fp, "OBJID %d\n", object_id);
    std::fprintf(rec.fp, "ND %d\n", count);
    std::fprintf(rec.fp, "NC %d\n", count);
    std::fprintf(rec.fp, "NAME %s\n", name.c_str());
    return true;
}

bool write_binary_dataset_header(const std::string& path, file_rec& rec, int object_id,
                                 const std::string& name, int rows, int cols)
{
    if (!open_dataset(path, rec, "wb"))
        return false;
    const std::int32_t count = rows * cols;
    char name_bytes[binary_name_bytes] = {};
    std::memcpy(name_bytes, name.data(), name.size() < binary_name_bytes ? name.size() : binary_name_bytes);
    byte_writer out(rec.fp);
    for (std::int32_t v : {3000, 100, 4, 110, 8, 120, 2, 130, 160, object_id, 170, count, 180, count, 190})
        out.i32(v);
    out.raw(name_bytes, binary_name_bytes);
    return true;
}

void write_dataset_step(std::FILE* fp, double time, int rows, int cols, const imat& mask,
                        const double* values, int binary)
{
    if (!fp)
        return;
    if (binary) {
        byte_writer out(fp);
        out.i32(binary_step_card);
        out.i16(1);
        out.f64(time);
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= cols; ++c)
                out.i16(grid_cell_active(mask, r, c) ? 1 : 0);
        int k = 0;
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= cols; ++c)
                out.f64(grid_cell_active(mask, r, c) ? values[++k] : 0.0);
        return;
    }
    std::fprintf(fp, "TS 1 %lf\n", time);
    text_writer out(fp);
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c)
            out.put(grid_cell_active(mask, r, c) ? "1\n" : "0\n", 2);
    // Each value as "%lf".
    int k = 0;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            out.put_fixed(grid_cell_active(mask, r, c) ? values[++k] : 0.0, 6);
            out.put('\n');
        }
}

void write_dataset_end(file_rec& rec, int binary)
{
    if (!rec.fp)
        return;
    if (binary) {
        byte_writer out(rec.fp);
        out.i32(binary_end_card);
    } else {
        std::fprintf(rec.fp, "ENDDS\n");
    }
    file_rec_close(rec);
}
