// toXMLString and toString of XML and XMLList, pretty printed or not as the XML
// settings say.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2/XmlObject.h"

#include <algorithm>
#include <iterator>

namespace quillon::avm2 {
namespace {

struct Escape {
    char c;
    const char* inElement;
    const char* inAttribute;
};
constexpr Escape kEscapes[] = {
    {'&', "&amp;", "&amp;"}, {'<', "&lt;", "&lt;"}, {'>', "&gt;", ">"},   {'"', "\"", "&quot;"},
    {'\n', "\n", "&#xA;"},   {'\r', "\r", "&#xD;"}, {'\t', "\t", "&#x9;"}};

std::string Escaped(const std::string& text, bool attribute) {
    std::string out;
    for (char c : text) {
        const auto* e = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                     [c](const Escape& x) { return x.c == c; });
        if (e == std::end(kEscapes)) {
            out += c;
        } else {
            out += attribute ? e->inAttribute : e->inElement;
        }
    }
    return out;
}

std::string QualifiedName(const XmlObject& node) {
    return node.prefix.empty() ? node.local : node.prefix + ":" + node.local;
}

std::string TrimmedText(const std::string& s) {
    const std::size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) {
        return "";
    }
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

std::string Declarations(const std::vector<std::pair<std::string, std::string>>& namespaces) {
    std::string s;
    for (const auto& [prefix, uri] : namespaces) {
        s += (prefix.empty() ? " xmlns" : " xmlns:" + prefix) + "=\"" + Escaped(uri, true) + "\"";
    }
    return s;
}

// A node printed on its own repeats what its ancestors declare, after its attributes,
// so the markup reads the same names when parsed again.
std::vector<std::pair<std::string, std::string>> Inherited(const XmlObject& node) {
    std::vector<std::pair<std::string, std::string>> out;
    const auto declared = [&](const std::string& prefix) {
        const auto same = [&](const auto& d) { return d.first == prefix; };
        return std::any_of(node.namespaces.begin(), node.namespaces.end(), same) ||
               std::any_of(out.begin(), out.end(), same);
    };
    for (const XmlObject* e = node.parent; e; e = e->parent) {
        for (const auto& d : e->namespaces) {
            if (!declared(d.first)) {
                out.push_back(d);
            }
        }
    }
    return out;
}

std::string StartTag(const XmlObject& node, bool top) {
    std::string s = "<" + QualifiedName(node) + Declarations(node.namespaces);
    for (const XmlObject* a : node.attributes) {
        s += " " + QualifiedName(*a) + "=\"" + Escaped(a->text, true) + "\"";
    }
    return top ? s + Declarations(Inherited(node)) : s;
}

void CheckLength(Vm& vm, const std::string& s) {
    if (s.size() > vm.limits().maxStringLength) {
        vm.limitReached("a string longer than the limit");
    }
}

} // namespace

std::string EscapeElementText(const std::string& text) {
    return Escaped(text, false);
}
std::string EscapeAttributeText(const std::string& text) {
    return Escaped(text, true);
}

bool HasSimpleContent(const XmlObject& node) {
    if (node.nodeKind == XmlKind::Comment || node.nodeKind == XmlKind::Instruction) {
        return false;
    }
    for (const XmlObject* child : node.children) {
        if (child->nodeKind == XmlKind::Element) {
            return false;
        }
    }
    return true;
}

namespace {

std::string Print(Vm& vm, const XmlObject& node, int indent, bool top) {
    const XmlSettings& settings = SettingsOf(vm);
    const bool pretty = settings.prettyPrinting;
    const std::string pad = pretty ? std::string(static_cast<std::size_t>(indent), ' ') : "";
    switch (node.nodeKind) {
    case XmlKind::Text:
        if (node.cdata) {
            return pad + "<![CDATA[" + node.text + "]]>";
        }
        return pad + EscapeElementText(pretty ? TrimmedText(node.text) : node.text);
    case XmlKind::Attribute:
        return pad + EscapeAttributeText(node.text);
    case XmlKind::Comment:
        return pad + "<!--" + node.text + "-->";
    case XmlKind::Instruction:
        return pad + "<?" + node.local + (node.text.empty() ? "" : " " + node.text) + "?>";
    case XmlKind::Element:
        break;
    }
    const DepthGuard nesting(vm); // printing recurses once per level
    std::string s = pad + StartTag(node, top);
    if (node.children.empty()) {
        return s + "/>";
    }
    s += ">";
    const bool block =
        pretty && (node.children.size() > 1 || node.children[0]->nodeKind != XmlKind::Text);
    for (const XmlObject* child : node.children) {
        s += block ? "\n" +
                         Print(vm, *child, indent + std::clamp(settings.prettyIndent, 0, 64), false)
                   : Print(vm, *child, 0, false);
        CheckLength(vm, s);
    }
    return s + (block ? "\n" + pad : "") + "</" + QualifiedName(node) + ">";
}

} // namespace

std::string XmlToXmlString(Vm& vm, const XmlObject& node, int indent) {
    return Print(vm, node, indent, true);
}

std::string XmlListToXmlString(Vm& vm, const XmlListObject& list) {
    std::string s;
    for (std::size_t i = 0; i < list.items.size(); ++i) {
        s += (i ? "\n" : "") + XmlToXmlString(vm, *list.items[i]);
        CheckLength(vm, s);
    }
    return s;
}

bool XmlEquals(Vm& vm, const Value& a, const Value& b) {
    const auto simple = [](const Value& v) {
        const Object* o = v.asObject();
        if (o->kind == ObjectKind::Xml) {
            return HasSimpleContent(*static_cast<const XmlObject*>(o));
        }
        const auto& items = static_cast<const XmlListObject*>(o)->items;
        return items.size() == 1 && HasSimpleContent(*items[0]);
    };
    if (simple(a) || simple(b)) {
        return XmlToString(vm, a) == XmlToString(vm, b);
    }
    return XmlMarkup(vm, a) == XmlMarkup(vm, b);
}

std::string XmlMarkup(Vm& vm, const Value& v) {
    if (v.asObject()->kind == ObjectKind::XmlList) {
        return XmlListToXmlString(vm, *static_cast<const XmlListObject*>(v.asObject()));
    }
    return XmlToXmlString(vm, *static_cast<const XmlObject*>(v.asObject()));
}

namespace {

std::string NodeToString(Vm& vm, const XmlObject& node) {
    if (node.nodeKind == XmlKind::Text || node.nodeKind == XmlKind::Attribute) {
        return node.text;
    }
    if (!HasSimpleContent(node)) {
        return XmlToXmlString(vm, node);
    }
    std::string s;
    for (const XmlObject* child : node.children) {
        if (child->nodeKind == XmlKind::Text) {
            s += child->text;
        }
    }
    return s;
}

} // namespace

std::string XmlToString(Vm& vm, const Value& v) {
    if (v.asObject()->kind == ObjectKind::Xml) {
        return NodeToString(vm, *static_cast<const XmlObject*>(v.asObject()));
    }
    const auto& list = *static_cast<const XmlListObject*>(v.asObject());
    bool simple = true;
    for (const XmlObject* item : list.items) {
        simple = simple && item->nodeKind != XmlKind::Element;
    }
    if (list.items.size() == 1) {
        return NodeToString(vm, *list.items[0]);
    }
    if (!simple) {
        return XmlListToXmlString(vm, list);
    }
    std::string s;
    for (const XmlObject* item : list.items) {
        s += NodeToString(vm, *item);
        CheckLength(vm, s);
    }
    return s;
}

} // namespace quillon::avm2
