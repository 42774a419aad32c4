// Property access on XML and XMLList: x.name and x.@name give lists of the matching
// children or attributes, x[i] an item, x..name the matching descendants.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2/XmlObject.h"
#include "player/engine/script/avm2/XmlState.h"

#include <algorithm>

namespace quillon::avm2 {
namespace {

std::vector<XmlObject*> Nodes(const Value& v) {
    if (v.asObject()->kind == ObjectKind::Xml) {
        return {static_cast<XmlObject*>(v.asObject())};
    }
    return static_cast<XmlListObject*>(v.asObject())->items;
}

// The text a store into XML puts there: a list's or node's markup, or the value's text.
XmlObject* StoredNode(Vm& vm, const Value& value) {
    if (IsXml(value)) {
        return ToXml(vm, value);
    }
    XmlObject* text = NewXmlNode(vm, XmlKind::Text);
    text->text = ToString(vm, value);
    return text;
}

void ReplaceContent(Vm& vm, XmlObject& element, const Value& value) {
    element.children.clear();
    if (IsXml(value)) {
        XmlAppend(vm, element, value);
        return;
    }
    XmlObject* text = StoredNode(vm, value);
    text->parent = &element;
    element.children.push_back(text);
}

void SetAttribute(Vm& vm, XmlObject& element, PropName& name, const Value& value) {
    std::string text;
    if (value.isObject() && value.asObject()->kind == ObjectKind::XmlList) {
        for (const XmlObject* item : static_cast<XmlListObject*>(value.asObject())->items) {
            text += (text.empty() ? "" : " ") +
                    XmlToString(vm, Value::object(const_cast<XmlObject*>(item)));
        }
    } else {
        text = ToString(vm, value);
    }
    for (XmlObject* a : element.attributes) {
        if (XmlNameMatches(vm, *a, name)) {
            a->text = text;
            return;
        }
    }
    XmlObject* a = NewXmlNode(vm, XmlKind::Attribute);
    a->local = NameText(vm, name);
    a->text = std::move(text);
    a->parent = &element;
    element.attributes.push_back(a);
}

void CollectDescendants(Vm& vm, const XmlObject& node, PropName& name, XmlListObject& out,
                        int depth) {
    if (depth > 1024) {
        vm.limitReached("XML nested deeper than the limit");
    }
    if (name.attribute) {
        for (XmlObject* a : node.attributes) {
            if (XmlNameMatches(vm, *a, name)) {
                out.items.push_back(a);
            }
        }
    }
    for (XmlObject* child : node.children) {
        if (!name.attribute && XmlNameMatches(vm, *child, name)) {
            out.items.push_back(child);
        }
        CollectDescendants(vm, *child, name, out, depth + 1);
    }
}

} // namespace

PropName AttributeSpelled(Vm& vm, const PropName& name) {
    if (name.attribute || name.index >= 0 || name.atom == 0) {
        return name;
    }
    const std::string& text = vm.atomText(name.atom);
    if (text.empty() || text[0] != '@') {
        return name;
    }
    PropName attribute = name;
    attribute.atom = vm.intern(text.substr(1));
    attribute.attribute = true;
    return attribute;
}

bool IsXml(const Value& v) {
    return v.isObject() &&
           (v.asObject()->kind == ObjectKind::Xml || v.asObject()->kind == ObjectKind::XmlList);
}

bool XmlNameMatches(Vm& vm, const XmlObject& node, PropName& name) {
    const bool wantAttribute = name.attribute;
    if ((node.nodeKind == XmlKind::Attribute) != wantAttribute) {
        return false;
    }
    if (!wantAttribute && node.nodeKind != XmlKind::Element) {
        return false;
    }
    if (NameAtom(vm, name) != kAnyAtom && vm.atomText(name.atom) != node.local) {
        return false;
    }
    for (std::uint32_t ns : name.ns()) {
        if (ns == kAnyNs || vm.nsUri(ns) == node.uri || (wantAttribute && ns == kPublicNs)) {
            return true;
        }
    }
    return false;
}

XmlListObject* XmlChildren(Vm& vm, const Value& obj, PropName& given) {
    PropName name = AttributeSpelled(vm, given);
    XmlListObject* list = NewXmlList(vm);
    for (XmlObject* node : Nodes(obj)) {
        for (XmlObject* child : name.attribute ? node->attributes : node->children) {
            if (XmlNameMatches(vm, *child, name)) {
                list->items.push_back(child);
            }
        }
    }
    if (obj.asObject()->kind == ObjectKind::Xml) {
        list->target = static_cast<XmlObject*>(obj.asObject());
        list->targetName = NameText(vm, name);
        list->targetAttribute = name.attribute;
    }
    return list;
}

Value XmlConcat(Vm& vm, const Value& a, const Value& b) {
    XmlListObject* list = NewXmlList(vm);
    list->items = Nodes(a);
    const std::vector<XmlObject*> more = Nodes(b);
    if (list->items.size() + more.size() > vm.limits().maxArrayLength) {
        vm.limitReached("an XMLList longer than the limit");
    }
    list->items.insert(list->items.end(), more.begin(), more.end());
    return Value::object(list);
}

Value XmlDescendants(Vm& vm, const Value& obj, PropName& name) {
    if (!IsXml(obj)) {
        vm.throwError(ErrorKind::TypeError, 1016,
                      "Descendants operator (..) not supported on type " + ClassName(vm, obj) +
                          ".");
    }
    XmlListObject* list = NewXmlList(vm);
    for (const XmlObject* node : Nodes(obj)) {
        CollectDescendants(vm, *node, name, *list, 0);
    }
    return Value::object(list);
}

void XmlAppend(Vm& vm, XmlObject& parent, const Value& value, bool prepend) {
    std::vector<XmlObject*> added;
    if (value.isObject() && value.asObject()->kind == ObjectKind::XmlList) {
        added = static_cast<XmlListObject*>(value.asObject())->items;
    } else {
        added.push_back(StoredNode(vm, value));
    }
    for (XmlObject* node : added) {
        for (const XmlObject* up = &parent; up; up = up->parent) {
            if (up == node) {
                vm.throwError(ErrorKind::TypeError, 1118, "Illegal cyclical loop between nodes.");
            }
        }
    }
    for (XmlObject* node : added) {
        if (XmlObject* old = node->parent; old && old != &parent) {
            auto& siblings = old->children; // a node lives in one place: it moves
            siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
        }
        node->parent = &parent;
    }
    parent.children.insert(prepend ? parent.children.begin() : parent.children.end(), added.begin(),
                           added.end());
}

bool XmlObject::getOwn(Vm& vm, PropName& name, Value& out) {
    if (name.index >= 0 && !name.attribute) {
        out = name.index == 0 ? Value::object(this) : Value();
        return true;
    }
    out = Value::object(XmlChildren(vm, Value::object(this), name));
    return true;
}

bool XmlObject::setOwn(Vm& vm, PropName& given, const Value& value) {
    PropName name = AttributeSpelled(vm, given);
    if (name.attribute) {
        SetAttribute(vm, *this, name, value);
        return true;
    }
    if (name.index >= 0) {
        return true; // x[0] = v changes nothing on a single node
    }
    auto& kids = children;
    const auto first = std::find_if(kids.begin(), kids.end(),
                                    [&](XmlObject* c) { return XmlNameMatches(vm, *c, name); });
    if (first == kids.end()) {
        XmlObject* element = NewXmlNode(vm, XmlKind::Element);
        element->local = NameText(vm, name);
        element->parent = this;
        kids.push_back(element);
        ReplaceContent(vm, *element, value);
        return true;
    }
    ReplaceContent(vm, **first, value);
    kids.erase(std::remove_if(first + 1, kids.end(),
                              [&](XmlObject* c) { return XmlNameMatches(vm, *c, name); }),
               kids.end());
    return true;
}

bool XmlObject::deleteOwn(Vm& vm, PropName& given, bool& deleted) {
    PropName name = AttributeSpelled(vm, given);
    auto& list = name.attribute ? attributes : children;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](XmlObject* c) { return XmlNameMatches(vm, *c, name); }),
               list.end());
    deleted = true;
    return true;
}

bool XmlObject::hasOwn(Vm& vm, PropName& name, bool& has) {
    if (name.index >= 0 && !name.attribute) {
        has = name.index == 0;
        return true;
    }
    // Not found: methods and dynamic properties are still looked up as usual.
    has = !XmlChildren(vm, Value::object(this), name)->items.empty();
    return has;
}

bool XmlListObject::getOwn(Vm& vm, PropName& name, Value& out) {
    if (name.index >= 0 && !name.attribute) {
        out = static_cast<std::uint64_t>(name.index) < items.size()
                  ? Value::object(items[name.index])
                  : Value();
        return true;
    }
    out = Value::object(XmlChildren(vm, Value::object(this), name));
    return true;
}

bool XmlListObject::setOwn(Vm& vm, PropName& name, const Value& value) {
    if (name.index >= 0 && !name.attribute) {
        XmlObject* node = StoredNode(vm, value);
        if (static_cast<std::uint64_t>(name.index) < items.size()) {
            items[name.index] = node;
        } else if (items.size() >= vm.limits().maxArrayLength) {
            vm.limitReached("an XMLList longer than the limit");
        } else {
            if (target && !targetAttribute) {
                XmlAppend(vm, *target, Value::object(node));
            }
            items.push_back(node);
        }
        return true;
    }
    if (items.size() == 1) {
        return items[0]->setOwn(vm, name, value);
    }
    vm.throwError(ErrorKind::TypeError, 1089,
                  "Assignment to lists with more than one item is not supported.");
}

bool XmlListObject::deleteOwn(Vm& vm, PropName& name, bool& deleted) {
    if (name.index >= 0 && !name.attribute) {
        if (static_cast<std::uint64_t>(name.index) < items.size()) {
            XmlObject* node = items[name.index];
            if (XmlObject* parent = node->parent) {
                auto& list =
                    node->nodeKind == XmlKind::Attribute ? parent->attributes : parent->children;
                list.erase(std::remove(list.begin(), list.end(), node), list.end());
            }
            items.erase(items.begin() + name.index);
        }
        deleted = true;
        return true;
    }
    for (XmlObject* item : items) {
        item->deleteOwn(vm, name, deleted);
    }
    deleted = true;
    return true;
}

bool XmlListObject::hasOwn(Vm& vm, PropName& name, bool& has) {
    if (name.index >= 0 && !name.attribute) {
        has = static_cast<std::uint64_t>(name.index) < items.size();
        return true;
    }
    // Not found: methods and dynamic properties are still looked up as usual.
    has = !XmlChildren(vm, Value::object(this), name)->items.empty();
    return has;
}

} // namespace quillon::avm2
