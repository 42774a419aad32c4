#include "FolderSearch.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace quillon {

namespace {

enum class EntryKind { Folder, Movie, Other };

struct Entry {
    std::string name;
    EntryKind kind;
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

// A folder is walked (never through a link); a movie is a regular file or a link to
// one whose name ends in ".swf". FIFOs, devices and sockets would block a run.
EntryKind KindOf(int dirFd, const dirent& e) {
    unsigned char type = e.d_type;
    struct stat st;
    if (type == DT_UNKNOWN) {
        if (::fstatat(dirFd, e.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            return EntryKind::Other;
        }
        type = static_cast<unsigned char>(IFTODT(st.st_mode));
    }
    if (type == DT_DIR) {
        return EntryKind::Folder;
    }
    if (!HasSwfExtension(e.d_name)) {
        return EntryKind::Other;
    }
    if (type == DT_REG) {
        return EntryKind::Movie;
    }
    const bool linkToFile =
        type == DT_LNK && ::fstatat(dirFd, e.d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
    return linkToFile ? EntryKind::Movie : EntryKind::Other;
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
        entries.push_back({e->d_name, KindOf(dirFd, *e)});
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
        if (entry.kind == EntryKind::Folder) {
            Walk(path, found, observer);
        } else if (entry.kind == EntryKind::Movie) {
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
