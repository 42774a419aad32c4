// flash.utils.describeType: a class's or a value's type as XML. Classes a movie defines
// are described from their ABC (names, types, parameters); built-in classes from the
// traits our own tables give them, whose types are not kept.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/XmlObject.h"
#include "player/engine/script/avm2stage/StageState.h"
#include "player/engine/script/common/XmlEntities.h"

#include <algorithm>
#include <map>
#include <set>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// A class chain longer than this is described no further.
constexpr int MaxBases = 256;
// Type names nest (Vector.<Vector.<int>>) this deep at most.
constexpr int MaxTypeNesting = 16;

// name="value" pairs, in the order given.
using Attributes = std::vector<std::pair<std::string, std::string>>;

std::string Element(const std::string& tag, const Attributes& attributes,
                    const std::string& inner = {}) {
    std::string out = "<" + tag;
    for (const auto& [name, value] : attributes) {
        out += " " + name + "=\"" + EncodeXmlEntities(value) + "\"";
    }
    return inner.empty() ? out + "/>" : out + ">" + inner + "</" + tag + ">";
}

struct AbcClassRef {
    const AbcUnit* unit = nullptr;
    std::uint32_t index = 0;
};

AbcClassRef FindAbc(Vm& vm, const ClassObject* cls) {
    for (const auto& unit : vm.units) {
        const auto& classes = unit->classes;
        const auto it = std::find(classes.begin(), classes.end(), cls);
        if (it != classes.end() && unit->file.instances.size() == classes.size()) {
            return {unit.get(), static_cast<std::uint32_t>(it - classes.begin())};
        }
    }
    return {};
}

// A multiname as describeType names types: "pkg::Name", a top-level "Name", "*" for any.
std::string TypeText(const AbcUnit& unit, std::uint32_t index, int nesting = 0) {
    const AbcFile& f = unit.file;
    if (index == 0 || index >= f.multinames.size() || nesting > MaxTypeNesting) {
        return "*";
    }
    const AbcMultiname& m = f.multinames[index];
    if (m.kind == MultinameKind::TypeName) {
        std::string out = TypeText(unit, m.typeBase, nesting + 1) + ".<";
        for (std::size_t i = 0; i < m.typeParams.size(); ++i) {
            out += (i ? "," : "") + TypeText(unit, m.typeParams[i], nesting + 1);
        }
        return out + ">";
    }
    const std::string local = m.name < f.strings.size() ? f.strings[m.name] : std::string();
    if ((m.kind == MultinameKind::QName || m.kind == MultinameKind::QNameA) && m.ns &&
        m.ns < f.namespaces.size()) {
        const AbcNamespace& ns = f.namespaces[m.ns];
        const std::string& uri = ns.name < f.strings.size() ? f.strings[ns.name] : std::string();
        if (!uri.empty() && ns.kind != NsKind::Namespace) {
            return uri + "::" + local;
        }
    }
    return local.empty() ? "*" : local;
}

// An interface a class names by a multiname of namespaces: the interface of that name
// its own file defines in one of them, or the name as written.
std::string InterfaceText(const AbcUnit& unit, std::uint32_t index) {
    const AbcFile& f = unit.file;
    if (index == 0 || index >= f.multinames.size()) {
        return "*";
    }
    const AbcMultiname& m = f.multinames[index];
    if (m.kind != MultinameKind::Multiname || m.nsSet >= f.nsSets.size()) {
        return TypeText(unit, index);
    }
    const auto& set = f.nsSets[m.nsSet];
    for (const AbcInstance& inst : f.instances) {
        if (!(inst.flags & ClassInterface) || inst.name >= f.multinames.size()) {
            continue;
        }
        const AbcMultiname& named = f.multinames[inst.name];
        if (named.kind == MultinameKind::QName && named.name == m.name &&
            std::find(set.begin(), set.end(), named.ns) != set.end()) {
            return TypeText(unit, inst.name);
        }
    }
    return m.name < f.strings.size() ? f.strings[m.name] : std::string("*");
}

std::string ClassText(Vm& vm, const ClassObject* cls) {
    const AbcClassRef abc = FindAbc(vm, cls);
    return abc.unit ? TypeText(*abc.unit, abc.unit->file.instances[abc.index].name)
                    : QualifiedClassName(cls->name);
}

// What a trait's name shows: its local name and the uri of a namespace it is declared
// in (none for public); false for what describeType leaves out (private, protected,
// internal).
bool Visible(const AbcUnit& unit, std::uint32_t index, std::string& name, std::string& uri) {
    const AbcFile& f = unit.file;
    if (index == 0 || index >= f.multinames.size()) {
        return false;
    }
    const AbcMultiname& m = f.multinames[index];
    if (m.kind != MultinameKind::QName || m.ns >= f.namespaces.size() ||
        m.name >= f.strings.size()) {
        return false;
    }
    const AbcNamespace& ns = f.namespaces[m.ns];
    const std::string& nsName = ns.name < f.strings.size() ? f.strings[ns.name] : std::string();
    name = f.strings[m.name];
    uri.clear();
    if (ns.kind == NsKind::Package && nsName.empty()) {
        return true;
    }
    if (ns.kind == NsKind::Namespace) {
        uri = nsName;
        return true;
    }
    return false;
}

std::string Parameters(const AbcUnit& unit, const AbcMethod& method) {
    std::string out;
    const std::size_t count = method.paramTypes.size();
    const std::size_t required = count - std::min(count, method.optional.size());
    for (std::size_t i = 0; i < count; ++i) {
        out += Element("parameter", {{"index", std::to_string(i + 1)},
                                     {"type", TypeText(unit, method.paramTypes[i])},
                                     {"optional", i >= required ? "true" : "false"}});
    }
    return out;
}

// The members of one side (instance or static) of a class chain, each under its name
// and uri: the first class met (the most derived) declares it.
struct Member {
    std::string tag;
    Attributes attributes;
    std::string inner;
    bool getter = false, setter = false;
};
using Members = std::map<std::pair<std::string, std::string>, Member>;

void AddAbcTraits(const AbcUnit& unit, const AbcTraits& traits, const std::string& declaredBy,
                  Members& members) {
    const AbcFile& f = unit.file;
    for (const AbcTrait& trait : traits) {
        std::string name, uri;
        if (!Visible(unit, trait.name, name, uri)) {
            continue;
        }
        Member& m = members[{name, uri}];
        const bool fresh = m.tag.empty();
        const auto withUri = [&](Attributes a) {
            if (!uri.empty()) {
                a.emplace_back("uri", uri);
            }
            return a;
        };
        switch (trait.kind) {
        case TraitKind::Slot:
        case TraitKind::Const:
            if (fresh) {
                m.tag = trait.kind == TraitKind::Slot ? "variable" : "constant";
                m.attributes = withUri({{"name", name}, {"type", TypeText(unit, trait.typeName)}});
            }
            break;
        case TraitKind::Method:
        case TraitKind::Function:
            if (fresh && trait.index < f.methods.size()) {
                const AbcMethod& method = f.methods[trait.index];
                m.tag = "method";
                m.attributes = withUri({{"name", name},
                                        {"declaredBy", declaredBy},
                                        {"returnType", TypeText(unit, method.returnType)}});
                m.inner = Parameters(unit, method);
            }
            break;
        case TraitKind::Getter:
        case TraitKind::Setter: {
            if (trait.index >= f.methods.size() || (!fresh && m.tag != "accessor")) {
                break;
            }
            const AbcMethod& method = f.methods[trait.index];
            const bool getter = trait.kind == TraitKind::Getter;
            const std::string type = getter ? TypeText(unit, method.returnType)
                                     : method.paramTypes.empty()
                                         ? "*"
                                         : TypeText(unit, method.paramTypes[0]);
            if (fresh) {
                m.tag = "accessor";
                m.attributes = withUri(
                    {{"name", name}, {"access", ""}, {"type", type}, {"declaredBy", declaredBy}});
            }
            (getter ? m.getter : m.setter) = true;
            m.attributes[1].second = m.getter && m.setter ? "readwrite"
                                     : m.getter           ? "readonly"
                                                          : "writeonly";
            break;
        }
        case TraitKind::Class:
            break;
        }
    }
}

// A built-in's own public members, those its base does not share, with no types kept.
void AddNativeTraits(Vm& vm, const ClassObject* cls, const Traits* traits, const Traits* base,
                     Members& members) {
    if (!traits) {
        return;
    }
    const std::string declaredBy = QualifiedClassName(cls->name);
    std::vector<std::pair<std::string, const Binding*>> own;
    for (const auto& [key, binding] : traits->bindings) {
        if ((key >> 32) != kPublicNs) {
            continue;
        }
        const Binding* inherited = base ? base->find(key) : nullptr;
        if (inherited && inherited->kind == binding.kind &&
            inherited->method.native == binding.method.native &&
            inherited->getter.native == binding.getter.native &&
            inherited->setter.native == binding.setter.native && inherited->slot == binding.slot) {
            continue;
        }
        const auto atom = static_cast<std::uint32_t>(key & 0xffffffffu);
        // what the prototype carries as well is the prototype's, not a trait
        if (binding.kind == Binding::Kind::Method && cls->prototype && cls->prototype->dyn &&
            cls->prototype->dyn->find(atom)) {
            continue;
        }
        own.emplace_back(vm.atomText(atom), &binding);
    }
    for (const auto& [name, binding] : own) {
        Member& m = members[{name, std::string()}];
        if (!m.tag.empty()) {
            continue;
        }
        switch (binding->kind) {
        case Binding::Kind::Slot:
            m.tag = "variable";
            m.attributes = {{"name", name}, {"type", "*"}};
            break;
        case Binding::Kind::Method:
            m.tag = "method";
            m.attributes = {{"name", name}, {"declaredBy", declaredBy}, {"returnType", "*"}};
            break;
        case Binding::Kind::Accessor: {
            const bool get = static_cast<bool>(binding->getter);
            const bool set = static_cast<bool>(binding->setter);
            m.tag = "accessor";
            m.attributes = {{"name", name},
                            {"access", get && set ? "readwrite"
                                       : get      ? "readonly"
                                                  : "writeonly"},
                            {"type", "*"},
                            {"declaredBy", declaredBy}};
            break;
        }
        }
    }
}

// A built-in's own static constants, typed by the value they hold.
void AddNativeConstants(Vm& vm, const ClassObject& cls, Members& members) {
    const Traits* traits = cls.staticTraits.get();
    if (!traits) {
        return;
    }
    for (const auto& [key, binding] : traits->bindings) {
        if ((key >> 32) != kPublicNs || binding.kind != Binding::Kind::Slot ||
            binding.slot >= traits->slots.size() || !traits->slots[binding.slot].constant) {
            continue;
        }
        const Value& v = binding.slot < cls.slots.size() ? cls.slots[binding.slot]
                                                         : traits->slots[binding.slot].initial;
        const char* type = v.isInt()                   ? "int"
                           : v.kind() == Kind::Number  ? "Number"
                           : v.isString()              ? "String"
                           : v.kind() == Kind::Boolean ? "Boolean"
                                                       : "*";
        const std::string name = vm.atomText(static_cast<std::uint32_t>(key & 0xffffffffu));
        Member& m = members[{name, std::string()}];
        if (m.tag.empty()) {
            m.tag = "constant";
            m.attributes = {{"name", name}, {"type", type}};
        }
    }
}

std::string MemberText(const Members& members) {
    std::string out;
    for (const auto& [key, m] : members) {
        if (!m.tag.empty()) {
            out += Element(m.tag, m.attributes, m.inner);
        }
    }
    return out;
}

// The classes a class extends, nearest first, and the interfaces it and they implement.
std::vector<const ClassObject*> Bases(const ClassObject* cls) {
    std::vector<const ClassObject*> out;
    for (const ClassObject* c = cls->base; c && out.size() < MaxBases; c = c->base) {
        out.push_back(c);
    }
    return out;
}

// What instances of a class have: the part inside <factory>, or all of an instance's.
std::string InstancePart(Vm& vm, const ClassObject* cls) {
    std::string out;
    const AbcClassRef own = FindAbc(vm, cls);
    if (own.unit) {
        const AbcInstance& inst = own.unit->file.instances[own.index];
        if (inst.init < own.unit->file.methods.size()) {
            const std::string params = Parameters(*own.unit, own.unit->file.methods[inst.init]);
            if (!params.empty()) {
                out += Element("constructor", {}, params);
            }
        }
    }
    const std::vector<const ClassObject*> bases = Bases(cls);
    for (const ClassObject* base : bases) {
        out += Element("extendsClass", {{"type", ClassText(vm, base)}});
    }
    std::set<std::string> interfaces;
    std::vector<std::string> interfaceOrder;
    std::vector<const ClassObject*> chain{cls};
    chain.insert(chain.end(), bases.begin(), bases.end());
    for (const ClassObject* c : chain) {
        std::vector<std::string> texts;
        for (const ClassObject* i : c->interfaces) {
            texts.push_back(ClassText(vm, i));
        }
        if (const AbcClassRef abc = FindAbc(vm, c); abc.unit && texts.empty()) {
            for (const std::uint32_t i : abc.unit->file.instances[abc.index].interfaces) {
                texts.push_back(InterfaceText(*abc.unit, i));
            }
        }
        for (const std::string& text : texts) {
            if (interfaces.insert(text).second) {
                interfaceOrder.push_back(text);
            }
        }
    }
    for (const std::string& i : interfaceOrder) {
        out += Element("implementsInterface", {{"type", i}});
    }
    Members members;
    for (const ClassObject* c : chain) {
        if (c == vm.core.object) {
            break;
        }
        const AbcClassRef abc = FindAbc(vm, c);
        if (abc.unit) {
            AddAbcTraits(*abc.unit, abc.unit->file.instances[abc.index].traits, ClassText(vm, c),
                         members);
        } else {
            AddNativeTraits(vm, c, c->instanceTraits.get(),
                            c->base ? c->base->instanceTraits.get() : nullptr, members);
        }
    }
    return out + MemberText(members);
}

bool IsFinal(Vm& vm, const ClassObject* cls) {
    const AbcClassRef abc = FindAbc(vm, cls);
    return abc.unit && (abc.unit->file.instances[abc.index].flags & ClassFinal);
}

std::string Flags(bool dynamic, bool final, bool isStatic) {
    return std::string(" isDynamic=\"") + (dynamic ? "true" : "false") + "\" isFinal=\"" +
           (final ? "true" : "false") + "\" isStatic=\"" + (isStatic ? "true" : "false") + "\"";
}

std::string Describe(Vm& vm, const Value& value) {
    if (value.isNullish()) {
        const char* name = value.isNull() ? "null" : "void";
        return Element(
            "type",
            {{"name", name}, {"isDynamic", "false"}, {"isFinal", "true"}, {"isStatic", "false"}});
    }
    if (value.isObject() && value.asObject()->kind == ObjectKind::Class) {
        const auto* cls = static_cast<const ClassObject*>(value.asObject());
        const std::string name = ClassText(vm, cls);
        std::string inner = Element("extendsClass", {{"type", "Class"}}) +
                            Element("extendsClass", {{"type", "Object"}});
        Members statics;
        statics[{"prototype", ""}] = Member{
            "accessor",
            {{"name", "prototype"}, {"access", "readonly"}, {"type", "*"}, {"declaredBy", "Class"}},
            {},
            true,
            false};
        if (const AbcClassRef abc = FindAbc(vm, cls); abc.unit) {
            AddAbcTraits(*abc.unit, abc.unit->file.classes[abc.index].traits, name, statics);
        } else {
            AddNativeConstants(vm, *cls, statics);
        }
        inner += MemberText(statics);
        inner += Element("factory", {{"type", name}}, InstancePart(vm, cls));
        return "<type name=\"" + EncodeXmlEntities(name) + "\" base=\"Class\"" +
               Flags(true, true, true) + ">" + inner + "</type>";
    }
    const ClassObject* cls = ClassOf(vm, value);
    if (!cls) {
        return Element("type", {{"name", "Object"}});
    }
    std::string head = "<type name=\"" + EncodeXmlEntities(ClassText(vm, cls)) + "\"";
    if (cls->base) {
        head += " base=\"" + EncodeXmlEntities(ClassText(vm, cls->base)) + "\"";
    }
    head += Flags(!cls->sealed, IsFinal(vm, cls), false);
    const std::string inner = InstancePart(vm, cls);
    return inner.empty() ? head + "/>" : head + ">" + inner + "</type>";
}

Value DescribeType(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::object(ToXml(vm, Value::string(Describe(vm, Arg(args, 0)))));
}

} // namespace

void InstallDescribeType(Vm& vm) {
    for (const char* package : {"flash.utils", "avmplus"}) {
        DefineGlobalFunction(vm, "describeType", DescribeType, package);
    }
}

} // namespace quillon::engine::avm2stage
