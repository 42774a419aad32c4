#pragma once
// Files a movie's scripts may read: only those beside the movie or below its folder.

#include <cstddef>
#include <optional>
#include <string>

namespace quillon::engine {

// The most a script-requested file may hold.
inline constexpr std::size_t MaxScriptFileBytes = 16u << 20;

// The text of the file a script names by url, relative to the movie's folder. Nothing
// for an absolute path, a path through "..", a url with a scheme, a link leading out of
// the folder, a missing or unreadable file, or one larger than MaxScriptFileBytes.
std::optional<std::string> ReadBesideMovie(const std::string& folder, const std::string& url);

} // namespace quillon::engine
