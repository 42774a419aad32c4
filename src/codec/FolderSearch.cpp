#include "FolderSearch.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace quillon {

namespace {

struct Entry {
    std::string name;
    bool isFolder;
};

int CompareIgnoringCase(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = static_cast<unsigned char>(a[i]);
        const int cb = static_cast<unsigned char>(b[i]);
        const int la = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
        const int lb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
        if (la != lb) {
            return la - lb;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool EntryBefore(const Entry& a, const Entry& b) {
    const int c = CompareIgnoringCase(a.name, b.name);
    return c != 0 ? c < 0 : a.name < b.name;
}

// Reads a folder's entries, "." and ".." left out. Returns false when it cannot be
// listed. Types come from the listing where the file system gives them.
bool ListFolder(const std::string& folder, std::vector<Entry>& entries, ScanObserver* observer) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        return false;
    }
    const int dirFd = ::dirfd(dir);
    // The listing of the original platform shows "." and ".." too, and the progress
    // counts every read of it.
    if (observer) {
        observer->listingRead();
        observer->listingRead();
    }
    while (const dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) {
            continue;
        }
        if (observer) {
            observer->listingRead();
        }
        bool isFolder = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st;
            isFolder =
                ::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back({e->d_name, isFolder});
    }
    ::closedir(dir);
    return true;
}

void Walk(const std::string& folder, std::vector<std::string>& found, ScanObserver* observer) {
    if (observer) {
        observer->enterFolder(folder);
    }
    std::vector<Entry> entries;
    if (!ListFolder(folder, entries, observer)) {
        return;
    }
    std::sort(entries.begin(), entries.end(), EntryBefore);
    for (const Entry& entry : entries) {
        if (observer && observer->stopRequested()) {
            return;
        }
        std::string path = folder + "/" + entry.name;
        if (entry.isFolder) {
            Walk(path, found, observer);
        } else if (HasSwfExtension(entry.name)) {
            found.push_back(std::move(path));
        }
    }
}

} // namespace

bool HasSwfExtension(const std::string& name) {
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".swf") == 0;
}

void SearchSwfFiles(const std::string& folder, std::vector<std::string>& found,
                    ScanObserver* observer) {
    Walk(folder, found, observer);
}

} // namespace quillon
