#pragma once
// The references of XML text: the five named entities and numeric characters.

#include <string>
#include <string_view>

namespace quillon::engine {

// text with every reference it holds replaced by its character in UTF-8; a reference
// that is unknown, malformed or names no character stays as written.
std::string DecodeXmlEntities(std::string_view text);
// text with & < > " ' written as the named entities, as XML documents print it.
std::string EncodeXmlEntities(std::string_view text);

} // namespace quillon::engine
