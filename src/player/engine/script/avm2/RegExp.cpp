#define PCRE2_CODE_UNIT_WIDTH 16
#include "player/engine/script/avm2/RegExp.h"

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Text.h"
#include "player/engine/script/avm2/Vm.h"

#include <pcre2.h>

namespace quillon::avm2 {
namespace {

// A hostile pattern backtracks exponentially; past these PCRE2 gives up and the
// match fails instead of hanging the movie.
constexpr std::uint32_t kMatchLimit = 1'000'000;
constexpr std::uint32_t kDepthLimit = 10'000;
constexpr std::size_t kHeapLimitKiB = 32 * 1024;

pcre2_code* Code(void* p) {
    return static_cast<pcre2_code*>(p);
}

std::uint32_t Options(const RegExpFlags& f) {
    // The language's dialect on PCRE2: "$" only at the very end, "[]" and "[^]" as
    // classes, \uXXXX escapes, and a back reference to an unset group matching empty.
    std::uint32_t o = PCRE2_ALLOW_EMPTY_CLASS | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF;
    o |= f.multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
    o |= f.ignoreCase ? PCRE2_CASELESS : 0;
    o |= f.dotall ? PCRE2_DOTALL : 0;
    o |= f.extended ? PCRE2_EXTENDED : 0;
    return o;
}

std::vector<std::string> NamesOf(pcre2_code* code) {
    std::uint32_t captures = 0, count = 0, entry = 0;
    PCRE2_SPTR table = nullptr;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
    pcre2_pattern_info(code, PCRE2_INFO_NAMECOUNT, &count);
    pcre2_pattern_info(code, PCRE2_INFO_NAMEENTRYSIZE, &entry);
    pcre2_pattern_info(code, PCRE2_INFO_NAMETABLE, &table);
    std::vector<std::string> names(captures + 1);
    for (std::uint32_t i = 0; i < count; ++i) {
        PCRE2_SPTR e = table + i * entry;
        std::u16string name;
        for (PCRE2_SPTR c = e + 1; *c && c < e + entry; ++c) {
            name.push_back(static_cast<char16_t>(*c));
        }
        if (e[0] < names.size()) {
            names[e[0]] = ToUtf8(name);
        }
    }
    return names;
}

} // namespace

RegExpObject::~RegExpObject() {
    pcre2_code_free(Code(code_));
}

void RegExpObject::compile(Vm&, const std::string& text, RegExpFlags f) {
    source = text;
    flags = f;
    const std::u16string pattern = ToUtf16(text);
    int error = 0;
    PCRE2_SIZE offset = 0;
    code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), Options(f),
                          &error, &offset, nullptr);
    names_ = code_ ? NamesOf(Code(code_)) : std::vector<std::string>(1);
}

bool RegExpObject::match(Vm&, const std::u16string& subject, std::size_t start,
                         RegExpMatch& out) const {
    if (!code_ || start > subject.size()) {
        return false;
    }
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(Code(code_), nullptr);
    pcre2_match_context* context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(context, kMatchLimit);
    pcre2_set_depth_limit(context, kDepthLimit);
    pcre2_set_heap_limit(context, kHeapLimitKiB);
    const int rc = pcre2_match(Code(code_), reinterpret_cast<PCRE2_SPTR>(subject.data()),
                               subject.size(), start, 0, data, context);
    if (rc > 0) {
        const PCRE2_SIZE* v = pcre2_get_ovector_pointer(data);
        out.spans.assign(2 * names_.size(), -1);
        for (std::size_t i = 0; i < static_cast<std::size_t>(rc) * 2 && i < out.spans.size(); ++i) {
            out.spans[i] = v[i] == PCRE2_UNSET ? -1 : static_cast<std::ptrdiff_t>(v[i]);
        }
    }
    pcre2_match_context_free(context);
    pcre2_match_data_free(data);
    return rc > 0;
}

RegExpObject* AsRegExp(const Value& v) {
    return v.isObject() ? dynamic_cast<RegExpObject*>(v.asObject()) : nullptr;
}

Value MatchArray(Vm& vm, const RegExpObject& re, const std::u16string& subject,
                 const RegExpMatch& m) {
    std::vector<Value> items;
    for (std::size_t g = 0; g < m.groups(); ++g) {
        items.push_back(m.begin(g) < 0 ? Value()
                                       : Value::string(ToUtf8(std::u16string_view(subject).substr(
                                             m.begin(g), m.end(g) - m.begin(g)))));
    }
    ArrayObject* result = vm.newArray(items);
    const Value array = Value::object(result);
    SetPublic(vm, array, "index", Value::integer(static_cast<std::int32_t>(m.begin(0))));
    SetPublic(vm, array, "input", Value::string(ToUtf8(subject)));
    for (std::size_t g = 1; g < re.groupNames().size() && g < items.size(); ++g) {
        if (!re.groupNames()[g].empty()) {
            SetPublic(vm, array, re.groupNames()[g], items[g]);
        }
    }
    return array;
}

} // namespace quillon::avm2
