#pragma once
// Whole-file reading and the safe whole-file write that every target goes through.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quillon {

// Reads a file whole. Only a regular file (or a link to one) is read, and opening
// never waits: a FIFO, device or socket is refused. Throws EFOpenError when it cannot
// be opened, EReadError when reading fails part-way.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

// Writes a file whole through a temporary file in the target's folder and a rename, so
// a failure never leaves a truncated target and whatever the target held survives.
// Throws EFCreateError (naming the target) when the target cannot be created or
// replaced. Returns false when writing failed part-way (a full disk and its kin); the
// temporary file is then gone and the target is as it was. A replaced target keeps its
// permissions, and its owner and group where the process may set them. When the folder
// allows no temporary file but the target itself is writable, the target is rewritten
// in place; a failure of that write throws EInPlaceWriteError.
bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes);

// True when a file (not a folder) of that path exists.
bool FileExists(const std::string& path);

// The size of a file in bytes, or -1 when it cannot be read.
std::int64_t FileSizeOrMinusOne(const std::string& path);

// The folder of a path ("." when it has none) and the name after its last "/".
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);

// A scratch file of a fixed name ($test.swf, $test2.swf) that this object creates
// itself and removes when it leaves the scope, but only while the name still holds the
// very file it created.
class ScratchFile {
public:
    explicit ScratchFile(std::string path) : path_(std::move(path)) {}
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return path_; }
    // Removes a stale file or link of that name (a link is never written through),
    // creates the file exclusively and writes bytes. Throws EFCreateError when it cannot
    // be created; returns false when writing failed part-way, the file then removed.
    bool write(std::span<const std::uint8_t> bytes);

private:
    void remove();

    std::string path_;
    bool created_ = false;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
};

// Test seam: the steps of a safe write that can be made to fail.
enum class WriteStep { Create, Write, Flush, Close, Rename };
// Asked before each step; a non-zero result makes the step fail with that errno. Only the
// test support library defines it (a link-time seam, so the codec keeps no hook of its
// own); in the programs it stays undefined and every step runs as written.
[[gnu::weak]] int InjectedWriteFault(WriteStep step);

} // namespace quillon
