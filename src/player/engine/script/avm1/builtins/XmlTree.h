#pragma once
// XML trees of script objects: making nodes, moving them, copying and writing them out,
// and reading markup into them.

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <string>

namespace quillon::engine::avm1 {

// Nodes nest at most this deep; deeper markup is malformed and deeper trees write out
// no further, so input cannot exhaust the stack.
constexpr int MaxXmlDepth = 512;

enum XmlType { XmlElement = 1, XmlText = 3 };

// Makes `object` a node of a type with a name (element) or a value (text).
void MakeXmlNode(Vm& vm, Object* object, int type, const Value& text);
Object* NewXmlNode(Vm& vm, int type, const Value& text);
// The node data of a value, or nullptr.
XmlNode* XmlOf(const Value& v);
// Moves child under parent before `before` (at the end when nullptr); false when that
// would put a node inside itself.
bool AttachXml(Vm& vm, Object* parent, Object* child, Object* before);
void DetachXml(Vm& vm, Object* child);
Object* CloneXml(Vm& vm, Object* node, bool deep, int depth = 0);
std::string XmlToString(Vm& vm, Object* node, int depth = 0);
// Text with & < > " ' written as entities, and back.
std::string EscapeXml(const std::string& text);
std::string UnescapeXml(const std::string& text);
// Reads markup into a document node's children; the status code the player reports
// (0 when well formed, -2 to -10 for the kind of fault).
int ParseXml(Vm& vm, Object* document, const std::string& text, bool ignoreWhite);

} // namespace quillon::engine::avm1
