// The fuzz targets' checks in the normal suite: every seed of the committed corpora and
// every input a fuzz target once failed on goes through the same reader entry points and
// the same checks as under the fuzzer, so a reader that goes wrong again fails here too
// (and in the sanitizer build, a read out of bounds or undefined behaviour does). Each
// kept input also has the outcome it must get: refused, or read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/fuzz/reader_check.h"
#include "build_paths.h"

namespace {

namespace fs = std::filesystem;
using reader_check::Check;
using reader_check::Verdict;

struct Reader {
    const char* name;  // as in tests/fuzz/corpus/NAME and tests/fuzz/regressions/NAME
    Check check;
};

constexpr Reader kReaders[] = {
    {"bmp", reader_check::check_bmp},
    {"tim", reader_check::check_tim},
    {"png", reader_check::check_png},
    {"project_file", reader_check::check_project_file},
    {"data_file", reader_check::check_data_file},
    {"configuration", reader_check::check_configuration},
    {"clipboard", reader_check::check_clipboard},
};

// An input a fuzz target failed on, with the outcome the fixed reader gives it.
struct Regression {
    const char* reader;
    const char* file;
    bool read;
};

constexpr Regression kRegressions[] = {
    // An empty project file: its bytes were copied from the null data of an empty vector.
    // It reads as a project of empty names, as any file shorter than the tables does.
    {"project_file", "empty-file", true},
};

const fs::path kFuzzDir = fs::path(build_paths::source_dir) / "tests" / "fuzz";

const Reader& reader_named(const std::string& name) {
    const auto* it = std::find_if(std::begin(kReaders), std::end(kReaders),
                                  [&](const Reader& r) { return name == r.name; });
    if (it == std::end(kReaders)) throw std::runtime_error("no reader named " + name);
    return *it;
}

// The file's bytes as the program holds what it reads: a vector of exactly their size.
std::vector<uint8_t> file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path.string());
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> files_in(const fs::path& dir) {
    std::vector<fs::path> files;
    if (!fs::is_directory(dir)) return files;
    for (const fs::directory_entry& e : fs::directory_iterator(dir))
        if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(FuzzInputs, EverySeedOfEveryCorpusPassesItsReadersCheck) {
    for (const Reader& reader : kReaders) {
        const std::vector<fs::path> seeds = files_in(kFuzzDir / "corpus" / reader.name);
        EXPECT_FALSE(seeds.empty()) << "no committed corpus for " << reader.name;
        for (const fs::path& seed : seeds) EXPECT_EQ(reader.check(file_bytes(seed)).fault, "") << seed;
    }
}

TEST(FuzzInputs, EachInputAFuzzerFailedOnGetsItsOutcomeWithoutAFault) {
    for (const Regression& r : kRegressions) {
        const fs::path path = kFuzzDir / "regressions" / r.reader / r.file;
        ASSERT_TRUE(fs::is_regular_file(path)) << path;
        const Verdict v = reader_named(r.reader).check(file_bytes(path));
        EXPECT_EQ(v.fault, "") << path;
        EXPECT_EQ(v.read, r.read) << path << (r.read ? " was refused" : " was read");
    }
}

TEST(FuzzInputs, EveryKeptInputIsListedWithItsOutcome) {
    std::vector<std::string> kept;
    for (const Reader& reader : kReaders)
        for (const fs::path& file : files_in(kFuzzDir / "regressions" / reader.name))
            kept.push_back(std::string(reader.name) + "/" + file.filename().string());
    std::vector<std::string> listed;
    for (const Regression& r : kRegressions) listed.push_back(std::string(r.reader) + "/" + r.file);
    std::sort(kept.begin(), kept.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(kept, listed);
}

}  // namespace
