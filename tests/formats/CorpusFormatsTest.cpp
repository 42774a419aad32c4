// The real movies of the shared corpus, when it is there: LZMA movies decode to the
// lengths the manifest found, the check finds the damage the manifest notes, and LZMA
// round trips are exact.

#include "support/MovieFixtures.h"
#include "codec/SwfImage.h"
#include "codec/Verify.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace quillon {
namespace {

using test::Bytes;
using Row = std::map<std::string, std::string>;

// QUILLON_CORPUS, else the shared folder beside the checkout, else the team's one.
std::string CorpusFolder() {
    if (const char* folder = std::getenv("QUILLON_CORPUS")) {
        return folder;
    }
    const std::string beside = QUILLON_SOURCE_DIR "/../shared/corpus";
    return std::filesystem::exists(beside) ? beside : "/work/shared/corpus";
}

std::vector<Row> Manifest() {
    std::ifstream file(CorpusFolder() + "/manifest.tsv");
    std::vector<Row> rows;
    std::vector<std::string> names;
    for (std::string line; std::getline(file, line);) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) {
            fields.push_back(field);
        }
        if (names.empty()) {
            names = fields;
            continue;
        }
        Row row;
        for (std::size_t i = 0; i < names.size() && i < fields.size(); ++i) {
            row[names[i]] = fields[i];
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

class CorpusFormats : public testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(CorpusFolder() + "/manifest.tsv")) {
            GTEST_SKIP() << "no corpus at " << CorpusFolder();
        }
        rows_ = Manifest();
    }
    Bytes Load(const Row& row) const {
        return test::ReadFile(CorpusFolder() + "/" + row.at("relpath"));
    }
    std::vector<Row> rows_;
};

bool Has(const Row& row, const std::string& text) {
    // Empty trailing fields are missing from the row.
    const auto notes = row.find("notes");
    return notes != row.end() && notes->second.find(text) != std::string::npos;
}

TEST_F(CorpusFormats, LzmaMoviesDecodeToTheLengthsFound) {
    int checked = 0;
    for (const Row& row : rows_) {
        if (row.at("signature") != "ZWS" || row.at("inflated_ok") != "1") {
            continue;
        }
        const Bytes file = Load(row);
        const std::uint64_t declared = std::stoull(row.at("declared_length"));
        const std::uint64_t found = std::stoull(row.at("inflated_length"));
        Bytes plain;
        const InflateOutcome outcome = DecompressSwfImage(file, plain);
        if (declared < 8) {
            EXPECT_EQ(outcome, InflateOutcome::OtherError) << row.at("relpath");
        } else if (declared <= found) {
            EXPECT_EQ(outcome, InflateOutcome::Complete) << row.at("relpath");
            EXPECT_EQ(plain.size(), declared) << row.at("relpath");
        }
        EXPECT_EQ(CheckMovie(file).plainLength, found) << row.at("relpath");
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST_F(CorpusFormats, CheckFindsTheNotedDamage) {
    for (const Row& row : rows_) {
        if (row.at("signature").size() != 3 || row.at("signature") == "?") {
            continue;
        }
        const MovieCheck check = CheckMovie(Load(row));
        const auto reports = [&](const std::string& text) {
            for (const auto& problem : check.problems) {
                if (problem.find(text) != std::string::npos) {
                    return true;
                }
            }
            return false;
        };
        const std::string& path = row.at("relpath");
        // A tag that runs past the end is reported as that, not as a missing End tag.
        EXPECT_EQ(reports("no End tag"), Has(row, "no top-level End tag") && !Has(row, "claims"))
            << path;
        EXPECT_EQ(reports("frame count"), Has(row, "header frame count")) << path;
        EXPECT_EQ(reports("follow the compressed data"),
                  Has(row, "after the end of the compressed stream"))
            << path;
        EXPECT_EQ(reports("runs past the end"), Has(row, "claims")) << path;
    }
}

TEST_F(CorpusFormats, LzmaRoundTripIsExact) {
    int checked = 0;
    for (std::size_t i = 0; i < rows_.size(); i += 40) {
        const Row& row = rows_[i];
        if (row.at("signature") != "CWS" || row.at("inflated_ok") != "1" ||
            row.at("declared_length") != row.at("inflated_length")) {
            continue;
        }
        Bytes plain;
        ASSERT_EQ(DecompressSwfImage(Load(row), plain), InflateOutcome::Complete);
        plain[3] = std::max(plain[3], LzmaMinimumVersion);
        Bytes back;
        EXPECT_EQ(DecompressSwfImage(CompressSwfImage(plain, CompressionMethod::Lzma), back),
                  InflateOutcome::Complete);
        EXPECT_EQ(back, plain) << row.at("relpath");
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

} // namespace
} // namespace quillon
