// Runs a fuzz target over every file of its seed corpus (and any files named on the command
// line), so ordinary and sanitizer builds exercise the same entry point as the fuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

static int runFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return 1;
}

int main(int argc, char** argv) {
    int count = 0;
    // The empty input and a few odd ones always run, even without a corpus.
    const std::uint8_t odd[] = {0, 0xFF, '\r', '\n', '!', 'O', ','};
    LLVMFuzzerTestOneInput(nullptr, 0);
    for (std::size_t i = 1; i <= sizeof odd; ++i)
        LLVMFuzzerTestOneInput(odd, i);
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path p(argv[i]);
        if (std::filesystem::is_directory(p)) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(p))
                if (e.is_regular_file()) count += runFile(e.path());
        } else if (std::filesystem::exists(p)) {
            count += runFile(p);
        }
    }
    std::printf("replayed %d corpus files\n", count);
    return 0;
}
