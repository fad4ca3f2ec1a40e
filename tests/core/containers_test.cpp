#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/containers.h"
#include "core/file_rec.h"
#include "output/linknode_series.h"
#include "output/map_series.h"
#include "support/test_support.h"

namespace {

const char bad_2d[] = "\n\nError!! Bad pointers found in 2D array.\n\n";
const char bad_3d[] = "\n\nError!!!  Bad pointers found in 3D array.\n\n";

// ---- checked_array ----------------------------------------------------------

TEST(CheckedArray, GrowthKeepsOldSlots)
{
    checked_array<double> a;
    EXPECT_EQ(checked_array_grow(a, 5), 5);
    EXPECT_EQ(a.store_size_, 6);
    for (int i = 0; i <= 5; ++i) a[i] = i + 0.5;
    EXPECT_EQ(checked_array_grow(a, 3), 8);
    for (int i = 0; i <= 5; ++i) EXPECT_EQ(a[i], i + 0.5);
    EXPECT_EQ(a.data, a.data_check);
    EXPECT_EQ(a.cap_check, 8);
    EXPECT_EQ(checked_array_grow(a, 0), 8);

    checked_array<double> b;
    EXPECT_EQ(checked_array_grow_by10(b), 10);
    EXPECT_EQ(checked_array_grow_by10(b), 20);
    checked_array<int> c;
    EXPECT_EQ(checked_array_grow_by13(c), 13);
    EXPECT_EQ(c.store_size_, 14);
}

TEST(CheckedArray, GrowFillSetsOnlyTheNewSlots)
{
    checked_array<double> a;
    checked_array_grow_fill(a, 2, 1.0);
    checked_array_grow_fill(a, 3, 9.0);
    const double want[] = {0.0, 1.0, 1.0, 9.0, 9.0, 9.0};
    for (int i = 0; i <= 5; ++i) EXPECT_EQ(a[i], want[i]) << i;

    checked_array<int> b;
    checked_int_array_grow_fill(b, 4, -3);
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[4], -3);
}

TEST(CheckedArray, IndexRangeDependsOnTheBase)
{
    struct range_case {
        unsigned char one_based;
        int index;
        bool in_range;
    };
    const range_case cases[] = {
        {1, -1, true}, {1, 3, true}, {1, 4, false}, {1, -2, false},
        {0, 0, true},  {0, 4, true}, {0, 5, false}, {0, -1, false},
    };
    for (const range_case& c : cases) {
        checked_array<int> a;
        a.one_based = c.one_based;
        checked_array_grow(a, 4);
        a[c.index] = 77;
        EXPECT_EQ(a.bad_index != 0, !c.in_range) << int(c.one_based) << " " << c.index;
        if (c.in_range) {
            EXPECT_EQ(a.data[c.index + c.one_based], 77);
        }
        a.bad_index = 0;
    }
}

TEST(CheckedArray, OutOfRangeNeverTouchesTheStorage)
{
    checked_array<double> a;
    checked_array_grow(a, 3);
    for (int i = 0; i <= 3; ++i) a[i] = 1.0;
    a[4] = 5.0;
    a[-1] = 5.0;
    a[1000000] = 5.0;
    EXPECT_EQ(a[-1000000], 0.0); // a read outside gives 0
    for (int i = 0; i <= 3; ++i) EXPECT_EQ(a[i], 1.0);
    checked_array<double> empty;
    empty[0] = 3.0;
    EXPECT_EQ(empty.bad_index, 1);
    empty.bad_index = 0;
    a.bad_index = 0;
}

TEST(CheckedArray, BadRangeIsReportedOnceByNameAtDestruction)
{
    testing::internal::CaptureStdout();
    {
        checked_array<double> a;
        checked_array_set_name(a, "OV_MASS_INIT");
        checked_array_grow(a, 2);
        a[7] = 1.0;
        a[8] = 1.0;
        const checked_array<double>& view = a;
        (void)view[-4];
    }
    {
        checked_array<int> unnamed;
        (void)unnamed[3];
        checked_array_destroy(unnamed); // the destructor does not report again
    }
    {
        checked_array<double> fine;
        checked_array_grow(fine, 2);
        fine[2] = 1.0;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: bad range addressed in array OV_MASS_INIT\n"
              "Error: bad range addressed in array \n");
}

TEST(CheckedArray, CorruptCheckCopyRefusesEveryGrowth)
{
    checked_array<double> a;
    checked_array_set_name(a, "xy_input::ovpts");
    checked_array_grow(a, 2);
    a.cap_check = 99;
    testing::internal::CaptureStdout();
    EXPECT_EQ(checked_array_grow(a, 3), 2);
    EXPECT_EQ(checked_array_grow_fill(a, 3, 1.0), 2);
    EXPECT_EQ(checked_array_grow_by10(a), 2);
    const std::string msg = "\n\nError!! Bad pointers found in array xy_input::ovpts.\n\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), msg + msg + msg);
    EXPECT_EQ(a.cap, 2);
    a.cap_check = 2;
}

TEST(CheckedArray, CopyTakesTheCommonSlotsButNotSlotZero)
{
    checked_array<double> a, b;
    checked_array_grow(a, 2);
    checked_array_grow(b, 4);
    for (int i = 0; i <= 4; ++i) b[i] = 10.0 + i;
    a[0] = -1.0;
    checked_array_set_name(a, "target");
    checked_array_copy(a, b);
    EXPECT_EQ(a[0], -1.0);
    EXPECT_EQ(a[1], 11.0);
    EXPECT_EQ(a[2], 12.0);
    EXPECT_EQ(a.cap, 2);
    EXPECT_EQ(a.name, "target");
}

// ---- arrays of file records -------------------------------------------------

class FileRecArray : public ::testing::Test {
protected:
    void SetUp() override { reset_file_name_globals(); }
    void open_all(checked_array<file_rec>& a, int n, const std::string& tag)
    {
        checked_array_grow(a, n);
        for (int i = 1; i <= n; ++i)
            ASSERT_TRUE(file_rec_open(a[i], dir.file(tag + std::to_string(i)), "w"));
    }
    torva_test::scratch_dir dir{"file_rec_array"};
};

TEST_F(FileRecArray, AssignHandsStreamsOverSoEachIsClosedOnce)
{
    const int baseline = torva_test::open_descriptor_count();
    {
        checked_array<file_rec> target, source;
        checked_array_grow(target, 3);
        open_all(source, 5, "s");
        EXPECT_EQ(torva_test::open_descriptor_count(), baseline + 5);
        std::FILE* third = source[3].fp;

        file_rec_array_assign(target, source);
        EXPECT_EQ(target[3].fp, third);
        EXPECT_EQ(target[3].fp_check, third);
        EXPECT_EQ(source[3].fp, nullptr);
        EXPECT_NE(source[4].fp, nullptr);
        EXPECT_EQ(target.cap, 3);

        file_rec_array_destroy(target);
        EXPECT_EQ(torva_test::open_descriptor_count(), baseline + 2);
    }
    EXPECT_EQ(torva_test::open_descriptor_count(), baseline);

    checked_array<file_rec> empty, other;
    checked_array_grow(other, 2);
    file_rec_array_assign(other, empty);
    EXPECT_EQ(other.cap, 2);
}

TEST_F(FileRecArray, GrowthKeepsOpenStreamsAndDestroyCloses)
{
    const int baseline = torva_test::open_descriptor_count();
    checked_array<file_rec> a;
    open_all(a, 2, "g");
    std::FILE* first = a[1].fp;
    checked_array_grow(a, 4);
    EXPECT_EQ(a[1].fp, first);
    std::fputs("still open\n", a[1].fp);
    file_rec_array_destroy(a);
    EXPECT_EQ(torva_test::open_descriptor_count(), baseline);
    EXPECT_EQ(torva_test::read_file(dir.file("g1")), "still open\n");
}

// ---- row_array --------------------------------------------------------------

TEST(RowArray, GrowthWidthsAndGuards)
{
    row_array<double> a;
    row_array_add_rows(a, 3, -1);
    EXPECT_EQ(a.count, 3);
    EXPECT_EQ(a.width, 1);
    EXPECT_EQ(a.row_table[0], nullptr);
    EXPECT_EQ(row_array_get(a, 0), nullptr);
    EXPECT_EQ(row_array_get(a, 4), nullptr);
    ASSERT_NE(row_array_get(a, 3), nullptr);
    a[3][1] = 2.0;
    // A width given once the width is set is ignored.
    row_array_add_rows(a, 2, 9);
    EXPECT_EQ(a.count, 5);
    EXPECT_EQ(a.width, 1);
    EXPECT_EQ(a[3][1], 2.0);
    EXPECT_TRUE(row_array_verify(a));

    row_array<double> f;
    row_array_add_rows_fill(f, 0, 7.5, 4);
    ASSERT_EQ(f.count, 1);
    EXPECT_EQ(f.width, 4);
    for (int j = 1; j <= 4; ++j) EXPECT_EQ(f[1][j], 7.5);

    row_array<int> z;
    int_row_array_add_rows_fill(z, 2, 3, 2);
    int_row_array_add_rows_zero(z, 1);
    EXPECT_EQ(z.count, 3);
    EXPECT_EQ(z[2][2], 3);
    EXPECT_EQ(z[3][1], 0);
}

TEST(RowArray, ResizeWidensAndAppendsButNeverShrinks)
{
    row_array<double> a;
    row_array_add_rows(a, 3, 4);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 4; ++j) a[i][j] = 10 * i + j;
    row_array_resize(a, 5, 8, 0.0);
    ASSERT_EQ(a.count, 5);
    ASSERT_EQ(a.width, 8);
    for (int i = 1; i <= 5; ++i)
        for (int j = 1; j <= 8; ++j) EXPECT_EQ(a[i][j], (i <= 3 && j <= 4) ? 10 * i + j : 0.0) << i << "," << j;
    EXPECT_EQ(a.aux, 0);
    EXPECT_TRUE(row_array_verify(a));
    row_array_resize(a, 2, 2, 1.0);
    EXPECT_EQ(a.count, 5);
    EXPECT_EQ(a.width, 8);

    row_array<double> empty;
    row_array_resize(empty, 2, 6, 1.0);
    EXPECT_EQ(empty.count, 2);
    EXPECT_EQ(empty.width, 6);
}

TEST(RowArray, AdoptedRowsBelongToTheirOwner)
{
    double r1[3] = {0, 1, 2};
    double r2[3] = {0, 3, 4};
    double* source[3] = {nullptr, r1, r2};
    {
        row_array<double> a;
        row_array_adopt_rows(a, 2, source, 2);
        EXPECT_EQ(a.count, 2);
        EXPECT_EQ(a[2], r2);
        EXPECT_EQ(a.owned[1], 0);
        row_array_add_rows(a, 1);
        EXPECT_EQ(a.owned[3], 1);
        // Widening replaces the adopted rows with owned copies.
        row_array_resize(a, 3, 4, -1.0);
        EXPECT_EQ(a[1][2], 2.0);
        EXPECT_EQ(a[1][4], -1.0);
        EXPECT_NE(a[1], r1);
    } // the stack rows must survive (the sanitizer would see a bad free)
    EXPECT_EQ(r2[2], 4.0);
}

TEST(RowArray, FailedVerificationRefusesGrowthAndRelease)
{
    row_array<double> a;
    row_array_add_rows(a, 2, 3);
    a.count_check = 7;
    testing::internal::CaptureStdout();
    row_array_add_rows(a, 1);
    row_array_destroy(a);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(bad_2d) + bad_2d);
    EXPECT_EQ(a.count, 2);
    EXPECT_NE(a.row_table, nullptr);
    a.count_check = 2; // repaired, so the destructor releases the rows
}

TEST(RowArray, WriterRowsAreBuiltAndDestroyedWithTheirWriters)
{
    row_array<map_series> maps;
    map_series_row_array_add_rows(maps, 1);
    ASSERT_EQ(maps.count, 1);
    EXPECT_EQ(maps.width, 2); // one row of three writers
    for (int j = 0; j <= 2; ++j) EXPECT_EQ(maps[1][j].nodata, -999.99);

    row_array<linknode_series> links;
    linknode_series_row_array_add_rows(links, 2);
    EXPECT_EQ(links.count, 2);
    EXPECT_EQ(links.width, 2);

    reset_file_name_globals();
    torva_test::scratch_dir dir("writer_rows");
    map_series outside[3];
    ASSERT_TRUE(file_rec_open(outside[1].out, dir.file("kept"), "w"));
    map_series* source[2] = {nullptr, outside};
    row_array<map_series> adopted;
    row_array_adopt_rows(adopted, 1, source, 2);
    map_series_row_array_destroy(adopted);
    EXPECT_NE(outside[1].out.fp, nullptr); // an adopted row's writers are not destroyed
    map_series_row_array_destroy(maps);
    linknode_series_row_array_destroy(links);
    EXPECT_EQ(maps.count, 0);
}

// ---- matrix_stack -----------------------------------------------------------

TEST(MatrixStack, AddAdoptAndRelease)
{
    double** own = new_matrix_filled(2, 2, 4.0);
    double*** source = new double**[2]{nullptr, own};
    {
        matrix_stack ms;
        ms.name = "soil_mass";
        matrix_stack_add(ms, 2, 1.5, 3, 4);
        ASSERT_EQ(ms.count, 2);
        EXPECT_EQ(ms.table[0], nullptr);
        for (int k = 1; k <= 2; ++k)
            for (int i = 1; i <= 3; ++i)
                for (int j = 1; j <= 4; ++j) EXPECT_EQ(ms.table[k][i][j], 1.5);
        EXPECT_TRUE(matrix_stack_verify(ms, 0));

        matrix_stack_adopt(ms, 1, source, 2, 2);
        EXPECT_EQ(ms.count, 3);
        EXPECT_EQ(ms.table[3], own);
        EXPECT_EQ(ms.owned[3], 0);
        // A later shape change must not confuse the release of earlier matrices.
        matrix_stack_add(ms, 1, 0.0, 5, 1);
        EXPECT_EQ(ms.count, 4);
        EXPECT_EQ(ms.table[4][5][1], 0.0);
    }
    EXPECT_EQ(own[2][2], 4.0); // the adopted matrix is left to its owner
    delete_matrix_filled(own, 2);
    delete[] source;
}

TEST(MatrixStack, GuardsAndEmptyStack)
{
    testing::internal::CaptureStdout();
    {
        matrix_stack empty;
        matrix_stack_destroy(empty);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    matrix_stack ms;
    matrix_stack_add(ms, 1, 2.0, 2, 2);
    double* row = ms.table[1][1];
    ms.table[1][1] = nullptr;
    testing::internal::CaptureStdout();
    matrix_stack_add(ms, 1, 2.0, 2, 2);
    matrix_stack_destroy(ms);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(bad_3d) + bad_3d);
    EXPECT_EQ(ms.count, 1);
    ms.table[1][1] = row;
}

} // namespace
