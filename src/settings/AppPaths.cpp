#include "AppPaths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillon {

namespace fs = std::filesystem;

namespace {

// A folder path, normalised, with exactly one trailing "/".
std::string FolderText(const fs::path& folder) {
    std::string text = folder.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text == "/" ? text : text + "/";
}

// The XDG base-folder rule: a relative value counts as unset.
std::string XdgFolder(const std::string& value, const std::string& home, const char* fallback) {
    if (!value.empty() && value.front() == '/') {
        return value;
    }
    return home.empty() ? std::string() : home + "/" + fallback;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) {
            home = entry->pw_dir;
        }
    }
    return home;
}

std::string ExecutableFolder() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path(error).string() : exe.parent_path().string();
}

// True when the folder is a folder of this user that nobody else may enter.
bool IsPrivateFolder(const std::string& folder) {
    struct stat st;
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

// Creates the folder and its parents; the last one private.
bool MakePrivateFolder(const std::string& folder) {
    std::error_code error;
    fs::create_directories(fs::path(folder).parent_path(), error);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    return IsPrivateFolder(folder);
}

std::string FreshTemporaryFolder() {
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    std::string pattern = ((error ? fs::path("/tmp") : base) / "quillon-XXXXXX").string();
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

} // namespace

std::string AppPaths::helpDocument(const std::string& languageCode) const {
    if (languageCode == "ENG") {
        return dataFolder + "Help_eng.pdf";
    }
    if (languageCode == "FRA") {
        return dataFolder + "Help_fra.pdf";
    }
    return "";
}

AppPaths DecideAppPaths(const PathFacts& facts) {
    const std::string program = FolderText(facts.programFolder);
    if (facts.programFolderWritable && !facts.installedLayout) {
        return AppPaths{PathMode::Portable, program, program, program};
    }
    AppPaths paths;
    paths.mode = PathMode::Installed;
    const std::string config = XdgFolder(facts.xdgConfigHome, facts.home, ".config");
    paths.configFolder = FolderText(fs::path(config) / "quillon");
    paths.dataFolder = FolderText(fs::path(program) / ".." / "share" / "quillon");
    const std::string runtime = XdgFolder(facts.xdgRuntimeDir, "", "");
    const std::string scratchBase =
        runtime.empty() ? XdgFolder(facts.xdgCacheHome, facts.home, ".cache") : runtime;
    paths.scratchFolder = FolderText(fs::path(scratchBase) / "quillon");
    return paths;
}

PathFacts GatherPathFacts(const std::string& programFolder) {
    PathFacts facts;
    facts.programFolder = programFolder.empty() ? ExecutableFolder() : programFolder;
    const fs::path program(facts.programFolder);
    facts.programFolderWritable = ::access(facts.programFolder.c_str(), W_OK) == 0;
    std::error_code error;
    const fs::path folder = program.filename().empty() ? program.parent_path() : program;
    facts.installedLayout = folder.filename() == "bin" &&
                            fs::exists(folder / ".." / "share" / "quillon" / "Lang.ini", error) &&
                            !fs::exists(folder / "Lang.ini", error);
    facts.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    facts.xdgRuntimeDir = Environment("XDG_RUNTIME_DIR");
    facts.xdgCacheHome = Environment("XDG_CACHE_HOME");
    facts.home = HomeFolder();
    return facts;
}

AppPaths PrepareAppPaths(AppPaths paths) {
    if (paths.mode == PathMode::Portable) {
        return paths;
    }
    std::error_code error;
    fs::create_directories(paths.configFolder, error);
    const std::string scratch = paths.scratchFolder.substr(0, paths.scratchFolder.size() - 1);
    if (!MakePrivateFolder(scratch)) {
        const std::string fresh = FreshTemporaryFolder();
        paths.scratchFolder = fresh.empty() ? paths.configFolder : FolderText(fresh);
    }
    return paths;
}

} // namespace quillon
