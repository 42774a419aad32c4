// The methods of XML and XMLList. Most work on a list of nodes alike: an XML value
// is the list of itself.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2/XmlObject.h"

namespace quillon::avm2 {
namespace {

std::vector<XmlObject*> Nodes(Vm& vm, const Value& self) {
    if (!IsXml(self)) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + ClassName(vm, self) + " to XML.");
    }
    if (self.asObject()->kind == ObjectKind::Xml) {
        return {static_cast<XmlObject*>(self.asObject())};
    }
    return static_cast<XmlListObject*>(self.asObject())->items;
}

Value ListOf(Vm& vm, std::vector<XmlObject*> items) {
    XmlListObject* list = NewXmlList(vm);
    list->items = std::move(items);
    return Value::object(list);
}

// A name argument: "*" matches any, "@a" is not special here.
PropName ArgName(Vm& vm, const Value& v, bool attribute) {
    PropName name;
    name.atom = v.isUndefined() ? kAnyAtom : vm.intern(ToString(vm, v));
    name.single = kAnyNs;
    name.attribute = attribute;
    return name;
}

// The children of every node that pass keep.
template <class Keep> Value ChildrenWhere(Vm& vm, const Value& self, Keep keep) {
    std::vector<XmlObject*> out;
    for (XmlObject* node : Nodes(vm, self)) {
        for (XmlObject* child : node->children) {
            if (keep(*child)) {
                out.push_back(child);
            }
        }
    }
    return ListOf(vm, std::move(out));
}

Value ToStringMethod(Vm& vm, const Value& self, std::span<const Value>) {
    Nodes(vm, self);
    return Value::string(XmlToString(vm, self));
}
Value ToXmlString(Vm& vm, const Value& self, std::span<const Value>) {
    Nodes(vm, self);
    return Value::string(XmlMarkup(vm, self));
}
Value ValueOf(Vm&, const Value& self, std::span<const Value>) {
    return self;
}
Value Attribute(Vm& vm, const Value& self, std::span<const Value> args) {
    PropName name = ArgName(vm, Arg(args, 0), true);
    Nodes(vm, self);
    return Value::object(XmlChildren(vm, self, name));
}
Value Attributes(Vm& vm, const Value& self, std::span<const Value>) {
    return Attribute(vm, self, {});
}
Value Child(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& which = Arg(args, 0);
    if (which.isNumeric()) {
        const Value all = ChildrenWhere(vm, self, [](const XmlObject&) { return true; });
        const auto& items = static_cast<XmlListObject*>(all.asObject())->items;
        const double i = which.asNumber();
        return ListOf(vm, i >= 0 && i < static_cast<double>(items.size())
                              ? std::vector<XmlObject*>{items[static_cast<std::size_t>(i)]}
                              : std::vector<XmlObject*>{});
    }
    PropName name = ArgName(vm, which, false);
    Nodes(vm, self);
    return Value::object(XmlChildren(vm, self, name));
}
Value Children(Vm& vm, const Value& self, std::span<const Value>) {
    return ChildrenWhere(vm, self, [](const XmlObject&) { return true; });
}
Value Elements(Vm& vm, const Value& self, std::span<const Value> args) {
    PropName name = ArgName(vm, Arg(args, 0), false);
    return ChildrenWhere(vm, self, [&](const XmlObject& c) { return XmlNameMatches(vm, c, name); });
}
template <XmlKind K> Value OfKind(Vm& vm, const Value& self, std::span<const Value>) {
    return ChildrenWhere(vm, self, [](const XmlObject& c) { return c.nodeKind == K; });
}
Value Descendants(Vm& vm, const Value& self, std::span<const Value> args) {
    PropName name = ArgName(vm, Arg(args, 0), false);
    return XmlDescendants(vm, self, name);
}
Value Length(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::integer(static_cast<std::int32_t>(Nodes(vm, self).size()));
}
template <bool Simple> Value Content(Vm& vm, const Value& self, std::span<const Value>) {
    const std::vector<XmlObject*> nodes = Nodes(vm, self);
    bool simple = true;
    if (nodes.size() == 1) {
        simple = HasSimpleContent(*nodes[0]);
    } else {
        for (const XmlObject* n : nodes) {
            simple = simple && n->nodeKind != XmlKind::Element;
        }
    }
    return Value::boolean(simple == Simple);
}
Value Copy(Vm& vm, const Value& self, std::span<const Value>) {
    if (self.isObject() && self.asObject()->kind == ObjectKind::Xml) {
        return Value::object(XmlCopy(vm, OneXml(vm, self, "copy")));
    }
    std::vector<XmlObject*> copies;
    for (const XmlObject* n : Nodes(vm, self)) {
        copies.push_back(XmlCopy(vm, *n));
    }
    return ListOf(vm, std::move(copies));
}
Value Parent(Vm& vm, const Value& self, std::span<const Value>) {
    XmlObject* parent = nullptr;
    const std::vector<XmlObject*> nodes = Nodes(vm, self);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (i > 0 && nodes[i]->parent != parent) {
            return Value();
        }
        parent = nodes[i]->parent;
    }
    return parent ? Value::object(parent) : Value();
}
Value LocalNameOf(Vm& vm, const Value& self, std::string_view method) {
    const XmlObject& n = OneXml(vm, self, method);
    if (n.nodeKind == XmlKind::Text || n.nodeKind == XmlKind::Comment) {
        return Value::null();
    }
    return Value::string(n.local);
}
Value LocalName(Vm& vm, const Value& self, std::span<const Value>) {
    return LocalNameOf(vm, self, "localName");
}
Value NameMethod(Vm& vm, const Value& self, std::span<const Value>) {
    const XmlObject& n = OneXml(vm, self, "name");
    const Value local = LocalNameOf(vm, self, "name");
    return n.uri.empty() || local.isNull() ? local : Value::string(n.uri + "::" + n.local);
}
Value NodeKind(Vm& vm, const Value& self, std::span<const Value>) {
    static const char* const names[] = {"element", "text", "comment", "processing-instruction",
                                        "attribute"};
    return Value::string(names[static_cast<int>(OneXml(vm, self, "nodeKind").nodeKind)]);
}
template <bool Prepend> Value AddChild(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlAppend(vm, OneXml(vm, self, Prepend ? "prependChild" : "appendChild"), Arg(args, 0),
              Prepend);
    return self;
}
Value SetChildren(Vm& vm, const Value& self, std::span<const Value> args) {
    OneXml(vm, self, "setChildren").children.clear();
    return AddChild<false>(vm, self, args);
}

} // namespace

void AddXmlMethods(NativeClass& xml, NativeClass& list) {
    for (NativeClass* cls : {&xml, &list}) {
        // clang-format off
        cls->methods({
            {"toString", ToStringMethod}, {"toXMLString", ToXmlString}, {"valueOf", ValueOf},
            {"attribute", Attribute}, {"attributes", Attributes}, {"child", Child},
            {"children", Children}, {"elements", Elements}, {"text", OfKind<XmlKind::Text>},
            {"comments", OfKind<XmlKind::Comment>},
            {"processingInstructions", OfKind<XmlKind::Instruction>},
            {"descendants", Descendants}, {"length", Length},
            {"hasSimpleContent", Content<true>}, {"hasComplexContent", Content<false>},
            {"copy", Copy}, {"parent", Parent}, {"name", NameMethod}, {"localName", LocalName},
            {"nodeKind", NodeKind},
            {"appendChild", AddChild<false>}, {"prependChild", AddChild<true>},
            {"setChildren", SetChildren}});
        // clang-format on
    }
    AddXmlEditMethods(xml, list);
    AddXmlNamespaceMethods(xml, list);
}

} // namespace quillon::avm2
