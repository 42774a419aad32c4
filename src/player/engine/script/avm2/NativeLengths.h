#pragma once
// The `length` of the built-in functions: the number of arguments each one declares, as
// the language references list them. Scripts read it (String.prototype.slice.length).

#include <string_view>

namespace quillon::avm2 {

// The declared length of owner's method (owner "" for a global function; method "" for
// the class itself when called or constructed), or 0 when none is listed.
int NativeLength(std::string_view owner, std::string_view method);

} // namespace quillon::avm2
