#include "FileIO.h"

#include "Errors.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillon {

namespace {

int InjectedFault(WriteStep step) {
    return InjectedWriteFault ? InjectedWriteFault(step) : 0;
}

// Closes a descriptor once, whatever path leaves the scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and tells whether the close succeeded.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// A replaced target keeps its permissions; a new one gets the usual ones.
mode_t ModeForTarget(const struct stat* existing) {
    if (existing) {
        return existing->st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The file a write really goes to: a link is followed, so that the link stays.
std::string ResolveTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            std::string result(resolved);
            std::free(resolved);
            return result;
        }
    }
    return path;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (const int fault = InjectedFault(WriteStep::Write)) {
            errno = fault;
            return false;
        }
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, 1 << 30);
        const ssize_t n = ::write(fd, bytes.data() + done, chunk);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Only regular files are movies: a FIFO, device or socket would block a read or never
// end it.
void RequireRegularFile(const std::string& path, const struct stat& st) {
    if (S_ISDIR(st.st_mode)) {
        throw EFOpenError(path, EISDIR);
    }
    if (!S_ISREG(st.st_mode)) {
        throw EFOpenError(path, "It is not a regular file.");
    }
}

} // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    struct stat st;
    // Checked before opening, so that no device is opened at all, and again after, as
    // the name may have changed meanwhile; the open itself never waits for a writer.
    if (::stat(path.c_str(), &st) == 0) {
        RequireRegularFile(path, st);
    }
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        throw EFOpenError(path, errno);
    }
    if (::fstat(fd.get(), &st) != 0) {
        throw EFOpenError(path, errno);
    }
    RequireRegularFile(path, st);
    // One byte more than the size seen, so the read that finds the end needs no room;
    // the buffer grows only when the file changes meanwhile.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + used, bytes.size() - used);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EReadError();
        }
        if (n == 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    bytes.resize(used);
    return bytes;
}

namespace {

// The temporary file's last steps: flushed, closed, renamed over the target.
bool FinishTemporary(FileDescriptor& fd, const std::string& temporary, const std::string& path) {
    if (const int fault = InjectedFault(WriteStep::Flush)) {
        errno = fault;
        return false;
    }
    // Late errors of network and quota-limited file systems show up here.
    if (::fdatasync(fd.get()) != 0 && errno != EINVAL && errno != EROFS) {
        return false;
    }
    const int closeFault = InjectedFault(WriteStep::Close);
    if (!fd.close() || closeFault) {
        return false;
    }
    return !InjectedFault(WriteStep::Rename) && ::rename(temporary.c_str(), path.c_str()) == 0;
}

// A folder that allows no new file, holding a target that may be written: the target is
// rewritten where it is, the one way left to replace it.
bool RewriteInPlace(const std::string& path, const std::string& requestedPath,
                    std::span<const std::uint8_t> bytes) {
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) {
        throw EFCreateError(requestedPath, errno);
    }
    if (!WriteAll(fd.get(), bytes) || !fd.close()) {
        throw EInPlaceWriteError(requestedPath, errno);
    }
    return true;
}

bool FolderRefusesNewFiles(int error) {
    return error == EACCES || error == EPERM;
}

} // namespace

bool WriteFileReplacing(const std::string& requestedPath, std::span<const std::uint8_t> bytes) {
    const std::string path = ResolveTarget(requestedPath);
    struct stat existing;
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        throw EFCreateError(requestedPath, EISDIR);
    }
    // A file the user may not write stays as it is, as a direct write would leave it.
    if (exists && ::access(path.c_str(), W_OK) != 0) {
        throw EFCreateError(requestedPath, errno);
    }

    std::string temporary = FolderOf(path) + "/." + FileNameOf(path) + ".quillon-XXXXXX";
    int fault = InjectedFault(WriteStep::Create);
    FileDescriptor fd(fault ? -1 : ::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        const int error = fault ? fault : errno;
        if (exists && FolderRefusesNewFiles(error)) {
            return RewriteInPlace(path, requestedPath, bytes);
        }
        throw EFCreateError(requestedPath, error);
    }
    if (exists) {
        // Only root may give a file away; for anyone else this keeps what it can.
        (void)!::fchown(fd.get(), existing.st_uid, existing.st_gid);
    }
    ::fchmod(fd.get(), ModeForTarget(exists ? &existing : nullptr));
    if (!WriteAll(fd.get(), bytes) || !FinishTemporary(fd, temporary, path)) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool ScratchFile::write(std::span<const std::uint8_t> bytes) {
    remove();
    // Whatever lies under that name (a stale copy, or a link planted there) goes; the
    // link's target is never touched.
    ::unlink(path_.c_str());
    const int fault = InjectedFault(WriteStep::Create);
    FileDescriptor fd(
        fault ? -1
              : ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0) {
        throw EFCreateError(path_, fault ? fault : errno);
    }
    struct stat st;
    if (::fstat(fd.get(), &st) == 0) {
        created_ = true;
        device_ = st.st_dev;
        inode_ = st.st_ino;
    }
    bool written = WriteAll(fd.get(), bytes);
    // A scratch copy is read back at once or not at all, so it needs no flush to disk.
    written = written && !InjectedFault(WriteStep::Flush);
    written = written && !InjectedFault(WriteStep::Close);
    if (!fd.close() || !written) {
        remove();
        return false;
    }
    return true;
}

void ScratchFile::remove() {
    struct stat st;
    if (created_ && ::lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ &&
        st.st_ino == inode_) {
        ::unlink(path_.c_str());
    }
    created_ = false;
}

ScratchFile::~ScratchFile() {
    remove();
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::int64_t FileSizeOrMinusOne(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode) ||
        ::access(path.c_str(), R_OK) != 0) {
        return -1;
    }
    return st.st_size;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace quillon
