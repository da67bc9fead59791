#pragma once

// Benchmark data made once and kept between runs in the benchmarks' data folder.

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace foliant::bench {

// The file NAME of the data folder, made by make (into the path it is given) when it is not
// there yet. make writes beside the file and only a finished file takes its name, so a run
// stopped midway leaves nothing that a later run would take for the data.
inline std::string MadeOnce(const std::string& name,
                            const std::function<void(const std::string& partial)>& make) {
    const std::string path = std::string(FOLIANT_BENCH_DATA_DIR) + "/" + name;
    if (std::filesystem::exists(path)) {
        return path;
    }
    const std::string partial = path + ".partial";
    std::filesystem::remove(partial);
    std::fprintf(stderr, "Generating %s (once)...\n", path.c_str());
    make(partial);
    std::filesystem::rename(partial, path);
    return path;
}

} // namespace foliant::bench
