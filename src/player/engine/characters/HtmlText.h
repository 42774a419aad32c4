#pragma once
// The pieces of a text field's markup: tags with their attributes, and entities.

#include <cstddef>
#include <map>
#include <string>

namespace quillon::engine {

struct HtmlTag {
    std::string name; // lower case, without the slash
    bool closing = false;
    std::map<std::string, std::string> attributes; // names in lower case
};

// The tag between '<' and '>'.
HtmlTag ParseHtmlTag(const std::string& inside);
// Decodes the entity at html[i] ('&') into out as UTF-8; returns the characters it used
// (0: none, the '&' stands for itself).
std::size_t DecodeHtmlEntity(const std::string& html, std::size_t i, std::string& out);
std::string AsciiLower(std::string text);

} // namespace quillon::engine
