#include "player/engine/script/avm1/builtins/XmlTree.h"

#include "player/engine/script/common/XmlEntities.h"

#include <algorithm>

namespace quillon::engine::avm1 {

namespace {

// childNodes as the script sees it, refreshed after every change of the children.
void RefreshChildArray(Vm& vm, XmlNode& node) {
    if (!node.childArray) {
        node.childArray = vm.newArray();
    }
    node.childArray->elements.assign(node.children.begin(), node.children.end());
    node.childArray->elementStamps.clear();
}

bool IsAncestorOrSelf(const Object* candidate, const Object* node) {
    for (int depth = 0; node && depth <= MaxXmlDepth * 8; ++depth) {
        if (node == candidate) {
            return true;
        }
        node = node->xml ? node->xml->parent : nullptr;
    }
    return false;
}

std::string AttributesText(Vm& vm, Object* attributes) {
    std::string out;
    if (!attributes) {
        return out;
    }
    std::vector<std::string> names = vm.enumerate(attributes);
    std::reverse(names.begin(), names.end()); // in the order they were written
    for (const std::string& name : names) {
        out += " " + name + "=\"" + EscapeXml(vm.toString(vm.get(Value(attributes), name))) + "\"";
    }
    return out;
}

} // namespace

void MakeXmlNode(Vm& vm, Object* object, int type, const Value& text) {
    object->xml = std::make_unique<XmlNode>();
    XmlNode& node = *object->xml;
    node.type = type;
    node.name = type == XmlElement ? text : Value::null();
    node.value = type == XmlElement ? Value::null() : text;
    node.attributes = vm.newObject();
    RefreshChildArray(vm, node);
}

Object* NewXmlNode(Vm& vm, int type, const Value& text) {
    Object* object = vm.newObject(vm.xmlNodeProto);
    object->className = "XMLNode";
    MakeXmlNode(vm, object, type, text);
    return object;
}

XmlNode* XmlOf(const Value& v) {
    return v.isObject() ? v.o->xml.get() : nullptr;
}

void DetachXml(Vm& vm, Object* child) {
    Object* parent = child->xml ? child->xml->parent : nullptr;
    if (!parent || !parent->xml) {
        return;
    }
    std::erase(parent->xml->children, child);
    child->xml->parent = nullptr;
    RefreshChildArray(vm, *parent->xml);
}

bool AttachXml(Vm& vm, Object* parent, Object* child, Object* before) {
    if (!parent->xml || !child->xml || IsAncestorOrSelf(child, parent) || before == child) {
        return false;
    }
    DetachXml(vm, child);
    auto& children = parent->xml->children;
    auto at = before ? std::find(children.begin(), children.end(), before) : children.end();
    children.insert(at, child);
    child->xml->parent = parent;
    RefreshChildArray(vm, *parent->xml);
    return true;
}

Object* CloneXml(Vm& vm, Object* node, bool deep, int depth) {
    const XmlNode& from = *node->xml;
    Object* copy = NewXmlNode(vm, from.type, from.type == XmlElement ? from.name : from.value);
    copy->proto = node->proto;
    copy->className = node->className;
    if (from.attributes) {
        for (const Property& p : from.attributes->properties()) {
            copy->xml->attributes->put(p.name, p.value);
        }
    }
    if (deep && depth < MaxXmlDepth) {
        for (Object* child : from.children) {
            AttachXml(vm, copy, CloneXml(vm, child, true, depth + 1), nullptr);
        }
    }
    return copy;
}

std::string XmlToString(Vm& vm, Object* node, int depth) {
    const XmlNode& x = *node->xml;
    if (x.type != XmlElement) {
        return x.value.isNullish() ? std::string() : EscapeXml(vm.toString(x.value));
    }
    std::string inner;
    if (depth < MaxXmlDepth) {
        for (Object* child : x.children) {
            inner += XmlToString(vm, child, depth + 1);
            if (inner.size() > vm.limits().maxStringLength) {
                throw ScriptAbort{"a string grew past its size cap"};
            }
        }
    }
    if (x.name.isNullish()) {
        return inner;
    }
    const std::string name = vm.toString(x.name);
    const std::string open = "<" + name + AttributesText(vm, x.attributes);
    return x.children.empty() ? open + " />" : open + ">" + inner + "</" + name + ">";
}

std::string EscapeXml(const std::string& text) {
    return EncodeXmlEntities(text);
}

} // namespace quillon::engine::avm1
