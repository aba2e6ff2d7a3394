// Runs a fuzz target's entry point once over each file given, or over each
// file in each folder given (files starting with '.' are skipped), without
// libFuzzer: the corpus and the crash regressions become a plain test in any
// build of the project, the sanitizer build included.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {
bool replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return true;
}
} // namespace

int main(int argc, char** argv) {
    int files = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        if (!std::filesystem::is_directory(arg)) {
            ok = replay(arg) && ok;
            ++files;
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(arg)) {
            if (!entry.is_regular_file() || entry.path().filename().string().starts_with('.'))
                continue;
            ok = replay(entry.path()) && ok;
            ++files;
        }
    }
    std::printf("%d inputs replayed\n", files);
    // An empty replay means the folders were not found: a broken test, not a pass.
    return ok && files > 0 ? 0 : 1;
}
