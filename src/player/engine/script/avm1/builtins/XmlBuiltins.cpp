// XMLNode and XML: trees of nodes built by scripts or read from markup, and written
// back out as text.

#include "player/engine/script/avm1/builtins/XmlTree.h"

#include <algorithm>
#include <functional>

namespace quillon::engine::avm1 {

namespace {

XmlNode* ThisXml(CallInfo& c) {
    return XmlOf(c.thisValue);
}

Value OrNull(Object* o) {
    return o ? Value(o) : Value::null();
}

enum Link { Parent, First, Last, Next, Previous };

// parentNode, firstChild, lastChild, nextSibling and previousSibling by magic.
Value GetLink(Vm&, CallInfo& c) {
    XmlNode* x = ThisXml(c);
    if (!x) {
        return Value();
    }
    const auto& kids = x->children;
    switch (c.callee->magic) {
    case Parent:
        return OrNull(x->parent);
    case First:
        return OrNull(kids.empty() ? nullptr : kids.front());
    case Last:
        return OrNull(kids.empty() ? nullptr : kids.back());
    default:
        break;
    }
    if (!x->parent || !x->parent->xml) {
        return Value::null();
    }
    const auto& siblings = x->parent->xml->children;
    const auto at = std::find(siblings.begin(), siblings.end(), c.thisValue.o);
    if (at == siblings.end()) {
        return Value::null();
    }
    if (c.callee->magic == Next) {
        return OrNull(at + 1 == siblings.end() ? nullptr : *(at + 1));
    }
    return OrNull(at == siblings.begin() ? nullptr : *(at - 1));
}

enum Field { NodeType, Name, NodeValue, Children, Attributes, LocalName, Prefix };

Value GetField(Vm& vm, CallInfo& c) {
    XmlNode* x = ThisXml(c);
    if (!x) {
        return Value();
    }
    const std::string name = x->name.isString() ? x->name.str() : std::string();
    const std::size_t colon = name.find(':');
    switch (c.callee->magic) {
    case NodeType:
        return Value(x->type);
    case Name:
        return x->name;
    case NodeValue:
        return x->value;
    case Children:
        return Value(x->childArray);
    case Attributes:
        return Value(x->attributes);
    case LocalName:
        return x->name.isString() ? vm.makeString(name.substr(colon + 1)) : Value::null();
    default:
        return x->name.isString()
                   ? vm.makeString(colon == std::string::npos ? "" : name.substr(0, colon))
                   : Value::null();
    }
}

Value SetField(Vm& vm, CallInfo& c) {
    XmlNode* x = ThisXml(c);
    if (!x) {
        return Value();
    }
    const Value v = c.arg(0);
    switch (c.callee->magic) {
    case Name:
        x->name = v.isNullish() ? Value::null() : Value(vm.toStr(v));
        break;
    case NodeValue:
        x->value = v.isNullish() ? Value::null() : Value(vm.toStr(v));
        break;
    case Attributes:
        if (v.isObject()) {
            x->attributes = v.o;
        }
        break;
    default:
        break;
    }
    return Value();
}

Value XmlNodeCtor(Vm& vm, CallInfo& c) {
    if (Object* o = ThisObject(c); o && c.construct) {
        const int type = IntArg(vm, c, 0, XmlElement) == XmlText ? XmlText : XmlElement;
        MakeXmlNode(vm, o, type,
                    c.arg(1).isUndefined() ? Value::null() : Value(vm.toStr(c.arg(1))));
    }
    return c.thisValue;
}

// A node already in a tree stays where it is: scripts remove it first to move it.
bool Free(const Value& node) {
    const XmlNode* x = XmlOf(node);
    return x && !x->parent;
}

Value AppendChild(Vm& vm, CallInfo& c) {
    if (ThisXml(c) && Free(c.arg(0))) {
        AttachXml(vm, c.thisValue.o, c.arg(0).o, nullptr);
    }
    return Value();
}

Value InsertBefore(Vm& vm, CallInfo& c) {
    XmlNode* x = ThisXml(c);
    if (x && Free(c.arg(0)) && XmlOf(c.arg(1)) &&
        std::ranges::find(x->children, c.arg(1).o) != x->children.end()) {
        AttachXml(vm, c.thisValue.o, c.arg(0).o, c.arg(1).o);
    }
    return Value();
}

Value RemoveNode(Vm& vm, CallInfo& c) {
    if (ThisXml(c)) {
        DetachXml(vm, c.thisValue.o);
    }
    return Value();
}

Value CloneNode(Vm& vm, CallInfo& c) {
    return ThisXml(c) ? Value(CloneXml(vm, c.thisValue.o, vm.toBool(c.arg(0)))) : Value();
}

Value HasChildNodes(Vm&, CallInfo& c) {
    XmlNode* x = ThisXml(c);
    return x ? Value(!x->children.empty()) : Value();
}

Value NodeToString(Vm& vm, CallInfo& c) {
    XmlNode* x = ThisXml(c);
    if (!x) {
        return Value();
    }
    std::string head;
    if (!x->parent && x->name.isNullish() && x->type == XmlElement) {
        // a document starts with its declaration and doctype
        for (const char* name : {"xmlDecl", "docTypeDecl"}) {
            const Value v = vm.get(c.thisValue, name);
            head += v.isUndefined() ? std::string() : vm.toString(v);
        }
    }
    return vm.makeString(head + XmlToString(vm, c.thisValue.o));
}

} // namespace

void Accessor(Vm& vm, Object* proto, const char* name, NativeFn getter, NativeFn setter,
              int magic) {
    proto->define(name, Value(), DontEnum | DontDelete);
    Property* p = proto->findAny(name);
    p->getter = vm.newNative(getter, magic);
    p->setter = setter ? vm.newNative(setter, magic) : nullptr;
}

// Records the elements with an id attribute in the document's idMap (version 8 on).
void FillIdMap(Vm& vm, Object* document) {
    const Value map = vm.get(Value(document), "idMap");
    if (!map.isObject()) {
        return;
    }
    std::function<void(Object*, int)> walk = [&](Object* node, int depth) {
        if (depth > MaxXmlDepth) {
            return;
        }
        for (Object* child : node->xml->children) {
            const Value id = vm.get(Value(child->xml->attributes), "id");
            if (child->xml->type == XmlElement && !id.isUndefined()) {
                vm.set(map, vm.toString(id), Value(child));
            }
            walk(child, depth + 1);
        }
    };
    walk(document, 0);
}

void InstallXmlNodeBuiltins(Vm& vm) {
    Object* proto = vm.newObject();
    vm.newClass(vm.global, "XMLNode", XmlNodeCtor, proto);
    vm.xmlNodeProto = proto;
    vm.methods(proto, {{"appendChild", AppendChild},
                       {"insertBefore", InsertBefore},
                       {"removeNode", RemoveNode},
                       {"cloneNode", CloneNode},
                       {"hasChildNodes", HasChildNodes},
                       {"toString", NodeToString}});
    static constexpr std::pair<const char*, int> Links[] = {{"parentNode", Parent},
                                                            {"firstChild", First},
                                                            {"lastChild", Last},
                                                            {"nextSibling", Next},
                                                            {"previousSibling", Previous}};
    for (const auto& [name, magic] : Links) {
        Accessor(vm, proto, name, GetLink, nullptr, magic);
    }
    static constexpr std::pair<const char*, int> Fields[] = {
        {"nodeType", NodeType},   {"nodeName", Name},         {"nodeValue", NodeValue},
        {"childNodes", Children}, {"attributes", Attributes}, {"localName", LocalName},
        {"prefix", Prefix}};
    for (const auto& [name, magic] : Fields) {
        const bool writable = magic == Name || magic == NodeValue || magic == Attributes;
        Accessor(vm, proto, name, GetField, writable ? SetField : nullptr, magic);
    }
}

} // namespace quillon::engine::avm1
