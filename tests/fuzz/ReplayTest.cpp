// Replays the inputs that once broke a fuzz target, kept under tests/fuzz-regressions,
// through the same target code under the ordinary test run.

#include "support/Bytes.h"

#include <filesystem>
#include <gtest/gtest.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(FuzzRegressions, EveryKeptInputRunsCleanly) {
    const std::filesystem::path folder =
        std::filesystem::path(QUILLON_SOURCE_DIR) / "tests/fuzz-regressions" / QUILLON_FUZZ_TARGET;
    int replayed = 0;
    if (std::filesystem::is_directory(folder)) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            SCOPED_TRACE(entry.path().string());
            const auto bytes = quillon::test::ReadFile(entry.path().string());
            EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
            ++replayed;
        }
    }
    // The seeds the project makes itself always run, so the target code stays exercised.
    for (const char* sample : {"samples/shapes.swf", "samples/shapes-compressed.swf"}) {
        const auto path = std::filesystem::path(QUILLON_SOURCE_DIR) / sample;
        if (std::filesystem::exists(path)) {
            const auto bytes = quillon::test::ReadFile(path.string());
            EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
            ++replayed;
        }
    }
    RecordProperty("replayed", replayed);
}
