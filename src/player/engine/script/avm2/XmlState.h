#pragma once
// What the XML classes keep per machine: their settings and the two classes.

#include "player/engine/script/avm2/Object.h"
#include "player/engine/script/avm2/XmlObject.h"

namespace quillon::avm2 {

class XmlState : public Object {
public:
    XmlSettings settings;
    ClassObject* xml = nullptr;
    ClassObject* list = nullptr;
    ClassObject* qname = nullptr;
};

XmlState& XmlStateOf(Vm& vm);

} // namespace quillon::avm2
