#include "support/example_variant.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace torva_test {

example_result run_example_variant(const std::string& example, const std::string& project,
                                   const file_edits& edits, const std::vector<std::string>& keep)
{
    scratch_dir dir("variant");
    const std::string from = std::string(TORVA_EXAMPLES) + "/" + example;
    std::filesystem::copy(from, dir.path(), std::filesystem::copy_options::recursive);
    for (const auto& [name, edit] : edits) {
        const std::string path = dir.file(name);
        write_file(path, edit(file_exists(path) ? read_file(path) : std::string()));
    }
    example_result r{};
    r.status = run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' " + project + " 2>&1", r.output);
    for (const std::string& name : keep)
        r.files[name] = file_exists(dir.file(name)) ? read_file(dir.file(name)) : std::string();
    return r;
}

std::function<std::string(std::string)> replace_text(const std::string& what, const std::string& by)
{
    return [what, by](std::string text) {
        const std::size_t at = text.find(what);
        EXPECT_NE(at, std::string::npos) << what;
        if (at != std::string::npos)
            text.replace(at, what.size(), by);
        return text;
    };
}

std::function<std::string(std::string)> whole_text(const std::string& text)
{
    return [text](const std::string&) { return text; };
}

std::function<std::string(std::string)> card_line(const std::string& card, const std::string& line)
{
    return [card, line](std::string prj) {
        std::size_t at = prj.find("\n" + card + " ");
        if (at == std::string::npos)
            at = prj.find("\n" + card + "\n");
        if (at == std::string::npos)
            return prj + (prj.empty() || prj.back() == '\n' ? "" : "\n") + line + (line.empty() ? "" : "\n");
        const std::size_t end = prj.find('\n', at + 1);
        prj.replace(at + 1, end == std::string::npos ? std::string::npos : end - at, line.empty() ? "" : line + "\n");
        return prj;
    };
}

} // namespace torva_test
