#include "server_config.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include <sys/stat.h>

namespace store {

ServerFile readServerFile(const std::string& folder) {
    ServerFile sf;
    std::string dir = folder.empty() ? std::string(".") : folder;
    if (dir.back() != '/') dir += '/';
    const std::string path = dir + kServerFileName;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return sf;
    sf.present = true;
    std::ifstream in(path);
    if (!in) {
        sf.problem = "The server file " + path + " cannot be read: " + std::strerror(errno);
        return sf;
    }
    std::string line;
    while (std::getline(in, line)) {
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        const auto last = line.find_last_not_of(" \t\r");
        sf.conninfo = line.substr(first, last - first + 1);
        return sf;
    }
    sf.problem = "The server file " + path + " names no server";
    return sf;
}

std::string serverOf(const std::string& folder) {
    return readServerFile(folder).conninfo;
}

}  // namespace store
