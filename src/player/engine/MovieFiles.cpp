#include "player/engine/MovieFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace quillon::engine {

namespace fs = std::filesystem;

namespace {

// The url as a plain relative path, or nothing when it could lead anywhere else.
std::optional<fs::path> RelativePath(std::string url) {
    url = url.substr(0, url.find_first_of("?#"));
    if (url.empty() || url.find(':') != std::string::npos || url.find('\\') != std::string::npos ||
        url.find('\0') != std::string::npos) {
        return std::nullopt; // schemes, drive letters and other separators
    }
    const fs::path path(url);
    if (path.is_absolute() || path.has_root_name() || path.has_root_directory()) {
        return std::nullopt;
    }
    for (const fs::path& part : path) {
        if (part == "..") {
            return std::nullopt;
        }
    }
    return path;
}

// Whether inside lies in folder (both resolved, links followed).
bool Within(const fs::path& folder, const fs::path& inside) {
    auto f = folder.begin();
    auto i = inside.begin();
    for (; f != folder.end(); ++f, ++i) {
        if (i == inside.end() || *f != *i) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<std::string> ReadBesideMovie(const std::string& folder, const std::string& url) {
    const std::optional<fs::path> relative = RelativePath(url);
    if (folder.empty() || !relative) {
        return std::nullopt;
    }
    std::error_code error;
    const fs::path base = fs::canonical(folder, error);
    if (error) {
        return std::nullopt;
    }
    const fs::path file = fs::canonical(base / *relative, error);
    if (error || !Within(base, file) || !fs::is_regular_file(file, error) ||
        fs::file_size(file, error) > MaxScriptFileBytes || error) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
        return std::nullopt;
    }
    return text.size() <= MaxScriptFileBytes ? std::optional(std::move(text)) : std::nullopt;
}

} // namespace quillon::engine
