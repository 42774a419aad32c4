#include "codec/FolderSearch.h"

#include "support/Bytes.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillon;
using namespace quillon::test;
namespace fs = std::filesystem;

namespace {

class FolderSearchTest : public ::testing::Test {
protected:
    TempDir dir;
    void Touch(const std::string& relative) {
        fs::create_directories(fs::path(dir.file(relative)).parent_path());
        WriteFile(dir.file(relative), {'F'});
    }
    std::vector<std::string> Found(ScanObserver* observer = nullptr) {
        std::vector<std::string> found;
        SearchSwfFiles(dir.path(), found, observer);
        for (auto& path : found) {
            path = path.substr(dir.path().size());
        }
        return found;
    }
};

TEST_F(FolderSearchTest, MatchesNamesEndingExactlyInDotSwf) {
    for (const char* name : {"movie.swf", "MOVIE.SWF", "movie.Swf", ".swf", "swf", "movie.swf.bak",
                             "clips.swf/inner.swf", ".hidden.swf", ".hiddenfolder/deep.swf"}) {
        Touch(name);
    }
    EXPECT_EQ(Found(), (std::vector<std::string>{"/.hidden.swf", "/.hiddenfolder/deep.swf", "/.swf",
                                                 "/clips.swf/inner.swf", "/movie.swf"}));
}

TEST_F(FolderSearchTest, WalksDepthFirstInCaseInsensitiveNameOrder) {
    for (const char* name :
         {"b.swf", "A.swf", "a.swf", "c/z.swf", "C/y.swf", "d.swf", "c/sub/x.swf"}) {
        Touch(name);
    }
    // Ties between names that differ only in case go by bytes: upper case first.
    EXPECT_EQ(Found(), (std::vector<std::string>{"/A.swf", "/a.swf", "/b.swf", "/C/y.swf",
                                                 "/c/sub/x.swf", "/c/z.swf", "/d.swf"}));
}

TEST_F(FolderSearchTest, LinksToFoldersAreNotFollowedButLinksToFilesCount) {
    Touch("real/movie.swf");
    fs::create_directory_symlink(dir.path(), dir.file("real/loop"));
    fs::create_symlink(dir.file("real/movie.swf"), dir.file("link.swf"));
    EXPECT_EQ(Found(), (std::vector<std::string>{"/link.swf", "/real/movie.swf"}));
}

// Only regular files are movies: a FIFO would block a run that opens it, and a link to
// a folder named like a movie is neither a movie nor a folder to walk.
TEST_F(FolderSearchTest, SpecialFilesAndLinksToFoldersAreNotListed) {
    Touch("real/movie.swf");
    Touch("folder.swf/inside.swf");
    fs::create_directory_symlink(dir.file("folder.swf"), dir.file("x.swf"));
    fs::create_symlink(dir.file("nowhere.swf"), dir.file("broken.swf"));
    if (::mkfifo(dir.file("pipe.swf").c_str(), 0600) != 0) {
        GTEST_SKIP() << "this machine cannot make a FIFO here";
    }
    fs::create_symlink(dir.file("pipe.swf"), dir.file("pipelink.swf"));
    EXPECT_EQ(Found(), (std::vector<std::string>{"/folder.swf/inside.swf", "/real/movie.swf"}));
}

TEST_F(FolderSearchTest, AFolderRootGetsASlashAnyway) {
    Touch("m.swf");
    std::vector<std::string> found;
    SearchSwfFiles(dir.path() + "/", found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], dir.path() + "//m.swf");
}

TEST_F(FolderSearchTest, AnUnreadableFolderAddsNothing) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    Touch("open/a.swf");
    Touch("shut/b.swf");
    fs::permissions(dir.file("shut"), fs::perms::none);
    EXPECT_EQ(Found(), std::vector<std::string>{"/open/a.swf"});
    fs::permissions(dir.file("shut"), fs::perms::owner_all);
}

TEST_F(FolderSearchTest, ReportsEveryFolderAndEveryReadOfItsListing) {
    struct Counter : ScanObserver {
        std::vector<std::string> folders;
        int reads = 0;
        void enterFolder(const std::string& folder) override { folders.push_back(folder); }
        void listingRead() override { ++reads; }
    } counter;
    Touch("a.swf");
    Touch("sub/b.swf");
    Touch("sub/c.txt");
    Found(&counter);
    EXPECT_EQ(counter.folders, (std::vector<std::string>{dir.path(), dir.path() + "/sub"}));
    // Each folder lists "." and ".." as well: 2 + 2 entries, then 2 + 2.
    EXPECT_EQ(counter.reads, 8);
}

TEST_F(FolderSearchTest, StopsWhenAskedTo) {
    struct Stopper : ScanObserver {
        bool stopRequested() override { return true; }
    } stopper;
    Touch("a.swf");
    EXPECT_TRUE(Found(&stopper).empty());
}

} // namespace
