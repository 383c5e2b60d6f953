// The main program: its data files, configuration file and extraction file live in the
// working folder; "--data DIR" makes DIR (created when missing) the working folder.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "shell/app.h"

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--data") != 0) continue;
        std::error_code ec;
        std::filesystem::create_directories(argv[i + 1], ec);
        std::filesystem::current_path(argv[i + 1], ec);
        if (ec) {
            std::fprintf(stderr, "tembrixm: cannot use the data folder %s: %s\n", argv[i + 1],
                         ec.message().c_str());
            return 1;
        }
    }
    return shell::RUNTEMBRIX(argc, argv);
}
