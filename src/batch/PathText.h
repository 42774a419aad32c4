#pragma once
// Paths between the file system, where a name is any bytes, and the window, which shows
// text. Names from old archives are often Latin-1, which is not valid UTF-8: the grid
// keeps such a path's bytes and shows a readable form of it.

#include <QString>
#include <string>

namespace quillon {

// A readable form of a path: each name decoded as UTF-8, or as Latin-1 when it is not
// valid UTF-8.
QString PathText(const std::string& path);

// The bytes of a path shown as text. Where that text names no file as UTF-8, a name
// whose readable form (or the file system view's own decoding) matches is looked up in
// its folder, so a text that came from the folder tree finds a Latin-1 name again.
std::string PathBytes(const QString& path);

} // namespace quillon
