// Runs a fuzz target once over files and folders given as arguments (every regular file in a
// folder, in name order), without libFuzzer: the committed corpus as a plain test. A fault ends
// the process as it would under the fuzzer; an unreadable or missing argument is an error.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

bool RunFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "Cannot read " << file.string() << "\n";
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // A copy of exactly the input's size, so that a read past its end is caught as under the fuzzer.
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize != nullptr) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    if (argc < 2) {
        std::cerr << "Usage: " << argv[0] << " FILE_OR_FOLDER...\n";
        return 2;
    }
    std::size_t runs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg = argv[i];
        std::error_code ec;
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(arg, ec)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg, ec)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
            std::sort(files.begin(), files.end());
        } else {
            files.push_back(arg);
        }
        if (files.empty()) {
            std::cerr << "No inputs in " << arg.string() << "\n";
            return 1;
        }
        for (const auto& file : files) {
            if (!RunFile(file)) {
                return 1;
            }
            ++runs;
        }
    }
    std::cout << "Ran " << runs << " inputs\n";
    return 0;
}
