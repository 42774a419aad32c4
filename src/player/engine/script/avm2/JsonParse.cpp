// JSON.parse: a strict reader of the JSON grammar, then the reviver walk.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Json.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Text.h"
#include "player/engine/script/avm2/Vm.h"

namespace quillon::avm2 {
namespace {

class Reader {
public:
    Reader(Vm& vm, const std::string& text) : vm_(vm), s_(text) {}
    Value document() {
        Value v = value(0);
        space();
        if (i_ != s_.size()) {
            fail();
        }
        return v;
    }

private:
    [[noreturn]] void fail() {
        vm_.throwError(ErrorKind::SyntaxError, 1132, "Invalid JSON parse input.");
    }
    void space() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) {
            ++i_;
        }
    }
    bool take(char c) {
        space();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    void expect(char c) {
        if (!take(c)) {
            fail();
        }
    }
    bool word(std::string_view w) {
        if (s_.compare(i_, w.size(), w) == 0) {
            i_ += w.size();
            return true;
        }
        return false;
    }
    Value value(int depth);
    Value array(int depth);
    Value object(int depth);
    Value number();
    std::string string();
    void escape(std::u16string& out);

    Vm& vm_;
    const std::string& s_;
    std::size_t i_ = 0;
};

Value Reader::value(int depth) {
    if (depth > kJsonMaxDepth) {
        vm_.limitReached("JSON nested deeper than the limit");
    }
    space();
    if (i_ >= s_.size()) {
        fail();
    }
    const char c = s_[i_];
    if (c == '{') {
        return object(depth);
    }
    if (c == '[') {
        return array(depth);
    }
    if (c == '"') {
        return Value::string(string());
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
        return number();
    }
    if (word("true") || word("false")) {
        return Value::boolean(c == 't');
    }
    if (word("null")) {
        return Value::null();
    }
    fail();
}

Value Reader::array(int depth) {
    ++i_;
    std::vector<Value> items;
    if (!take(']')) {
        do {
            items.push_back(value(depth + 1));
            if (items.size() > vm_.limits().maxArrayLength) {
                vm_.limitReached("an array longer than the limit");
            }
        } while (take(','));
        expect(']');
    }
    return Value::object(vm_.newArray(std::move(items)));
}

Value Reader::object(int depth) {
    ++i_;
    const Value result = Value::object(vm_.newObject());
    if (!take('}')) {
        do {
            space();
            if (i_ >= s_.size() || s_[i_] != '"') {
                fail();
            }
            const std::string key = string();
            expect(':');
            SetPublic(vm_, result, key, value(depth + 1));
        } while (take(','));
        expect('}');
    }
    return result;
}

Value Reader::number() {
    const std::size_t start = i_;
    auto digits = [&] {
        const std::size_t from = i_;
        while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') {
            ++i_;
        }
        if (i_ == from) {
            fail();
        }
    };
    word("-");
    if (!word("0")) {
        digits();
    }
    if (word(".")) {
        digits();
    }
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
        ++i_;
        if (!word("+")) {
            word("-");
        }
        digits();
    }
    return NumberValue(StringToNumber(std::string_view(s_).substr(start, i_ - start)));
}

void Reader::escape(std::u16string& out) {
    if (i_ >= s_.size()) {
        fail();
    }
    const char c = s_[i_++];
    static constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
    if (const auto at = kFrom.find(c); at != std::string_view::npos) {
        out.push_back(static_cast<char16_t>(kTo[at]));
        return;
    }
    if (c != 'u' || i_ + 4 > s_.size()) {
        fail();
    }
    char16_t unit = 0;
    for (int k = 0; k < 4; ++k) {
        const char h = s_[i_++];
        const int d = h >= '0' && h <= '9'   ? h - '0'
                      : h >= 'a' && h <= 'f' ? h - 'a' + 10
                      : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                             : -1;
        if (d < 0) {
            fail();
        }
        unit = static_cast<char16_t>(unit * 16 + d);
    }
    out.push_back(unit);
}

std::string Reader::string() {
    ++i_;
    std::u16string units;
    std::string plain;
    while (true) {
        if (i_ >= s_.size()) {
            fail();
        }
        const char c = s_[i_];
        if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) {
            if (c != '"' && c != '\\') {
                fail();
            }
            units += ToUtf16(plain);
            plain.clear();
            ++i_;
            if (c == '"') {
                return ToUtf8(units);
            }
            escape(units);
        } else {
            plain.push_back(c);
            ++i_;
        }
    }
}

// The reviver sees every value bottom up, as (key, value) with the holder as this; what
// it returns replaces the value, and undefined removes it.
Value Walk(Vm& vm, const Value& reviver, const Value& holder, const std::string& key, int depth) {
    Value v = GetPublic(vm, holder, key);
    if (v.isObject() && depth < kJsonMaxDepth) {
        for (const std::string& k : JsonKeys(vm, v.asObject())) {
            const Value revived = Walk(vm, reviver, v, k, depth + 1);
            if (revived.isUndefined()) {
                DeleteProperty(vm, v, PublicName(vm, k));
            } else {
                SetPublic(vm, v, k, revived);
            }
        }
    }
    const Value args[] = {Value::string(key), v};
    return CallValue(vm, reviver, holder, args);
}

} // namespace

Value JsonParse(Vm& vm, const std::string& text, const Value& reviver) {
    Value result = Reader(vm, text).document();
    if (!reviver.isObject() || reviver.asObject()->kind != ObjectKind::Function) {
        return result;
    }
    const Value root = Value::object(vm.newObject());
    SetPublic(vm, root, "", result);
    return Walk(vm, reviver, root, "", 0);
}

} // namespace quillon::avm2
