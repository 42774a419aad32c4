// The XML and XMLList classes: construction from markup, conversion, and the XML
// settings as static properties of XML.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2/XmlObject.h"
#include "player/engine/script/avm2/XmlState.h"

#include <algorithm>
#include <iterator>

namespace quillon::avm2 {
namespace {

template <class T> T* Instance(Vm& vm, ClassObject* cls) {
    auto* obj = vm.make<T>();
    obj->cls = cls;
    obj->proto = cls->prototype;
    obj->dynamic = false;
    InitSlots(obj, *cls->instanceTraits);
    return obj;
}

Value NewXml(Vm& vm, const Value&, std::span<const Value> args) {
    const Value& from = Arg(args, 0);
    return Value::object(IsXml(from) ? XmlCopy(vm, *ToXml(vm, from)) : ToXml(vm, from));
}
Value CallXml(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& from = Arg(args, 0);
    if (from.isObject() && from.asObject()->kind == ObjectKind::Xml) {
        return from;
    }
    return NewXml(vm, self, args);
}
Value NewList(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::object(ToXmlList(vm, Arg(args, 0)));
}
Value CallList(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& from = Arg(args, 0);
    if (from.isObject() && from.asObject()->kind == ObjectKind::XmlList) {
        return from;
    }
    return NewList(vm, self, args);
}

// XML.ignoreComments and its kin: a getter and a setter for each flag.
template <bool XmlSettings::*Flag> Value GetFlag(Vm& vm, const Value&, std::span<const Value>) {
    return Value::boolean(SettingsOf(vm).*Flag);
}
template <bool XmlSettings::*Flag>
Value SetFlag(Vm& vm, const Value&, std::span<const Value> args) {
    SettingsOf(vm).*Flag = ToBoolean(Arg(args, 0));
    return Value();
}
Value GetIndent(Vm& vm, const Value&, std::span<const Value>) {
    return Value::integer(SettingsOf(vm).prettyIndent);
}
Value SetIndent(Vm& vm, const Value&, std::span<const Value> args) {
    SettingsOf(vm).prettyIndent = ToInt32(vm, Arg(args, 0));
    return Value();
}

constexpr const char* kFlagNames[] = {"ignoreComments", "ignoreProcessingInstructions",
                                      "ignoreWhitespace", "prettyPrinting"};
constexpr bool XmlSettings::*kFlags[] = {
    &XmlSettings::ignoreComments, &XmlSettings::ignoreProcessingInstructions,
    &XmlSettings::ignoreWhitespace, &XmlSettings::prettyPrinting};

Value SettingsObject(Vm& vm, const XmlSettings& settings) {
    const Value object = Value::object(vm.newObject());
    for (std::size_t i = 0; i < std::size(kFlags); ++i) {
        SetPublic(vm, object, kFlagNames[i], Value::boolean(settings.*kFlags[i]));
    }
    SetPublic(vm, object, "prettyIndent", Value::integer(settings.prettyIndent));
    return object;
}
Value GetSettings(Vm& vm, const Value&, std::span<const Value>) {
    return SettingsObject(vm, SettingsOf(vm));
}
Value DefaultSettings(Vm& vm, const Value&, std::span<const Value>) {
    return SettingsObject(vm, XmlSettings{});
}
// setSettings(object): the settings the object names; without one, the defaults.
Value SetSettings(Vm& vm, const Value&, std::span<const Value> args) {
    const Value& from = Arg(args, 0);
    XmlSettings& settings = SettingsOf(vm);
    if (!from.isObject()) {
        settings = XmlSettings{};
        return Value();
    }
    for (std::size_t i = 0; i < std::size(kFlags); ++i) {
        const Value v = GetPublic(vm, from, kFlagNames[i]);
        if (v.kind() == Kind::Boolean) {
            settings.*kFlags[i] = v.asBool();
        }
    }
    const Value indent = GetPublic(vm, from, "prettyIndent");
    if (indent.isNumeric()) {
        settings.prettyIndent = ToInt32(vm, indent);
    }
    return Value();
}

void AddSettings(NativeClass& xml) {
    xml.staticMethod("settings", GetSettings)
        .staticMethod("setSettings", SetSettings)
        .staticMethod("defaultSettings", DefaultSettings);
    using S = XmlSettings;
    xml.staticGetter("ignoreComments", GetFlag<&S::ignoreComments>)
        .staticSetter("ignoreComments", SetFlag<&S::ignoreComments>)
        .staticGetter("ignoreProcessingInstructions", GetFlag<&S::ignoreProcessingInstructions>)
        .staticSetter("ignoreProcessingInstructions", SetFlag<&S::ignoreProcessingInstructions>)
        .staticGetter("ignoreWhitespace", GetFlag<&S::ignoreWhitespace>)
        .staticSetter("ignoreWhitespace", SetFlag<&S::ignoreWhitespace>)
        .staticGetter("prettyPrinting", GetFlag<&S::prettyPrinting>)
        .staticSetter("prettyPrinting", SetFlag<&S::prettyPrinting>)
        .staticGetter("prettyIndent", GetIndent)
        .staticSetter("prettyIndent", SetIndent);
}

XmlObject* CopyNode(Vm& vm, const XmlObject& node, XmlObject* parent, int depth);

void CopyInto(Vm& vm, const std::vector<XmlObject*>& from, std::vector<XmlObject*>& to,
              XmlObject* parent, int depth) {
    for (const XmlObject* n : from) {
        to.push_back(CopyNode(vm, *n, parent, depth + 1));
    }
}

XmlObject* CopyNode(Vm& vm, const XmlObject& node, XmlObject* parent, int depth) {
    if (depth > 1024) {
        vm.limitReached("XML nested deeper than the limit");
    }
    XmlObject* copy = NewXmlNode(vm, node.nodeKind);
    copy->uri = node.uri;
    copy->prefix = node.prefix;
    copy->local = node.local;
    copy->text = node.text;
    copy->namespaces = node.namespaces;
    copy->cdata = node.cdata;
    copy->parent = parent;
    CopyInto(vm, node.attributes, copy->attributes, copy, depth);
    CopyInto(vm, node.children, copy->children, copy, depth);
    return copy;
}

} // namespace

XmlState& XmlStateOf(Vm& vm) {
    return *static_cast<XmlState*>(vm.xmlState);
}

XmlSettings& SettingsOf(Vm& vm) {
    return XmlStateOf(vm).settings;
}

XmlObject* NewXmlNode(Vm& vm, XmlKind kind) {
    XmlObject* node = Instance<XmlObject>(vm, XmlStateOf(vm).xml);
    node->nodeKind = kind;
    return node;
}

XmlListObject* NewXmlList(Vm& vm) {
    return Instance<XmlListObject>(vm, XmlStateOf(vm).list);
}

XmlObject* XmlCopy(Vm& vm, const XmlObject& node) {
    return CopyNode(vm, node, nullptr, 0);
}

XmlObject* ToXml(Vm& vm, const Value& v) {
    if (v.isObject() && v.asObject()->kind == ObjectKind::Xml) {
        return static_cast<XmlObject*>(v.asObject());
    }
    if (v.isObject() && v.asObject()->kind == ObjectKind::XmlList) {
        const auto& items = static_cast<XmlListObject*>(v.asObject())->items;
        if (items.size() == 1) {
            return items[0];
        }
        vm.throwError(ErrorKind::TypeError, 1088,
                      "The markup in the document following the root element must be "
                      "well-formed.");
    }
    const std::vector<XmlObject*> nodes =
        ParseXml(vm, v.isNullish() ? std::string() : ToString(vm, v));
    if (nodes.size() > 1) {
        vm.throwError(ErrorKind::TypeError, 1088,
                      "The markup in the document following the root element must be "
                      "well-formed.");
    }
    if (nodes.empty()) {
        return NewXmlNode(vm, XmlKind::Text);
    }
    nodes[0]->parent = nullptr;
    return nodes[0];
}

XmlListObject* ToXmlList(Vm& vm, const Value& v) {
    XmlListObject* list = NewXmlList(vm);
    if (v.isObject() && v.asObject()->kind == ObjectKind::XmlList) {
        list->items = static_cast<XmlListObject*>(v.asObject())->items;
    } else if (v.isObject() && v.asObject()->kind == ObjectKind::Xml) {
        list->items.push_back(static_cast<XmlObject*>(v.asObject()));
    } else if (!v.isNullish()) {
        list->items = ParseXml(vm, ToString(vm, v));
    }
    return list;
}

void InstallXmlClasses(Vm& vm) {
    auto* state = vm.make<XmlState>();
    vm.xmlState = state;
    NativeClass xml(vm, "XML", vm.core.object);
    xml.construct(NewXml).call(CallXml).sealed();
    AddSettings(xml);
    NativeClass list(vm, "XMLList", vm.core.object);
    list.construct(NewList).call(CallList).sealed();
    state->xml = xml.get();
    state->list = list.get();
    AddXmlMethods(xml, list);
    InstallQName(vm);
}

} // namespace quillon::avm2
