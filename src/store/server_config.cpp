#include "server_config.h"

#include <fstream>

namespace store {

std::string serverOf(const std::string& folder) {
    std::string dir = folder.empty() ? std::string(".") : folder;
    if (dir.back() != '/') dir += '/';
    std::ifstream in(dir + kServerFileName);
    std::string line;
    while (std::getline(in, line)) {
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        const auto last = line.find_last_not_of(" \t\r");
        return line.substr(first, last - first + 1);
    }
    return {};
}

}  // namespace store
