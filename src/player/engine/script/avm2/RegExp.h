#pragma once
// The RegExp object and its matcher, shared by RegExp's methods and the String
// methods that take patterns. Matching runs on UTF-16 units, the language's indexes.

#include "player/engine/script/avm2/Object.h"

#include <string>
#include <vector>

namespace quillon::avm2 {

class Vm;

struct RegExpFlags {
    bool global = false, ignoreCase = false, multiline = false, dotall = false, extended = false;
};

// One match: begin/end of the whole match and of each group; -1 for a group that took
// no part.
struct RegExpMatch {
    std::vector<std::ptrdiff_t> spans; // begin, end pairs
    std::ptrdiff_t begin(std::size_t group) const { return spans[2 * group]; }
    std::ptrdiff_t end(std::size_t group) const { return spans[2 * group + 1]; }
    std::size_t groups() const { return spans.size() / 2; }
};

class RegExpObject : public Object {
public:
    RegExpObject() = default;
    ~RegExpObject() override;
    RegExpObject(const RegExpObject&) = delete;
    RegExpObject& operator=(const RegExpObject&) = delete;

    // Compiles source; a pattern that does not compile never matches.
    void compile(Vm& vm, const std::string& source, RegExpFlags flags);
    // The first match at or after start; false when there is none.
    bool match(Vm& vm, const std::u16string& subject, std::size_t start, RegExpMatch& out) const;
    // Group names by number, empty where unnamed.
    const std::vector<std::string>& groupNames() const { return names_; }

    std::string source;
    RegExpFlags flags;
    double lastIndex = 0;

private:
    void* code_ = nullptr; // pcre2_code_16
    std::vector<std::string> names_;
};

RegExpObject* AsRegExp(const Value& v); // nullptr when v is not a RegExp
// A pattern argument as a RegExp: itself, or a new one made from its string form.
RegExpObject* ToRegExp(Vm& vm, const Value& v);
// exec's result array: the match and its groups, index, input and the named groups.
Value MatchArray(Vm& vm, const RegExpObject& re, const std::u16string& subject,
                 const RegExpMatch& m);
void InstallStringPatterns(Vm& vm);

} // namespace quillon::avm2
