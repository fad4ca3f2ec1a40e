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

const char* const tiny_project_cards = "WATERSHED_MASK tiny.msk\n"
                                       "ELEVATION tiny.ele\n"
                                       "GRIDSIZE 10\nROWS 2\nCOLS 2\nTOT_TIME 30\nTIMESTEP 30\n"
                                       "OUTROW 1\nOUTCOL 2\nOUTSLOPE 0.01\nMANNING_N 0.05\n"
                                       "PRECIP_UNIF\nRAIN_INTENSITY 50\nRAIN_DURATION 10\n"
                                       "START_DATE 2000 1 1\nSTART_TIME 12 0\n"
                                       "HYD_FREQ 1\nMAP_FREQ 10\n"
                                       "SUMMARY run.sum\nOUTLET_HYDRO run.otl\n";

std::string write_tiny_project(const std::string& folder, const std::string& extra_cards)
{
    const std::string grid = "north: 20\nsouth: 0\neast: 20\nwest: 0\nrows: 2\ncols: 2\n";
    write_file(folder + "/tiny.msk", grid + "1 1\n1 1\n");
    write_file(folder + "/tiny.ele", grid + "10 9\n10 9\n");
    const std::string path = folder + "/p.prj";
    write_file(path, "TORVAPROJECT\nPROJECT_PATH " + folder + "\n" + tiny_project_cards + extra_cards);
    return path;
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
