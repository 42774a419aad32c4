#pragma once
// QName: a name with its namespace URI, as E4X and run-time names use it.

#include "player/engine/script/avm2/Names.h"
#include "player/engine/script/avm2/Object.h"

#include <string>
#include <string_view>

namespace quillon::avm2 {

class Vm;

class QNameObject : public Object {
public:
    std::string uri, local;
    bool anyUri = false;   // QName(null, ...): any namespace, and uri reads null
    bool anyLocal = false; // the local name "*"
};

// value as a QName, or nullptr when it is none.
const QNameObject* AsQName(const Value& value);
// A QName used as a property name: its local name in its namespace.
PropName QNamePropName(Vm& vm, const QNameObject& qname);
// How toString prints it: "uri::local", "local" in no namespace, "*::local" in any.
std::string QNameText(const QNameObject& qname);

// A Namespace object; a null prefix leaves it without one (its prefix reads undefined).
Value MakeNamespace(Vm& vm, const std::string& uri, const std::string* prefix);
// Whether text is an XML name without a colon, as prefixes and local names must be.
bool IsXmlName(std::string_view text);

} // namespace quillon::avm2
