// Runs a fuzz target over files instead of under libFuzzer: every file in the folders (or the
// files) given on the command line is passed to the target once. The test suite uses it to replay
// the seeds and the inputs of past findings with the normal compiler and the sanitizer builds.

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>

#include "common/FileUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize);

namespace {

void Replay(const std::filesystem::path& aFile) {
    const std::string bytes = kalvero::ReadWholeFile(aFile);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    int count = 0;
    for (int a = 1; a < argc; ++a) {
        const std::filesystem::path path = argv[a];
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
                if (entry.is_regular_file()) Replay(entry.path()), ++count;
        } else if (std::filesystem::is_regular_file(path)) {
            Replay(path), ++count;
        } else {
            std::cerr << path << ": no such file or folder\n";
            return 2;
        }
    }
    std::cout << count << " inputs replayed\n";
    return count > 0 ? 0 : 1;
}
