// How long one read of a settings file takes when the file is as large as a settings file may
// be and made of lines a reader must skip: 300,000 lines without "=" (or "[" lines without
// "]"), with the key asked for at the end. Each read goes to the file, so this is the cost of
// every readString on such a file.
//
//   build/bench/bench_settings_parse [reads]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "link/settings_file.h"

namespace {

double secondsPerRead(const brevik2::link::SettingsFile& settings, int reads) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < reads; ++i) {
        if (settings.readString("ComPort", "") != "Com2") {
            std::fprintf(stderr, "the key was not found\n");
            std::exit(1);
        }
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / reads;
}

}  // namespace

int main(int argc, char** argv) {
    const int reads = argc > 1 ? std::atoi(argv[1]) : 20;
    const auto folder = std::filesystem::temp_directory_path() /
                        ("brevik2-bench-settings-" + std::to_string(std::rand()));
    std::filesystem::create_directories(folder);
    for (const char* line : {"x\n", "[\n"}) {
        std::string text = "[Brevik2]\n";
        for (int i = 0; i < 300000; ++i) {
            text += line;
        }
        text += "[Brevik2]\nComPort=Com2\n";
        const auto path = folder / "Brevik2.ini";
        std::ofstream(path, std::ios::binary) << text;
        const brevik2::link::SettingsFile settings(path);
        std::printf("300,000 lines of \"%c\", %zu bytes: %.2f ms a read (%d reads)\n", line[0],
                    text.size(), 1000 * secondsPerRead(settings, reads), reads);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
