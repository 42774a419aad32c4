#pragma once
// A private folder of its own for scratch files, removed with its contents.

#include <string>

namespace quillon {

class ScratchFolder {
public:
    // Creates base/PREFIX-XXXXXX with a fresh name; throws std::runtime_error naming
    // base when it cannot.
    ScratchFolder(const std::string& base, const std::string& prefix);
    ~ScratchFolder();
    ScratchFolder(ScratchFolder&&) = delete; // so neither copied nor moved

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

} // namespace quillon
