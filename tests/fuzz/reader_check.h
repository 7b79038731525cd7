// What a fuzz target asserts of its reader, in a form the unit tests share. Each target
// defines a check that hands the bytes to the reader's entry points and names what is
// wrong with the result. Built as a fuzz target, the file also gets the fuzzer's entry
// point, which stops at the first fault; the unit tests compile the same file without it
// (CELWRIGHT_READER_CHECKS_ONLY) and replay the seed corpora and the inputs the fuzzer
// once crashed on through the same check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace reader_check {

struct Verdict {
    bool read = false;  // the reader took the bytes; false when it refused them
    std::string fault;  // what is wrong with the result; empty when nothing is
};

using Check = Verdict (*)(std::span<const uint8_t>);

Verdict check_bmp(std::span<const uint8_t> bytes);
Verdict check_tim(std::span<const uint8_t> bytes);
Verdict check_png(std::span<const uint8_t> bytes);
Verdict check_project_file(std::span<const uint8_t> bytes);
Verdict check_data_file(std::span<const uint8_t> bytes);
Verdict check_configuration(std::span<const uint8_t> bytes);
// Read when either block reader took the bytes.
Verdict check_clipboard(std::span<const uint8_t> bytes);

inline Verdict refused() {
    return Verdict{false, {}};
}
inline Verdict read() {
    return Verdict{true, {}};
}
inline Verdict fault(bool read, const char* what) {
    return Verdict{read, what};
}

// The reader gets the input as the program holds a file or a clipboard block it read: in
// a vector of exactly its size (so that a read past the end is caught), whose data is null
// when the input is empty.
inline int run_fuzz_input(Check check, const uint8_t* data, size_t size) {
    const std::vector<uint8_t> held(data, data + size);
    const Verdict v = check(held);
    if (!v.fault.empty()) {
        std::fprintf(stderr, "reader check failed: %s\n", v.fault.c_str());
        std::abort();
    }
    return 0;
}

}  // namespace reader_check

#ifdef CELWRIGHT_READER_CHECKS_ONLY
#define CELWRIGHT_FUZZ_TARGET(check)
#else
#define CELWRIGHT_FUZZ_TARGET(check)                                          \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
        return reader_check::run_fuzz_input(check, data, size);               \
    }
#endif
