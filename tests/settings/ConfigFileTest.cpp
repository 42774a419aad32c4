#include "settings/ConfigFile.h"

#include "codec/FileIO.h"
#include "settings/SettingsValues.h"
#include "settings/TextFile.h"
#include "support/TempDir.h"
#include "support/WriteFaults.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace quillon {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

// The values the loads fill and the saves write, under the names the window uses.
SettingsValues values;
std::string& LanguageCode = values.LanguageCode;
std::string& OutputFolder = values.OutputFolder;
std::string& CompressedPrefix = values.CompressedPrefix;
std::string& DecompressedPrefix = values.DecompressedPrefix;
std::string& ModeName = values.ModeName;
CompressionMethod& CompressionChoice = values.CompressionChoice;

// What the main window would be told by a load, in the order it was told.
struct LoadResult {
    std::vector<std::string> calls;
    WindowState window;
    bool single = false;
    std::string modeNameWhenRun;
};

LoadResult Load(const std::string& path) {
    LoadResult result;
    const IniFile config(path);
    LoadLanguage(config, values);
    result.calls.push_back("language");
    LoadRest(
        config, values,
        [&](const WindowState& window) {
            result.window = window;
            result.calls.push_back("window");
        },
        [&](bool single) {
            result.single = single;
            result.modeNameWhenRun = ModeName;
            result.calls.push_back("mode");
            ModeName = single ? "Single" : "Batch";
        });
    return result;
}

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override { ResetValues("stale"); }
    void TearDown() override { SetWriteFaultHook(nullptr); }
    static void ResetValues(const std::string& text) {
        LanguageCode = OutputFolder = CompressedPrefix = DecompressedPrefix = ModeName = text;
    }
    TempDir folder_;
    const std::string path_ = ConfigPath(folder_.path());
};

TEST_F(ConfigFileTest, PathIsBesideTheProgram) {
    EXPECT_EQ(ConfigPath("/opt/quillon"), "/opt/quillon/config.ini");
    EXPECT_EQ(ConfigPath("/opt/quillon/"), "/opt/quillon/config.ini");
    EXPECT_EQ(ConfigPath("/"), "/config.ini");
}

TEST_F(ConfigFileTest, FirstStartGivesDefaultsAndFirstCloseWritesAllButOutputFolder) {
    const LoadResult loaded = Load(path_);
    EXPECT_EQ(loaded.calls, (std::vector<std::string>{"language", "window", "mode"}));
    EXPECT_EQ(LanguageCode, "");
    EXPECT_EQ(OutputFolder, "");
    EXPECT_EQ(CompressedPrefix, "");
    EXPECT_EQ(DecompressedPrefix, "");
    EXPECT_EQ(loaded.window.top, 100);
    EXPECT_EQ(loaded.window.left, 100);
    EXPECT_EQ(loaded.window.width, 100);
    EXPECT_EQ(loaded.window.height, 100);
    EXPECT_FALSE(loaded.window.maximised);
    EXPECT_FALSE(loaded.single);
    EXPECT_EQ(ModeName, "Batch");
    EXPECT_FALSE(FileExists(path_)) << "loading must not create the file";

    IniFile config(path_);
    SaveSettings(config, values, loaded.window);
    EXPECT_EQ(ReadText(path_), "[Configuration]\n"
                               "DefaultLanguage=\n"
                               "Mode=Batch\n"
                               "Prefix for compressed=\n"
                               "Prefix for decompressed=\n"
                               "[Size]\n"
                               "Top=100\n"
                               "Left=100\n"
                               "Width=100\n"
                               "Heigth=100\n"
                               "[Form]\n"
                               "InitMax=0\n");
}

TEST_F(ConfigFileTest, SavedValuesComeBack) {
    LanguageCode = "FRA";
    ModeName = "Single";
    CompressedPrefix = "c_";
    DecompressedPrefix = "d_";
    OutputFolder = "/out";
    IniFile config(path_);
    StoreOutputFolder(config, values);
    SaveSettings(config, values, WindowState{12, -3, 913, 593, false});

    ResetValues("stale");
    const LoadResult loaded = Load(path_);
    EXPECT_EQ(LanguageCode, "FRA");
    EXPECT_EQ(OutputFolder, "/out");
    EXPECT_EQ(CompressedPrefix, "c_");
    EXPECT_EQ(DecompressedPrefix, "d_");
    EXPECT_TRUE(loaded.single);
    EXPECT_EQ(loaded.window.top, 12);
    EXPECT_EQ(loaded.window.left, -3);
    EXPECT_EQ(loaded.window.width, 913);
    EXPECT_EQ(loaded.window.height, 593);
    EXPECT_FALSE(loaded.window.maximised);
}

TEST_F(ConfigFileTest, MaximisedWindowKeepsItsBoundsAndState) {
    IniFile config(path_);
    SaveSettings(config, values, WindowState{0, 0, 1280, 1024, true});
    const IniFile written(path_);
    EXPECT_EQ(written.readString("Form", "InitMax", ""), "1");
    EXPECT_EQ(written.readString("Size", "Heigth", ""), "1024");
    EXPECT_EQ(written.readString("Size", "Height", "absent"), "absent");

    const LoadResult loaded = Load(path_);
    EXPECT_TRUE(loaded.window.maximised);
    EXPECT_EQ(loaded.window.width, 1280);
    EXPECT_EQ(loaded.window.height, 1024);
}

struct ModeCase {
    const char* line; // nullptr: no Mode key
    bool single;
};

TEST_F(ConfigFileTest, OnlyExactlySingleStartsInSingleFileMode) {
    const ModeCase cases[] = {
        {"Mode=Single", true},  {"mode=Single", true}, {"Mode=single", false},
        {"Mode=SINGLE", false}, {"Mode=Batch", false}, {"Mode=", false},
        {"Mode=Other", false},  {nullptr, false},
    };
    for (const auto& c : cases) {
        WriteText(path_, std::string("[Configuration]\n") + (c.line ? c.line : "") + "\n");
        const LoadResult loaded = Load(path_);
        const std::string name = c.line ? c.line : "(none)";
        EXPECT_EQ(loaded.single, c.single) << name;
        // The value read is in ModeName when the command runs.
        const std::string read = c.line ? std::string(c.line).substr(5) : "";
        EXPECT_EQ(loaded.modeNameWhenRun, read) << name;
    }
}

struct GeometryCase {
    const char* top;
    int expected;
};

TEST_F(ConfigFileTest, GeometryFollowsTheIntegerRule) {
    const GeometryCase cases[] = {
        {"0x64", 100}, {"$64", 100},   {"0x20", 32}, {"$20", 32}, {"X20", 32},
        {"-5", -5},    {"64abc", 100}, {"abc", 100}, {"", 100},   {"4294967296", 100},
    };
    for (const auto& c : cases) {
        WriteText(path_, std::string("[Size]\nTop=") + c.top + "\nLeft=7\nwidth=300\nHEIGTH=200\n");
        const LoadResult loaded = Load(path_);
        EXPECT_EQ(loaded.window.top, c.expected) << c.top;
        EXPECT_EQ(loaded.window.left, 7);
        EXPECT_EQ(loaded.window.width, 300);
        EXPECT_EQ(loaded.window.height, 200);
    }
    // The correctly spelt key is not the one the program uses.
    WriteText(path_, "[Size]\nHeight=200\n");
    EXPECT_EQ(Load(path_).window.height, 100);
}

struct MaximisedCase {
    const char* value;
    bool maximised;
};

TEST_F(ConfigFileTest, InitMaxReadsAsAnInteger) {
    const MaximisedCase cases[] = {
        {"1", true}, {"2", true}, {"-1", true}, {"0", false}, {"letters", false}, {"", false},
    };
    for (const auto& c : cases) {
        WriteText(path_, std::string("[Form]\nInitMax=") + c.value + "\n");
        EXPECT_EQ(Load(path_).window.maximised, c.maximised) << c.value;
    }
}

TEST_F(ConfigFileTest, LanguageCodeKeepsItsCase) {
    WriteText(path_, "[configuration]\ndefaultlanguage=eng\n");
    Load(path_);
    EXPECT_EQ(LanguageCode, "eng");
}

TEST_F(ConfigFileTest, LongPrefixReadsBackCut) {
    CompressedPrefix = std::string(2048, 'p');
    IniFile config(path_);
    SaveSettings(config, values, WindowState{});
    Load(path_);
    EXPECT_EQ(CompressedPrefix, std::string(2047, 'p'));
}

TEST_F(ConfigFileTest, SaveLeavesOtherKeysAndOutputFolderAlone) {
    WriteText(path_, "; hand-written\n[Configuration]\nOutputFolder=/kept\nUnknown=yes\n"
                     "[Extra]\nA=b\n");
    OutputFolder = "/changed in memory";
    IniFile config(path_);
    SaveSettings(config, values, WindowState{});
    const std::string text = ReadText(path_);
    EXPECT_EQ(text.rfind("; hand-written\n[Configuration]\nOutputFolder=/kept\nUnknown=yes\n", 0),
              0u)
        << text;
    EXPECT_NE(text.find("[Extra]\nA=b\n"), std::string::npos) << text;
    EXPECT_EQ(IniFile(path_).readString("Configuration", "OutputFolder", ""), "/kept");
}

TEST_F(ConfigFileTest, StoringAnEmptyOutputFolderWritesAnEmptyValue) {
    WriteText(path_, "[Configuration]\nOutputFolder=/old\nMode=Single\n");
    OutputFolder = "";
    IniFile config(path_);
    StoreOutputFolder(config, values);
    EXPECT_EQ(ReadText(path_), "[Configuration]\nOutputFolder=\nMode=Single\n");
    OutputFolder = "stale";
    Load(path_);
    EXPECT_EQ(OutputFolder, "");
}

TEST_F(ConfigFileTest, SaveStopsAtTheFirstKeyThatCannotBeWritten) {
    // Every key is one replacement of the file; the third ("Left") fails.
    int renames = 0;
    SetWriteFaultHook(
        [&](WriteStep step) { return step == WriteStep::Rename && ++renames == 3 ? EIO : 0; });
    LanguageCode = "ENG";
    IniFile config(path_);
    try {
        SaveSettings(config, values, WindowState{1, 2, 3, 4, true});
        ADD_FAILURE() << "no error";
    } catch (const EIniWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path_);
    }
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(ReadText(path_), "[Configuration]\nDefaultLanguage=ENG\n[Size]\nTop=1\n");
}

TEST_F(ConfigFileTest, CompressionChoiceHasAKeyOfItsOwnWrittenOnlyWhenStored) {
    // Absent, and unknown values, read as zlib at level 9.
    CompressionChoice = CompressionMethod::Lzma;
    Load(path_);
    EXPECT_EQ(CompressionChoice, CompressionMethod::ZlibLevel);
    WriteText(path_, "[Configuration]\nCompression=bogus\n");
    CompressionChoice = CompressionMethod::Lzma;
    Load(path_);
    EXPECT_EQ(CompressionChoice, CompressionMethod::ZlibLevel);

    // Shutdown leaves it alone, and so does confirming the default that the file
    // already reads as; confirming another method writes it.
    WriteText(path_, "[Configuration]\nMode=Single\n");
    CompressionChoice = CompressionMethod::ZlibLevel;
    IniFile config(path_);
    StoreCompressionChoice(config, values);
    EXPECT_EQ(ReadText(path_), "[Configuration]\nMode=Single\n");
    CompressionChoice = CompressionMethod::ZlibSmallest;
    SaveSettings(config, values, WindowState{});
    EXPECT_EQ(ReadText(path_).find("Compression="), std::string::npos);
    StoreCompressionChoice(config, values);
    EXPECT_EQ(IniFile(path_).readString("Configuration", "Compression", ""), "zlib-smallest");
    for (const auto& choice : CompressionChoices) {
        CompressionChoice = choice.method;
        StoreCompressionChoice(config, values);
        CompressionChoice = CompressionMethod::ZlibLevel == choice.method
                                ? CompressionMethod::Lzma
                                : CompressionMethod::ZlibLevel;
        Load(path_);
        EXPECT_EQ(CompressionChoice, choice.method) << choice.caption;
    }
}

TEST_F(ConfigFileTest, BatchJobsIsReadHeldAtTheCoresAndNeverWritten) {
    const struct {
        const char* line;
        int jobs;
    } cases[] = {
        {"", 1},
        {"BatchJobs=2", 2},
        {"BatchJobs=4", 4},
        {"BatchJobs=9", 4},
        {"BatchJobs=0", 1},
        {"BatchJobs=-3", 1},
        {"BatchJobs=two", 1},
        {"batchjobs=3", 3},
    };
    for (const auto& c : cases) {
        WriteText(path_, std::string("[Configuration]\n") + c.line + "\n");
        EXPECT_EQ(ReadBatchJobs(IniFile(path_), 4), c.jobs) << c.line;
    }
    WriteText(path_, "[Configuration]\nBatchJobs=1000\n");
    values.BatchJobs = 0;
    Load(path_);
    EXPECT_GE(values.BatchJobs, 1);
    EXPECT_LE(values.BatchJobs,
              static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    // A save leaves the hand-written key as it was.
    IniFile config(path_);
    SaveSettings(config, values, WindowState{});
    EXPECT_EQ(IniFile(path_).readString("Configuration", "BatchJobs", ""), "1000");
}

TEST_F(ConfigFileTest, StoreOutputFolderFailureKeepsTheFile) {
    const std::string before = "[Configuration]\nOutputFolder=/old\n";
    WriteText(path_, before);
    SetWriteFaultHook([](WriteStep step) { return step == WriteStep::Write ? ENOSPC : 0; });
    OutputFolder = "/new";
    IniFile config(path_);
    EXPECT_THROW(StoreOutputFolder(config, values), EIniWriteError);
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(ReadText(path_), before);
}

} // namespace
} // namespace quillon

namespace quillon {
namespace {

TEST(SoundSetting, AbsentIsOnZeroSilencesAndShutdownLeavesItAlone) {
    const struct {
        const char* line;
        bool on;
    } cases[] = {{nullptr, true},    {"Sound=1", true}, {"Sound=0", false},
                 {"sound=0", false}, {"Sound=2", true}, {"Sound=off", true}};
    for (const auto& c : cases) {
        test::TempDir folder;
        const std::string path = ConfigPath(folder.path());
        const std::string text = std::string("[Configuration]\n") + (c.line ? c.line : "") + "\n";
        test::WriteText(path, text);
        values.SoundEnabled = !c.on;
        Load(path);
        EXPECT_EQ(values.SoundEnabled, c.on) << (c.line ? c.line : "(none)");
        IniFile config(path);
        SaveSettings(config, values, WindowState{});
        EXPECT_EQ(IniFile(path).readString("Configuration", "Sound", "absent"),
                  c.line ? std::string(c.line).substr(6) : "absent");
    }
}

} // namespace
} // namespace quillon
