#pragma once
// XML and XMLList: the E4X tree, its parser and printer, and the property access
// (children by name or index, attributes, descendants) compiled code uses on them.

#include "player/engine/script/avm2/Object.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillon::avm2 {

enum class XmlKind : std::uint8_t { Element, Text, Comment, Instruction, Attribute };

class XmlObject : public Object {
public:
    XmlObject() : Object(ObjectKind::Xml) { exotic = true; }
    XmlKind nodeKind = XmlKind::Element;
    std::string uri, prefix, local; // the name; an instruction's target is local
    std::string text;               // text, comment, instruction or attribute value
    std::vector<XmlObject*> attributes, children;
    std::vector<std::pair<std::string, std::string>> namespaces; // declared: prefix, uri
    XmlObject* parent = nullptr;
    bool cdata = false; // a text node from a CDATA section prints as one

    bool getOwn(Vm& vm, PropName& name, Value& out) override;
    bool setOwn(Vm& vm, PropName& name, const Value& value) override;
    bool deleteOwn(Vm& vm, PropName& name, bool& deleted) override;
    bool hasOwn(Vm& vm, PropName& name, bool& has) override;
    std::uint32_t elementCount() const override { return 1; }
    Value elementValue(Vm&, std::uint32_t) const override {
        return Value::object(const_cast<XmlObject*>(this));
    }
};

class XmlListObject : public Object {
public:
    XmlListObject() : Object(ObjectKind::XmlList) { exotic = true; }
    std::vector<XmlObject*> items;
    // Where a store into an empty list goes: the parent and the name it was read by.
    XmlObject* target = nullptr;
    std::string targetName;
    bool targetAttribute = false;

    bool getOwn(Vm& vm, PropName& name, Value& out) override;
    bool setOwn(Vm& vm, PropName& name, const Value& value) override;
    bool deleteOwn(Vm& vm, PropName& name, bool& deleted) override;
    bool hasOwn(Vm& vm, PropName& name, bool& has) override;
    std::uint32_t elementCount() const override { return static_cast<std::uint32_t>(items.size()); }
    Value elementValue(Vm&, std::uint32_t i) const override { return Value::object(items[i]); }
};

// The XML settings of the XML class.
struct XmlSettings {
    bool ignoreComments = true, ignoreProcessingInstructions = true, ignoreWhitespace = true;
    bool prettyPrinting = true;
    int prettyIndent = 2;
};
XmlSettings& SettingsOf(Vm& vm);

bool IsXml(const Value& v); // XML or XMLList
XmlObject* NewXmlNode(Vm& vm, XmlKind kind);
XmlListObject* NewXmlList(Vm& vm);
// Parses markup into its top-level nodes (TypeError #1090 and kin when malformed).
std::vector<XmlObject*> ParseXml(Vm& vm, const std::string& markup);
// A value as XML: a node stays, a list of one gives its node, anything else is parsed.
XmlObject* ToXml(Vm& vm, const Value& v);
XmlListObject* ToXmlList(Vm& vm, const Value& v);
XmlObject* XmlCopy(Vm& vm, const XmlObject& node); // deep, without a parent
// The one node a method of XML or XMLList works on: TypeError #1086 naming the method
// for a list of any other length, #1034 for what is no XML at all.
XmlObject& OneXml(Vm& vm, const Value& self, std::string_view method);

std::string XmlToXmlString(Vm& vm, const XmlObject& node, int indent = 0);
std::string XmlListToXmlString(Vm& vm, const XmlListObject& list);
std::string XmlToString(Vm& vm, const Value& v); // toString: simple content as its text
std::string XmlMarkup(Vm& vm, const Value& v);   // toXMLString of XML or XMLList
bool HasSimpleContent(const XmlObject& node);
std::string EscapeElementText(const std::string& text);
std::string EscapeAttributeText(const std::string& text);

// The E4X operators compiled code uses.
Value XmlDescendants(Vm& vm, const Value& obj, PropName& name);
// == between XML values: the same text when either has simple content, else the same markup.
bool XmlEquals(Vm& vm, const Value& a, const Value& b);
Value XmlConcat(Vm& vm, const Value& a, const Value& b);              // a + b: one list of both
XmlListObject* XmlChildren(Vm& vm, const Value& obj, PropName& name); // x.name, x.@name
bool XmlNameMatches(Vm& vm, const XmlObject& node, PropName& name);
// A name written "@a" (as a string key) stands for the attribute a.
PropName AttributeSpelled(Vm& vm, const PropName& name);
void XmlAppend(Vm& vm, XmlObject& parent, const Value& value, bool prepend = false);

class NativeClass;
// The methods of XML and XMLList.
void AddXmlMethods(NativeClass& xml, NativeClass& list);
void AddXmlEditMethods(NativeClass& xml, NativeClass& list);
void AddXmlNamespaceMethods(NativeClass& xml, NativeClass& list);

} // namespace quillon::avm2
