#include "support/test_support.h"

#include <sys/wait.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace torva_test {

namespace fs = std::filesystem;

scratch_dir::scratch_dir(const std::string& tag)
{
    static std::atomic<int> counter{0};
    const fs::path base = fs::temp_directory_path() / "torva_tests";
    fs::create_directories(base);
    const fs::path p =
        base / (tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    fs::remove_all(p);
    fs::create_directories(p);
    path_ = p.string();
}

scratch_dir::~scratch_dir()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

int run_command(const std::string& command, std::string& output)
{
    output.clear();
    std::FILE* p = ::popen(command.c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) output.append(buf, n);
    const int status = ::pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string torva_exe()
{
    return TORVA_EXE;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_file(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

bool file_exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

int open_descriptor_count()
{
    int n = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator("/proc/self/fd", ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        ++n;
    return n;
}

} // namespace torva_test
