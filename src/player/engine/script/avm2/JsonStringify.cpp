// JSON.stringify: the value walked depth first, with toJSON, the replacer (a function
// or a list of keys) and the indent applied as the language has them.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Json.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quillon::avm2 {
namespace {

bool IsFunction(const Value& v) {
    return v.isObject() && v.asObject()->kind == ObjectKind::Function;
}

void Quote(const std::string& s, std::string& out) {
    out.push_back('"');
    for (const char c : s) {
        static constexpr std::string_view kFrom = "\"\\\b\f\n\r\t", kTo = "\"\\bfnrt";
        if (const auto at = kFrom.find(c); at != std::string_view::npos) {
            out.push_back('\\');
            out.push_back(kTo[at]);
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

class Writer {
public:
    Writer(Vm& vm, const Value& replacer, std::string gap)
        : vm_(vm), replacer_(IsFunction(replacer) ? replacer : Value()), gap_(std::move(gap)) {
        if (replacer.isObject() && replacer.asObject()->kind == ObjectKind::Array) {
            keepKeys(static_cast<ArrayObject*>(replacer.asObject()));
        } else if (!replacer.isNullish() && !IsFunction(replacer)) {
            vm.throwError(ErrorKind::TypeError, 1131,
                          "Replacer argument to JSON stringifier must be an array or a two "
                          "parameter function.");
        }
    }
    // Writes holder[key] (v, already read); false when it has no JSON form.
    bool write(const Value& holder, const std::string& key, Value v);
    std::string out;

private:
    void keepKeys(ArrayObject* list);
    void object(const Value& v);
    void array(ArrayObject* a);
    void newline() {
        if (!gap_.empty()) {
            out += "\n" + indent_;
        }
    }
    void grow() {
        if (out.size() > vm_.limits().maxStringLength) {
            vm_.limitReached("a string longer than the limit");
        }
    }
    void enter(Object* o);

    Vm& vm_;
    Value replacer_;
    std::string gap_, indent_;
    bool filtered_ = false;
    std::vector<std::string> keys_;
    std::vector<Object*> stack_;
};

void Writer::keepKeys(ArrayObject* list) {
    filtered_ = true;
    for (const Value& item : list->items) {
        if (item.isString() || item.isNumeric()) {
            const std::string k = ToString(vm_, item);
            if (std::find(keys_.begin(), keys_.end(), k) == keys_.end()) {
                keys_.push_back(k);
            }
        }
    }
}

void Writer::enter(Object* o) {
    if (std::find(stack_.begin(), stack_.end(), o) != stack_.end()) {
        vm_.throwError(ErrorKind::TypeError, 1129,
                       "Cyclic structure cannot be converted to JSON string.");
    }
    if (static_cast<int>(stack_.size()) >= kJsonMaxDepth) {
        vm_.limitReached("JSON nested deeper than the limit");
    }
    stack_.push_back(o);
}

bool Writer::write(const Value& holder, const std::string& key, Value v) {
    if (v.isObject()) {
        const Value toJson = GetPublic(vm_, v, "toJSON");
        if (IsFunction(toJson)) {
            const Value args[] = {Value::string(key)};
            v = CallValue(vm_, toJson, v, args);
        }
    }
    if (!replacer_.isUndefined()) {
        const Value args[] = {Value::string(key), v};
        v = CallValue(vm_, replacer_, holder, args);
    }
    if (v.isUndefined() || IsFunction(v)) {
        return false;
    }
    if (v.isNull() || v.kind() == Kind::Boolean) {
        out += v.isNull() ? "null" : v.asBool() ? "true" : "false";
    } else if (v.isNumeric()) {
        out += std::isfinite(v.asNumber()) ? ToString(vm_, v) : "null";
    } else if (v.isString()) {
        Quote(v.asString(), out);
    } else if (v.asObject()->kind == ObjectKind::Array) {
        array(static_cast<ArrayObject*>(v.asObject()));
    } else {
        object(v);
    }
    grow();
    return true;
}

void Writer::array(ArrayObject* a) {
    enter(a);
    const std::string outer = indent_;
    indent_ += gap_;
    out.push_back('[');
    const Value holder = Value::object(a);
    for (std::size_t i = 0; i < a->items.size(); ++i) {
        out += i ? "," : "";
        newline();
        const Value item = a->items[i];
        if (!write(holder, std::to_string(i), item)) {
            out += "null";
        }
    }
    indent_ = outer;
    if (!a->items.empty()) {
        newline();
    }
    out.push_back(']');
    stack_.pop_back();
}

void Writer::object(const Value& v) {
    enter(v.asObject());
    const std::string outer = indent_;
    indent_ += gap_;
    out.push_back('{');
    bool any = false;
    for (const std::string& k : filtered_ ? keys_ : JsonKeys(vm_, v.asObject())) {
        const std::size_t mark = out.size();
        out += any ? "," : "";
        newline();
        Quote(k, out);
        out += gap_.empty() ? ":" : ": ";
        if (write(v, k, GetPublic(vm_, v, k))) {
            any = true;
        } else {
            out.resize(mark);
        }
    }
    indent_ = outer;
    if (any) {
        newline();
    }
    out.push_back('}');
    stack_.pop_back();
}

std::string Gap(Vm& vm, const Value& space) {
    if (space.isNumeric()) {
        const double n = std::clamp(std::trunc(space.asNumber()), 0.0, 10.0);
        return std::string(static_cast<std::size_t>(std::isnan(n) ? 0 : n), ' ');
    }
    return space.isString() ? ToString(vm, space).substr(0, 10) : std::string();
}

} // namespace

Value JsonStringify(Vm& vm, const Value& value, const Value& replacer, const Value& space) {
    Writer writer(vm, replacer, Gap(vm, space));
    const Value root = Value::object(vm.newObject());
    SetPublic(vm, root, "", value);
    return writer.write(root, "", value) ? Value::string(std::move(writer.out)) : Value();
}

} // namespace quillon::avm2
