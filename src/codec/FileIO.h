#pragma once
// Whole-file reading and the safe whole-file write that every target goes through.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace quillon {

// Reads a file whole. Throws EFOpenError when it cannot be opened, EReadError when
// reading fails part-way.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

// Writes a file whole through a temporary file in the target's folder and a rename, so
// a failure never leaves a truncated target and whatever the target held survives.
// Throws EFCreateError (naming the target) when the target cannot be created or
// replaced. Returns false when writing failed part-way (a full disk and its kin); the
// temporary file is then gone and the target is as it was.
bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes);

// True when a file (not a folder) of that path exists.
bool FileExists(const std::string& path);

// The size of a file in bytes, or -1 when it cannot be read.
std::int64_t FileSizeOrMinusOne(const std::string& path);

// The folder of a path ("." when it has none) and the name after its last "/".
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);

// Deletes a scratch file whatever leaves the scope.
class RemoveFileOnExit {
public:
    explicit RemoveFileOnExit(std::string path) : path_(std::move(path)) {}
    ~RemoveFileOnExit();
    RemoveFileOnExit(const RemoveFileOnExit&) = delete;
    RemoveFileOnExit& operator=(const RemoveFileOnExit&) = delete;

private:
    std::string path_;
};

// Test seam: the steps of a safe write that can be made to fail.
enum class WriteStep { Create, Write, Flush, Close, Rename };
// Called before each step; a non-zero result makes the step fail with that errno.
using WriteFaultHook = std::function<int(WriteStep)>;
void SetWriteFaultHook(WriteFaultHook hook);

} // namespace quillon
