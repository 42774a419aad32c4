// The XML methods that rename, reorder and tidy a node: childIndex, setName,
// setLocalName, normalize, insertChildBefore and insertChildAfter.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/QName.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2/XmlObject.h"

#include <algorithm>

namespace quillon::avm2 {
namespace {

Value ChildIndex(Vm& vm, const Value& self, std::span<const Value>) {
    const XmlObject& node = OneXml(vm, self, "childIndex");
    if (!node.parent || node.nodeKind == XmlKind::Attribute) {
        return Value::integer(-1);
    }
    const auto& siblings = node.parent->children;
    const auto at = std::find(siblings.begin(), siblings.end(), &node);
    return Value::integer(at == siblings.end() ? -1
                                               : static_cast<std::int32_t>(at - siblings.begin()));
}

const std::string& CheckedName(Vm& vm, const std::string& name) {
    if (!IsXmlName(name)) {
        vm.throwError(ErrorKind::TypeError, 1117, "Invalid XML name: " + name + ".");
    }
    return name;
}

// Text and comments have no name to change.
bool Nameless(const XmlObject& node) {
    return node.nodeKind == XmlKind::Text || node.nodeKind == XmlKind::Comment;
}

Value SetName(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlObject& node = OneXml(vm, self, "setName");
    const Value& name = Arg(args, 0);
    if (Nameless(node)) {
        return Value();
    }
    if (const QNameObject* q = AsQName(name)) {
        node.local = CheckedName(vm, q->local);
        node.uri = q->anyUri ? std::string() : q->uri;
    } else {
        node.local = CheckedName(vm, ToString(vm, name));
        node.uri.clear();
    }
    node.prefix.clear();
    return Value();
}

Value SetLocalName(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlObject& node = OneXml(vm, self, "setLocalName");
    const Value& name = Arg(args, 0);
    if (!Nameless(node)) {
        const QNameObject* q = AsQName(name);
        node.local = CheckedName(vm, q ? q->local : ToString(vm, name));
    }
    return Value();
}

// Joins neighbouring text nodes and drops empty ones, all the way down. The depth is
// the parser's, which bounds it.
void Normalize(XmlObject& node) {
    std::vector<XmlObject*> kept;
    for (XmlObject* child : node.children) {
        if (child->nodeKind == XmlKind::Element) {
            Normalize(*child);
        }
        if (child->nodeKind == XmlKind::Text && !kept.empty() &&
            kept.back()->nodeKind == XmlKind::Text) {
            kept.back()->text += child->text;
            child->parent = nullptr;
            continue;
        }
        kept.push_back(child);
    }
    std::erase_if(kept, [](XmlObject* c) {
        const bool empty = c->nodeKind == XmlKind::Text && c->text.empty();
        if (empty) {
            c->parent = nullptr;
        }
        return empty;
    });
    node.children = std::move(kept);
}

Value NormalizeMethod(Vm& vm, const Value& self, std::span<const Value>) {
    if (self.isObject() && self.asObject()->kind == ObjectKind::XmlList) {
        for (XmlObject* node : static_cast<XmlListObject*>(self.asObject())->items) {
            Normalize(*node);
        }
    } else {
        Normalize(OneXml(vm, self, "normalize"));
    }
    return self;
}

// Puts value among node's children before the child at index.
void InsertAt(Vm& vm, XmlObject& node, std::size_t index, const Value& value) {
    const std::size_t before = node.children.size();
    XmlAppend(vm, node, value);
    const std::size_t added = node.children.size() - std::min(before, node.children.size());
    index = std::min(index, node.children.size() - added);
    std::rotate(node.children.begin() + static_cast<std::ptrdiff_t>(index),
                node.children.end() - static_cast<std::ptrdiff_t>(added), node.children.end());
}

// insertChildBefore (After false) and insertChildAfter: a null reference child means
// the end (before) or the start (after); one that is not a child changes nothing.
template <bool After> Value InsertChild(Vm& vm, const Value& self, std::span<const Value> args) {
    const char* method = After ? "insertChildAfter" : "insertChildBefore";
    XmlObject& node = OneXml(vm, self, method);
    if (node.nodeKind != XmlKind::Element) {
        return Value();
    }
    const Value& ref = Arg(args, 0);
    if (ref.isNullish()) {
        InsertAt(vm, node, After ? 0 : node.children.size(), Arg(args, 1));
        return self;
    }
    const XmlObject* target = &OneXml(vm, ref, method);
    const auto at = std::find(node.children.begin(), node.children.end(), target);
    if (at == node.children.end()) {
        return Value();
    }
    InsertAt(vm, node, static_cast<std::size_t>(at - node.children.begin()) + (After ? 1 : 0),
             Arg(args, 1));
    return self;
}

} // namespace

void AddXmlEditMethods(NativeClass& xml, NativeClass& list) {
    xml.methods({{"childIndex", ChildIndex},
                 {"setName", SetName},
                 {"setLocalName", SetLocalName},
                 {"insertChildBefore", InsertChild<false>},
                 {"insertChildAfter", InsertChild<true>}});
    for (NativeClass* cls : {&xml, &list}) {
        cls->method("normalize", NormalizeMethod);
    }
}

} // namespace quillon::avm2
