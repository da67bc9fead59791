// The main of a fuzz target built without libFuzzer: it runs the target once on each input it
// is given (files, or folders of files, such as the target's seed corpus or a crashing input
// a fuzz run saved) and exits 0 when all of them ran. A fault stops it the way it stops the
// fuzzer: an abort, or the sanitizers' report. The test suite builds every target this way,
// so that a target which no longer compiles, or a seed that now fails, shows there.
//
// Temporary files the target makes go into a folder of the run's own, removed at the end.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

// The inputs named on the command line, a folder standing for the files in it, in name order
// so that a run is the same every time.
std::vector<fs::path> Inputs(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path given = argv[i];
        if (!fs::is_directory(given)) {
            inputs.push_back(given);
            continue;
        }
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(given)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        inputs.insert(inputs.end(), files.begin(), files.end());
    }
    return inputs;
}

bool Read(const fs::path& file, std::string& bytes) {
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad() && fs::is_regular_file(file);
}

// A folder of this run's own for TMPDIR; removed when the run ends.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (fs::temp_directory_path() / "foliant-replay-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
            ::setenv("TMPDIR", path_.c_str(), 1);
        }
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

private:
    fs::path path_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " FILE_OR_FOLDER...\n";
        return 2;
    }
    const TemporaryFolder temporary;
    const std::vector<fs::path> inputs = Inputs(argc, argv);
    if (inputs.empty()) {
        std::cerr << argv[0] << ": no inputs in the folders given\n";
        return 1;
    }
    for (const fs::path& input : inputs) {
        std::string bytes;
        if (!Read(input, bytes)) {
            std::cerr << argv[0] << ": cannot read " << input.string() << "\n";
            return 1;
        }
        std::cerr << "replaying " << input.filename().string() << " (" << bytes.size()
                  << " bytes)\n";
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::cout << "replayed " << inputs.size() << " inputs\n";
    return 0;
}
