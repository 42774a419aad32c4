#include "codec/ScratchFolder.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace quillon {

ScratchFolder::ScratchFolder(const std::string& base, const std::string& prefix) {
    std::string pattern = base + "/" + prefix + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("Cannot create a temporary folder in " + base);
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    // A folder whose owner took away its own rights still goes.
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

} // namespace quillon
