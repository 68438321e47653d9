// Replays a harness's saved inputs without libFuzzer: every file of corpus/<harness>/
// and, when the folder exists, crashes/<harness>/ under the given fuzz folder, in name
// order. A broken property aborts, as under libFuzzer, and the input's path is printed
// first, so a mended fault that comes back names its reproducer.
//   korvan_fuzz_replay <harness> <fuzz folder>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>

#include "replay.h"

namespace fs = std::filesystem;

namespace {

// The path of the input being run, for the signal handler.
std::string current;

void report_input(int sig) {
    constexpr std::string_view lead = "while replaying ";
    (void)!write(STDERR_FILENO, lead.data(), lead.size());
    (void)!write(STDERR_FILENO, current.data(), current.size());
    (void)!write(STDERR_FILENO, "\n", 1);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

std::vector<fs::path> inputs_in(const fs::path& folder) {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) return files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <harness> <fuzz folder>\n", argv[0]);
        return 2;
    }
    const std::string_view name = argv[1];
    const auto harness = std::find_if(korvan::fuzz::HARNESSES.begin(), korvan::fuzz::HARNESSES.end(),
                                      [&](const korvan::fuzz::Harness& h) { return name == h.name; });
    if (harness == korvan::fuzz::HARNESSES.end()) {
        std::fprintf(stderr, "no harness named %s\n", argv[1]);
        return 2;
    }
    const fs::path root = argv[2];
    std::vector<fs::path> files = inputs_in(root / "corpus" / name);
    // A harness without seeds would pass here having run nothing.
    if (files.empty()) {
        std::fprintf(stderr, "no corpus inputs for %s in %s\n", argv[1], (root / "corpus" / name).c_str());
        return 1;
    }
    const std::vector<fs::path> crashes = inputs_in(root / "crashes" / name);
    files.insert(files.end(), crashes.begin(), crashes.end());

    for (int sig : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL}) std::signal(sig, report_input);
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!in.good() && !in.eof()) {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            return 1;
        }
        current = file.string();
        harness->run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%s: %zu inputs replayed (%zu crash reproducers)\n", argv[1], files.size(), crashes.size());
    return 0;
}
