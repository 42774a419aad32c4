// The XML methods about namespaces: namespace, inScopeNamespaces,
// namespaceDeclarations, addNamespace, removeNamespace and setNamespace.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/QName.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2/XmlObject.h"

#include <algorithm>

namespace quillon::avm2 {
namespace {

using Declaration = std::pair<std::string, std::string>; // prefix, uri

// The declarations seen from node: its own first, then each ancestor's whose prefix
// no nearer element declares. A tree that declares none still has the default one.
std::vector<Declaration> InScope(const XmlObject& node) {
    std::vector<Declaration> out;
    for (const XmlObject* e = &node; e; e = e->parent) {
        for (const Declaration& d : e->namespaces) {
            if (std::none_of(out.begin(), out.end(),
                             [&](const Declaration& o) { return o.first == d.first; })) {
                out.push_back(d);
            }
        }
    }
    if (out.empty()) {
        out.emplace_back("", "");
    }
    return out;
}

Value ArrayOfNamespaces(Vm& vm, const std::vector<Declaration>& declarations) {
    std::vector<Value> items;
    for (const auto& [prefix, uri] : declarations) {
        items.push_back(MakeNamespace(vm, uri, &prefix));
    }
    return Value::object(vm.newArray(std::move(items)));
}

// A namespace argument: a Namespace as it is, a QName's URI, else a URI string.
const NamespaceObject& NamespaceArg(Vm& vm, const Value& v) {
    Value ns = v;
    if (!v.isObject() || v.asObject()->kind != ObjectKind::Namespace) {
        const Value args[1] = {v};
        ns = ConstructClass(vm, vm.core.ns, args);
    }
    return *static_cast<const NamespaceObject*>(ns.asObject());
}

// Declares ns on element, replacing a declaration of the same prefix; a namespace
// without a prefix cannot be declared.
void Declare(XmlObject& element, const NamespaceObject& ns) {
    if (!ns.hasPrefix || (ns.prefix.empty() && !ns.uri.empty() && element.uri != ns.uri)) {
        return;
    }
    for (Declaration& d : element.namespaces) {
        if (d.first == ns.prefix) {
            d.second = ns.uri;
            return;
        }
    }
    element.namespaces.emplace_back(ns.prefix, ns.uri);
}

Value NamespaceMethod(Vm& vm, const Value& self, std::span<const Value> args) {
    const XmlObject& node = OneXml(vm, self, "namespace");
    if (node.nodeKind == XmlKind::Text || node.nodeKind == XmlKind::Comment ||
        node.nodeKind == XmlKind::Instruction) {
        return Value::null();
    }
    if (args.empty()) {
        return MakeNamespace(vm, node.uri, &node.prefix);
    }
    const std::string prefix = ToString(vm, args[0]);
    for (const Declaration& d :
         InScope(node.parent && node.nodeKind == XmlKind::Attribute ? *node.parent : node)) {
        if (d.first == prefix && !(d.first.empty() && d.second.empty())) {
            return MakeNamespace(vm, d.second, &d.first);
        }
    }
    return Value();
}

Value InScopeNamespaces(Vm& vm, const Value& self, std::span<const Value>) {
    return ArrayOfNamespaces(vm, InScope(OneXml(vm, self, "inScopeNamespaces")));
}

Value NamespaceDeclarations(Vm& vm, const Value& self, std::span<const Value>) {
    return ArrayOfNamespaces(vm, OneXml(vm, self, "namespaceDeclarations").namespaces);
}

Value AddNamespace(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlObject& node = OneXml(vm, self, "addNamespace");
    if (node.nodeKind == XmlKind::Element) {
        Declare(node, NamespaceArg(vm, Arg(args, 0)));
    }
    return self;
}

Value RemoveNamespace(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlObject& node = OneXml(vm, self, "removeNamespace");
    if (node.nodeKind != XmlKind::Element) {
        return self;
    }
    const NamespaceObject& ns = NamespaceArg(vm, Arg(args, 0));
    // A namespace the element's own name or an attribute's uses stays declared.
    const auto used = [&](const std::string& uri) {
        return node.uri == uri || std::any_of(node.attributes.begin(), node.attributes.end(),
                                              [&](const XmlObject* a) { return a->uri == uri; });
    };
    std::erase_if(node.namespaces, [&](const Declaration& d) {
        return d.second == ns.uri && (!ns.hasPrefix || d.first == ns.prefix) && !used(d.second);
    });
    return self;
}

Value SetNamespace(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlObject& node = OneXml(vm, self, "setNamespace");
    if (node.nodeKind != XmlKind::Element && node.nodeKind != XmlKind::Attribute) {
        return Value();
    }
    const NamespaceObject& ns = NamespaceArg(vm, Arg(args, 0));
    node.uri = ns.uri;
    node.prefix = ns.hasPrefix ? ns.prefix : std::string();
    XmlObject* declaring = node.nodeKind == XmlKind::Attribute ? node.parent : &node;
    if (declaring && ns.hasPrefix) {
        Declare(*declaring, ns);
    }
    return Value();
}

} // namespace

XmlObject& OneXml(Vm& vm, const Value& self, std::string_view method) {
    if (self.isObject() && self.asObject()->kind == ObjectKind::Xml) {
        return *static_cast<XmlObject*>(self.asObject());
    }
    if (self.isObject() && self.asObject()->kind == ObjectKind::XmlList) {
        const auto& items = static_cast<XmlListObject*>(self.asObject())->items;
        if (items.size() == 1) {
            return *items[0];
        }
        vm.throwError(ErrorKind::TypeError, 1086,
                      "The " + std::string(method) +
                          " method only works on lists containing one item.");
    }
    vm.throwError(ErrorKind::TypeError, 1034,
                  "Type Coercion failed: cannot convert " + ClassName(vm, self) + " to XML.");
}

void AddXmlNamespaceMethods(NativeClass& xml, NativeClass& list) {
    for (NativeClass* cls : {&xml, &list}) {
        cls->methods({{"namespace", NamespaceMethod},
                      {"inScopeNamespaces", InScopeNamespaces},
                      {"namespaceDeclarations", NamespaceDeclarations},
                      {"addNamespace", AddNamespace},
                      {"removeNamespace", RemoveNamespace},
                      {"setNamespace", SetNamespace}});
    }
}

} // namespace quillon::avm2
