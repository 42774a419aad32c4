#pragma once
// Where the program's own files live. Portable: everything beside the executable, as a
// program unpacked into a folder of its own expects. Installed: settings under the
// user's configuration folder, scratch files in a private folder of the user's runtime
// or cache folder, texts and help from the installed data folder.

#include <string>

namespace quillon {

enum class PathMode { Portable, Installed };

// What the decision looks at, gathered once so that it can be tested without touching
// the real machine.
struct PathFacts {
    std::string programFolder; // the executable's folder
    bool programFolderWritable = true;
    bool installedLayout = false; // texts in ../share/quillon and none beside the program
    std::string xdgConfigHome;    // empty when unset
    std::string xdgRuntimeDir;
    std::string xdgCacheHome;
    std::string home;
};

// Every folder ends in "/".
struct AppPaths {
    PathMode mode = PathMode::Portable;
    std::string configFolder; // config.ini
    std::string dataFolder;   // Lang.ini and the help documents
    std::string scratchFolder;

    std::string configFile() const { return configFolder + "config.ini"; }
    std::string langIni() const { return dataFolder + "Lang.ini"; }
    // The help document of a language code: "ENG" and "FRA" have one; empty otherwise.
    std::string helpDocument(const std::string& languageCode) const;
};

// Installed when the program's folder cannot be written, or when it sits in an
// installed layout (so that an administrator starting /usr/bin/quillon does not write
// into /usr/bin); portable otherwise.
AppPaths DecideAppPaths(const PathFacts& facts);

// The facts of this process: its executable's folder (or programFolder when given),
// the environment and the file system.
PathFacts GatherPathFacts(const std::string& programFolder = "");

// Creates the configuration and scratch folders of installed mode (mode 0700) when
// they are missing. A scratch folder that exists but is not a private folder of this
// user is refused: the scratch files then go to a fresh private folder under the
// system's temporary folder. Returns the paths as they are to be used.
AppPaths PrepareAppPaths(AppPaths paths);

} // namespace quillon
