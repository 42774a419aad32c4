#include "settings/AppPaths.h"

#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quillon {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

PathFacts Facts(bool writable, bool installedLayout) {
    PathFacts facts;
    facts.programFolder = "/opt/q/bin";
    facts.programFolderWritable = writable;
    facts.installedLayout = installedLayout;
    facts.home = "/home/ann";
    return facts;
}

TEST(AppPathsTest, AWritableProgramFolderKeepsEverythingBesideTheProgram) {
    const AppPaths paths = DecideAppPaths(Facts(true, false));
    EXPECT_EQ(paths.mode, PathMode::Portable);
    EXPECT_EQ(paths.configFile(), "/opt/q/bin/config.ini");
    EXPECT_EQ(paths.langIni(), "/opt/q/bin/Lang.ini");
    EXPECT_EQ(paths.scratchFolder, "/opt/q/bin/");
    EXPECT_EQ(paths.helpDocument("ENG"), "/opt/q/bin/Help_eng.pdf");
    EXPECT_EQ(paths.helpDocument("FRA"), "/opt/q/bin/Help_fra.pdf");
    EXPECT_EQ(paths.helpDocument("eng"), "");
    EXPECT_EQ(paths.helpDocument(""), "");
}

// Where each file goes when installed, for the environments a desktop session, a bare
// login and a misconfigured one give.
TEST(AppPathsTest, InstalledModeFollowsTheUsersFolders) {
    struct Case {
        bool writable, layout;
        std::string configHome, runtime, cache;
        std::string config, scratch;
    };
    const Case cases[] = {
        {false, false, "", "", "", "/home/ann/.config/quillon/config.ini",
         "/home/ann/.cache/quillon/"},
        {false, false, "/cfg", "/run/user/7", "/c", "/cfg/quillon/config.ini",
         "/run/user/7/quillon/"},
        {false, false, "", "", "/c/", "/home/ann/.config/quillon/config.ini", "/c/quillon/"},
        // Relative values are ignored, as the base-folder rules say.
        {false, false, "rel", "run", "cache", "/home/ann/.config/quillon/config.ini",
         "/home/ann/.cache/quillon/"},
        // An administrator starting the installed program still gets the installed mode.
        {true, true, "/cfg/", "", "", "/cfg/quillon/config.ini", "/home/ann/.cache/quillon/"},
    };
    for (const Case& c : cases) {
        PathFacts facts = Facts(c.writable, c.layout);
        facts.xdgConfigHome = c.configHome;
        facts.xdgRuntimeDir = c.runtime;
        facts.xdgCacheHome = c.cache;
        const AppPaths paths = DecideAppPaths(facts);
        EXPECT_EQ(paths.mode, PathMode::Installed) << c.config;
        EXPECT_EQ(paths.configFile(), c.config);
        EXPECT_EQ(paths.scratchFolder, c.scratch) << c.config;
        EXPECT_EQ(paths.langIni(), "/opt/q/share/quillon/Lang.ini");
        EXPECT_EQ(paths.helpDocument("FRA"), "/opt/q/share/quillon/Help_fra.pdf");
    }
}

class AppPathsFolderTest : public ::testing::Test {
protected:
    TempDir dir;
    void Touch(const std::string& path) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "[x]\n";
    }
};

TEST_F(AppPathsFolderTest, TheLayoutTellsAnInstalledProgramFromAPortableOne) {
    Touch(dir.file("usr/share/quillon/Lang.ini"));
    fs::create_directories(dir.file("usr/bin"));
    EXPECT_TRUE(GatherPathFacts(dir.file("usr/bin")).installedLayout);
    EXPECT_TRUE(GatherPathFacts(dir.file("usr/bin/")).installedLayout);
    EXPECT_TRUE(GatherPathFacts(dir.file("usr/bin")).programFolderWritable);

    // Texts beside the program make it portable, wherever it is.
    Touch(dir.file("usr/bin/Lang.ini"));
    EXPECT_FALSE(GatherPathFacts(dir.file("usr/bin")).installedLayout);
    Touch(dir.file("portable/Lang.ini"));
    EXPECT_FALSE(GatherPathFacts(dir.file("portable")).installedLayout);
}

TEST_F(AppPathsFolderTest, PreparingMakesPrivateFoldersAndRefusesSharedOnes) {
    PathFacts facts = Facts(false, false);
    facts.xdgConfigHome = dir.file("config");
    facts.xdgRuntimeDir = dir.file("runtime");
    const AppPaths prepared = PrepareAppPaths(DecideAppPaths(facts));
    EXPECT_TRUE(fs::is_directory(dir.file("config/quillon")));
    EXPECT_EQ(prepared.scratchFolder, dir.file("runtime/quillon/"));
    struct stat st;
    ASSERT_EQ(::stat(dir.file("runtime/quillon").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A scratch folder others may enter is not used: a fresh private one is.
    ::chmod(dir.file("runtime/quillon").c_str(), 0777);
    const AppPaths refused = PrepareAppPaths(DecideAppPaths(facts));
    EXPECT_NE(refused.scratchFolder, dir.file("runtime/quillon/"));
    ASSERT_EQ(::stat(refused.scratchFolder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    fs::remove_all(refused.scratchFolder);
}

TEST_F(AppPathsFolderTest, PortablePathsTouchNothing) {
    PathFacts facts = Facts(true, false);
    facts.programFolder = dir.path();
    const AppPaths paths = PrepareAppPaths(DecideAppPaths(facts));
    EXPECT_EQ(paths.configFile(), dir.path() + "/config.ini");
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

} // namespace
} // namespace quillon
