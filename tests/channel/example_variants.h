// Bad variants of an example run through the program itself: the example's
// files are copied into a scratch folder, some of them edited (or added),
// and the project is run; a variant that must be refused stops before the
// time loop with exit status 1 and a message naming the file and the cause.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace torva_test
{

using text_edit = std::function<std::string(std::string)>;

// The first occurrence of `from` replaced by `to`.
inline text_edit replaced(std::string from, std::string to)
{
    return [from, to](std::string text) {
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            text.replace(at, from.size(), to);
        return text;
    };
}

// The text up to the end of the first occurrence of `last`.
inline text_edit cut_after(std::string last)
{
    return [last](std::string text) {
        const size_t at = text.find(last);
        EXPECT_NE(at, std::string::npos) << last;
        return at == std::string::npos ? text : text.substr(0, at + last.size());
    };
}

// The whole file replaced.
inline text_edit whole(std::string text)
{
    return [text](const std::string&) { return text; };
}

// n bytes of every value, the same for every run.
inline text_edit random_bytes(size_t n)
{
    return [n](const std::string&) {
        std::string text(n, '\0');
        std::uint32_t x = 2463534242u;
        for (char& c : text) {
            x ^= x << 13, x ^= x >> 17, x ^= x << 5;
            c = static_cast<char>(x & 0xff);
        }
        return text;
    };
}

struct file_edit {
    std::string file; // of the example, or a new file
    text_edit edit;   // null: the file as it is
};

struct example_variant {
    std::string label;
    std::string example; // folder under examples/
    std::vector<file_edit> edits;
    std::string message; // must appear in the output
    int status = 1;
};

// Copies the example, applies the edits, runs its project; the exit status
// and the output.
inline int run_variant(const example_variant& v, std::string& out)
{
    scratch_dir dir("variant");
    const std::string from = std::string(TORVA_EXAMPLES) + "/" + v.example;
    std::string project;
    for (const auto& entry : std::filesystem::directory_iterator(from)) {
        const std::string name = entry.path().filename().string();
        write_file(dir.file(name), read_file(entry.path().string()));
        if (entry.path().extension() == ".prj")
            project = name;
    }
    for (const file_edit& e : v.edits) {
        const std::string path = dir.file(e.file);
        const std::string text = file_exists(path) ? read_file(path) : "";
        write_file(path, e.edit ? e.edit(text) : text);
    }
    return run_command("cd '" + dir.path() + "' && OMP_NUM_THREADS=1 '" + torva_exe() + "' " + project + " 2>&1",
                       out);
}

// Runs every variant and checks its status and message; a refused variant
// must stop before the time loop.
inline void expect_variants(const std::vector<example_variant>& variants)
{
    for (const example_variant& v : variants) {
        std::string out;
        const int status = run_variant(v, out);
        EXPECT_EQ(status, v.status) << v.label << "\n" << out;
        EXPECT_NE(out.find(v.message), std::string::npos) << v.label << "\n" << out;
        if (v.status != 0) {
            EXPECT_EQ(out.find("Running...."), std::string::npos) << v.label << "\n" << out;
        }
    }
}

} // namespace torva_test
