// flash.xml: the XML document classes kept from the older language, XMLNode and
// XMLDocument, with the node types of XMLNodeType. They read markup the way the older
// XML object does and share its reader.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/common/XmlEntities.h"
#include "player/engine/script/common/XmlMarkup.h"

#include <algorithm>
#include <optional>

namespace quillon::avm2 {
namespace {

constexpr std::uint32_t ElementNode = 1, TextNode = 3;
// Documents nest at most this deep; deeper markup is malformed and deeper trees are
// neither copied nor printed any further.
constexpr int MaxDepth = 512;

class XmlNodeObject : public Object {
public:
    std::uint32_t type = ElementNode;
    Value name, value; // an element's name, a text's value; null otherwise
    Object* attributes = nullptr;
    std::vector<XmlNodeObject*> children;
    XmlNodeObject* parent = nullptr;
};

Object* AllocateNode(Vm& vm) {
    return vm.make<XmlNodeObject>();
}

XmlNodeObject* NodeOf(const Value& v) {
    return v.isObject() ? dynamic_cast<XmlNodeObject*>(v.asObject()) : nullptr;
}

XmlNodeObject& Self(Vm& vm, const Value& self) {
    XmlNodeObject* node = NodeOf(self);
    if (!node) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + CoercedText(vm, self) +
                          " to flash.xml.XMLNode.");
    }
    return *node;
}

Value NodeValue(XmlNodeObject* node) {
    return node ? Value::object(node) : Value::null();
}

Object* AttributesOf(Vm& vm, XmlNodeObject& node) {
    if (!node.attributes) {
        node.attributes = vm.newObject();
    }
    return node.attributes;
}

// A string, or null for null and undefined.
Value TextOrNull(Vm& vm, const Value& v) {
    return v.isNullish() ? Value::null() : ToStringValue(vm, v);
}

void Detach(XmlNodeObject& child) {
    if (XmlNodeObject* parent = child.parent) {
        std::erase(parent->children, &child);
        child.parent = nullptr;
    }
}

// Puts child under parent before `before` (at the end when null); a node never goes
// inside itself or its own descendants.
void Attach(XmlNodeObject& parent, XmlNodeObject& child, XmlNodeObject* before) {
    for (XmlNodeObject* p = &parent; p; p = p->parent) {
        if (p == &child) {
            return;
        }
    }
    Detach(child);
    auto at = before ? std::find(parent.children.begin(), parent.children.end(), before)
                     : parent.children.end();
    parent.children.insert(at, &child);
    child.parent = &parent;
}

XmlNodeObject* NewNode(Vm& vm, std::uint32_t type, const Value& text) {
    ClassObject* cls = BuiltinClass(vm, "flash.xml", "XMLNode");
    const Value args[] = {Value::unsignedInt(type), text};
    return NodeOf(ConstructClass(vm, cls, args));
}

XmlNodeObject* Clone(Vm& vm, XmlNodeObject& from, bool deep, int depth) {
    XmlNodeObject* copy = NewNode(vm, from.type, from.type == ElementNode ? from.name : from.value);
    if (from.attributes && from.attributes->dyn) {
        Object* attributes = AttributesOf(vm, *copy);
        for (const DynamicProps::Entry& e : from.attributes->dyn->entries) {
            if (e.live) {
                attributes->props().set(e.atom, e.value);
            }
        }
    }
    if (deep && depth < MaxDepth) {
        for (XmlNodeObject* child : from.children) {
            Attach(*copy, *Clone(vm, *child, true, depth + 1), nullptr);
        }
    }
    return copy;
}

std::string Print(Vm& vm, const XmlNodeObject& node, int depth) {
    if (node.type != ElementNode) {
        return node.value.isNullish() ? std::string()
                                      : engine::EncodeXmlEntities(ToString(vm, node.value));
    }
    std::string inner;
    if (depth < MaxDepth) {
        for (const XmlNodeObject* child : node.children) {
            inner += Print(vm, *child, depth + 1);
            if (inner.size() > vm.limits().maxStringLength) {
                vm.limitReached("a string longer than the limit");
            }
        }
    }
    if (node.name.isNullish()) {
        return inner;
    }
    const std::string name = ToString(vm, node.name);
    std::string open = "<" + name;
    if (node.attributes && node.attributes->dyn) {
        for (const DynamicProps::Entry& e : node.attributes->dyn->entries) {
            if (e.live) {
                open += " " + vm.atomText(e.atom) + "=\"" +
                        engine::EncodeXmlEntities(ToString(vm, e.value)) + "\"";
            }
        }
    }
    return node.children.empty() ? open + " />" : open + ">" + inner + "</" + name + ">";
}

// The namespace a prefix stands for at node: the nearest xmlns attribute declaring it.
Value NamespaceFor(Vm& vm, const XmlNodeObject& node, const std::string& prefix) {
    const std::uint32_t key = vm.intern(prefix.empty() ? "xmlns" : "xmlns:" + prefix);
    for (const XmlNodeObject* n = &node; n; n = n->parent) {
        if (n->attributes && n->attributes->dyn) {
            if (const Value* uri = n->attributes->dyn->find(key)) {
                return ToStringValue(vm, *uri);
            }
        }
    }
    return Value::null();
}

// A named node's name split at its colon; nothing for a node without a name.
struct NameParts {
    std::string prefix, local;
};
std::optional<NameParts> PartsOf(Vm& vm, const XmlNodeObject& node) {
    if (node.name.isNullish()) {
        return std::nullopt;
    }
    const std::string name = ToString(vm, node.name);
    const std::size_t colon = name.find(':');
    if (colon == std::string::npos) {
        return NameParts{"", name};
    }
    return NameParts{name.substr(0, colon), name.substr(colon + 1)};
}

Value NodeInit(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlNodeObject& node = Self(vm, self);
    node.type = ToUint32(vm, Arg(args, 0));
    const Value text = TextOrNull(vm, Arg(args, 1));
    (node.type == ElementNode ? node.name : node.value) = text;
    (node.type == ElementNode ? node.value : node.name) = Value::null();
    return Value();
}

Value GetType(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::unsignedInt(Self(vm, self).type);
}
Value SetType(Vm& vm, const Value& self, std::span<const Value> args) {
    Self(vm, self).type = ToUint32(vm, Arg(args, 0));
    return Value();
}
Value GetName(Vm& vm, const Value& self, std::span<const Value>) {
    return Self(vm, self).name;
}
Value SetName(Vm& vm, const Value& self, std::span<const Value> args) {
    Self(vm, self).name = TextOrNull(vm, Arg(args, 0));
    return Value();
}
Value GetValue(Vm& vm, const Value& self, std::span<const Value>) {
    return Self(vm, self).value;
}
Value SetValue(Vm& vm, const Value& self, std::span<const Value> args) {
    Self(vm, self).value = TextOrNull(vm, Arg(args, 0));
    return Value();
}
Value GetAttributes(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::object(AttributesOf(vm, Self(vm, self)));
}
Value SetAttributes(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& given = Arg(args, 0);
    Self(vm, self).attributes = given.isObject() ? given.asObject() : nullptr;
    return Value();
}
Value ChildNodes(Vm& vm, const Value& self, std::span<const Value>) {
    std::vector<Value> items;
    for (XmlNodeObject* child : Self(vm, self).children) {
        items.push_back(Value::object(child));
    }
    return Value::object(vm.newArray(std::move(items)));
}
Value FirstChild(Vm& vm, const Value& self, std::span<const Value>) {
    const auto& children = Self(vm, self).children;
    return NodeValue(children.empty() ? nullptr : children.front());
}
Value LastChild(Vm& vm, const Value& self, std::span<const Value>) {
    const auto& children = Self(vm, self).children;
    return NodeValue(children.empty() ? nullptr : children.back());
}
// The sibling `step` places away (-1 the previous one, 1 the next).
Value Sibling(XmlNodeObject& node, int step) {
    if (!node.parent) {
        return Value::null();
    }
    const auto& list = node.parent->children;
    const auto at = std::find(list.begin(), list.end(), &node) - list.begin() + step;
    return at >= 0 && at < static_cast<std::ptrdiff_t>(list.size()) ? NodeValue(list[at])
                                                                    : Value::null();
}
Value NextSibling(Vm& vm, const Value& self, std::span<const Value>) {
    return Sibling(Self(vm, self), 1);
}
Value PreviousSibling(Vm& vm, const Value& self, std::span<const Value>) {
    return Sibling(Self(vm, self), -1);
}
Value ParentNode(Vm& vm, const Value& self, std::span<const Value>) {
    return NodeValue(Self(vm, self).parent);
}
Value LocalName(Vm& vm, const Value& self, std::span<const Value>) {
    const auto parts = PartsOf(vm, Self(vm, self));
    return parts ? Value::string(parts->local) : Value::null();
}
Value Prefix(Vm& vm, const Value& self, std::span<const Value>) {
    const auto parts = PartsOf(vm, Self(vm, self));
    return parts ? Value::string(parts->prefix) : Value::null();
}
Value NamespaceUri(Vm& vm, const Value& self, std::span<const Value>) {
    XmlNodeObject& node = Self(vm, self);
    const auto parts = PartsOf(vm, node);
    return parts ? NamespaceFor(vm, node, parts->prefix) : Value::null();
}
Value NamespaceForPrefix(Vm& vm, const Value& self, std::span<const Value> args) {
    return NamespaceFor(vm, Self(vm, self), ToString(vm, Arg(args, 0)));
}
Value PrefixForNamespace(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::string uri = ToString(vm, Arg(args, 0));
    for (const XmlNodeObject* n = &Self(vm, self); n; n = n->parent) {
        if (!n->attributes || !n->attributes->dyn) {
            continue;
        }
        for (const DynamicProps::Entry& e : n->attributes->dyn->entries) {
            const std::string& key = vm.atomText(e.atom);
            if (e.live && key.starts_with("xmlns") && ToString(vm, e.value) == uri) {
                return Value::string(key.size() > 6 ? key.substr(6) : "");
            }
        }
    }
    return Value::null();
}
Value AppendChild(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlNodeObject& node = Self(vm, self);
    if (XmlNodeObject* child = NodeOf(Arg(args, 0))) {
        Attach(node, *child, nullptr);
    }
    return Value();
}
Value InsertBefore(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlNodeObject& node = Self(vm, self);
    XmlNodeObject* child = NodeOf(Arg(args, 0));
    XmlNodeObject* before = NodeOf(Arg(args, 1));
    if (child && (!before || before->parent == &node)) {
        Attach(node, *child, before);
    }
    return Value();
}
Value RemoveNode(Vm& vm, const Value& self, std::span<const Value>) {
    Detach(Self(vm, self));
    return Value();
}
Value CloneNode(Vm& vm, const Value& self, std::span<const Value> args) {
    return NodeValue(Clone(vm, Self(vm, self), ToBoolean(Arg(args, 0)), 0));
}
Value HasChildNodes(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::boolean(!Self(vm, self).children.empty());
}
Value NodeToString(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(Print(vm, Self(vm, self), 0));
}

// Builds a document's children from what the reader finds.
class TreeBuilder : public engine::XmlMarkupSink {
public:
    TreeBuilder(Vm& vm, XmlNodeObject& document, const Value& documentValue)
        : vm_(vm), document_(documentValue), open_{&document} {}

    void element(const std::string& name) override {
        XmlNodeObject* node = NewNode(vm_, ElementNode, Value::string(name));
        Attach(*open_.back(), *node, nullptr);
        open_.push_back(node);
    }
    void attribute(const std::string& name, const std::string& value) override {
        AttributesOf(vm_, *open_.back())->props().set(vm_.intern(name), Value::string(value));
    }
    void close() override { open_.pop_back(); }
    void text(const std::string& value) override {
        Attach(*open_.back(), *NewNode(vm_, TextNode, Value::string(value)), nullptr);
    }
    void declaration(bool doctype, const std::string& markup) override {
        SetPublic(vm_, document_, doctype ? "docTypeDecl" : "xmlDecl", Value::string(markup));
    }

private:
    Vm& vm_;
    Value document_;
    std::vector<XmlNodeObject*> open_;
};

// idMap: every element with an id attribute, by that id.
void FillIdMap(Vm& vm, const XmlNodeObject& node, Object* map, int depth) {
    const std::uint32_t id = vm.intern("id");
    for (XmlNodeObject* child : node.children) {
        if (child->attributes && child->attributes->dyn) {
            if (const Value* key = child->attributes->dyn->find(id)) {
                map->props().set(vm.intern(ToString(vm, *key)), Value::object(child));
            }
        }
        if (depth < MaxDepth) {
            FillIdMap(vm, *child, map, depth + 1);
        }
    }
}

Value ParseXml(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlNodeObject& document = Self(vm, self);
    while (!document.children.empty()) {
        Detach(*document.children.back());
    }
    const bool ignoreWhite = ToBoolean(GetPublic(vm, self, "ignoreWhite"));
    TreeBuilder builder(vm, document, self);
    engine::ReadXmlMarkup(ToString(vm, Arg(args, 0)), ignoreWhite, MaxDepth, builder);
    Object* map = vm.newObject();
    FillIdMap(vm, document, map, 0);
    SetPublic(vm, self, "idMap", Value::object(map));
    return Value();
}
Value DocumentInit(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlNodeObject& document = Self(vm, self);
    document.type = ElementNode;
    document.name = document.value = Value::null();
    SetPublic(vm, self, "idMap", Value::object(vm.newObject()));
    if (!Arg(args, 0).isNullish()) {
        ParseXml(vm, self, args);
    }
    return Value();
}
Value CreateElement(Vm& vm, const Value&, std::span<const Value> args) {
    return NodeValue(NewNode(vm, ElementNode, TextOrNull(vm, Arg(args, 0))));
}
Value CreateTextNode(Vm& vm, const Value&, std::span<const Value> args) {
    return NodeValue(NewNode(vm, TextNode, TextOrNull(vm, Arg(args, 0))));
}
// The declarations first, then the nodes.
Value DocumentToString(Vm& vm, const Value& self, std::span<const Value>) {
    std::string text;
    for (const char* name : {"xmlDecl", "docTypeDecl"}) {
        const Value part = GetPublic(vm, self, name);
        if (!part.isNullish()) {
            text += ToString(vm, part);
        }
    }
    return Value::string(text + Print(vm, Self(vm, self), 0));
}

} // namespace

void InstallXmlDocumentClasses(Vm& vm) {
    ClassObject* node = NativeClass(vm, "XMLNode", vm.core.object, "flash.xml")
                            .alloc(AllocateNode)
                            .init(NodeInit)
                            .getters({{"childNodes", ChildNodes},
                                      {"firstChild", FirstChild},
                                      {"lastChild", LastChild},
                                      {"nextSibling", NextSibling},
                                      {"previousSibling", PreviousSibling},
                                      {"parentNode", ParentNode},
                                      {"localName", LocalName},
                                      {"prefix", Prefix},
                                      {"namespaceURI", NamespaceUri}})
                            .getter("nodeType", GetType)
                            .setter("nodeType", SetType)
                            .getter("nodeName", GetName)
                            .setter("nodeName", SetName)
                            .getter("nodeValue", GetValue)
                            .setter("nodeValue", SetValue)
                            .getter("attributes", GetAttributes)
                            .setter("attributes", SetAttributes)
                            .methods({{"appendChild", AppendChild},
                                      {"insertBefore", InsertBefore},
                                      {"removeNode", RemoveNode},
                                      {"cloneNode", CloneNode},
                                      {"hasChildNodes", HasChildNodes},
                                      {"getNamespaceForPrefix", NamespaceForPrefix},
                                      {"getPrefixForNamespace", PrefixForNamespace},
                                      {"toString", NodeToString}})
                            .get();
    NativeClass(vm, "XMLDocument", node, "flash.xml")
        .init(DocumentInit)
        .slot("ignoreWhite", Value::boolean(false))
        .slot("xmlDecl", Value::null())
        .slot("docTypeDecl", Value::null())
        .slot("idMap", Value::null())
        .methods({{"parseXML", ParseXml},
                  {"createElement", CreateElement},
                  {"createTextNode", CreateTextNode},
                  {"toString", DocumentToString}});
    const std::pair<const char*, int> types[] = {
        {"ELEMENT_NODE", 1},    {"TEXT_NODE", 3},
        {"CDATA_NODE", 4},      {"PROCESSING_INSTRUCTION_NODE", 7},
        {"COMMENT_NODE", 8},    {"DOCUMENT_TYPE_NODE", 10},
        {"XML_DECLARATION", 13}};
    NativeClass nodeType(vm, "XMLNodeType", vm.core.object, "flash.xml");
    for (const auto& [name, value] : types) {
        nodeType.constant(name, Value::unsignedInt(static_cast<std::uint32_t>(value)));
    }
}

} // namespace quillon::avm2
