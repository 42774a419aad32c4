#include "player/engine/script/avm2/Vm.h"

#include "player/engine/script/avm2/Builtins.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/UnitLoader.h"

namespace quillon::avm2 {

Vm::Vm(TraceSink trace, Limits limits) : trace_(std::move(trace)), limits_(limits) {
    atomTexts_ = {"", "*"};
    atoms_["*"] = kAnyAtom;
    nsUris_ = {"*", ""};
    namespaces_["P"] = kPublicNs;
    as3Ns_ = internNs(NsKind::Namespace, "http://adobe.com/AS3/2006/builtin");
    stepsLeft_ = static_cast<std::int64_t>(limits_.steps);
    InstallBuiltins(*this);
}

Vm::~Vm() = default;

namespace {

// Strings keep a lone surrogate (half of a pair cut by charAt) as its three bytes, so
// that joining the halves gives the pair back; printed, it is the replacement character.
// A NUL unit prints as nothing, as the player's trace does.
std::string Printable(const std::string& line) {
    if (line.find('\xed') == std::string::npos && line.find('\0') == std::string::npos) {
        return line;
    }
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto next = i + 1 < line.size() ? static_cast<unsigned char>(line[i + 1]) : 0u;
        if (line[i] == '\xed' && next >= 0xa0 && i + 2 < line.size()) {
            out += "\xef\xbf\xbd";
            i += 2;
        } else if (line[i] != '\0') {
            out += line[i];
        }
    }
    return out;
}

} // namespace

void Vm::trace(const std::string& line) const {
    if (trace_) {
        trace_(Printable(line));
    }
}

void Vm::checkHeap() {
    if (heap_.size() >= limits_.maxObjects) {
        limitReached("the object limit of " + std::to_string(limits_.maxObjects));
    }
}

void Vm::limitReached(const std::string& what) {
    throw AbcLimitError("The script was stopped: it reached " + what + ".");
}

Object* Vm::newObject() {
    Object* obj = make<Object>();
    obj->cls = core.object;
    if (core.object) {
        obj->proto = core.object->prototype;
        obj->traits = core.object->instanceTraits.get();
    }
    return obj;
}

ArrayObject* Vm::newArray(std::vector<Value> items) {
    if (items.size() > limits_.maxArrayLength) {
        limitReached("an array longer than the limit");
    }
    auto* array = make<ArrayObject>();
    array->cls = core.array;
    array->proto = core.array->prototype;
    array->traits = core.array->instanceTraits.get();
    array->items = std::move(items);
    return array;
}

FunctionObject* Vm::newFunction(MethodRef method, std::shared_ptr<const ScopeChain> scope) {
    auto* fn = make<FunctionObject>();
    fn->cls = core.function;
    fn->proto = core.function ? core.function->prototype : nullptr;
    fn->traits = core.function ? core.function->instanceTraits.get() : nullptr;
    fn->method = method;
    fn->scope = std::move(scope);
    return fn;
}

Value Vm::newError(ErrorKind kind, int id, const std::string& message) {
    const Value args[2] = {Value::string("Error #" + std::to_string(id) + ": " + message),
                           Value::integer(id)};
    // Made without a call, so an error about the call depth can itself be made.
    ClassObject* cls = core.errors[static_cast<int>(kind)];
    const Value error = Value::object(AllocateInstance(*this, cls));
    cls->init.native(*this, error, std::span<const Value>(args));
    return error;
}

void Vm::throwError(ErrorKind kind, int id, const std::string& message) {
    throw ScriptException{newError(kind, id, message)};
}

std::uint32_t Vm::intern(std::string_view text) {
    const auto it = atoms_.find(std::string(text));
    if (it != atoms_.end()) {
        return it->second;
    }
    if (atomTexts_.size() >= limits_.maxAtoms) {
        limitReached("the limit of distinct property names");
    }
    const auto atom = static_cast<std::uint32_t>(atomTexts_.size());
    atomTexts_.emplace_back(text);
    atoms_.emplace(std::string(text), atom);
    return atom;
}

std::uint32_t Vm::atomOf(const Value& string) {
    StringData* data = string.stringData();
    if (data->atom == 0) {
        data->atom = intern(data->text);
    }
    return data->atom;
}

std::uint32_t Vm::internNs(NsKind kind, std::string_view uri) {
    if (kind == NsKind::Private) {
        return newPrivateNs();
    }
    // Namespaces of the same kind and URI are one; the kinds that differ get a tag.
    constexpr std::pair<NsKind, char> tags[] = {{NsKind::PackageInternal, 'I'},
                                                {NsKind::Protected, 'T'},
                                                {NsKind::Explicit, 'E'},
                                                {NsKind::StaticProtected, 'S'}};
    char tag = 'P';
    for (const auto& [k, t] : tags) {
        tag = k == kind ? t : tag;
    }
    const std::string key = tag + std::string(uri);
    const auto it = namespaces_.find(key);
    if (it != namespaces_.end()) {
        return it->second;
    }
    const auto id = static_cast<std::uint32_t>(nsUris_.size());
    nsUris_.emplace_back(uri);
    namespaces_.emplace(key, id);
    return id;
}

std::uint32_t Vm::newPrivateNs() {
    nsUris_.emplace_back("");
    return static_cast<std::uint32_t>(nsUris_.size() - 1);
}

AbcUnit& Vm::load(std::span<const std::uint8_t> bytes) {
    units.push_back(LoadUnit(*this, bytes));
    return *units.back();
}

void Vm::runScript(AbcUnit& unit, std::size_t index) {
    ScriptState& script = unit.scripts.at(index);
    if (script.started) {
        return;
    }
    script.started = true;
    InvokeMethod(*this, MethodRef{script.init, nullptr}, Value::object(script.global), {},
                 unit.scriptScopes[index]);
}

void Vm::runAbc(std::span<const std::uint8_t> bytes) {
    AbcUnit& unit = load(bytes);
    if (unit.scripts.empty()) {
        return;
    }
    try {
        runScript(unit, unit.scripts.size() - 1);
    } catch (const ScriptException& e) {
        std::string text;
        try {
            text = ToString(*this, e.value);
        } catch (const ScriptException&) {
            text = "Error";
        }
        throw AbcUncaught(text);
    }
}

} // namespace quillon::avm2
