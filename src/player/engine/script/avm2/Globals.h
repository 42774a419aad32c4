#pragma once
// Definitions across scripts: the built-ins, then each loaded script's globals, whose
// initialiser runs the first time a name it defines is needed. Also the scope-chain
// searches of findproperty and findpropstrict.

#include "player/engine/script/avm2/Names.h"
#include "player/engine/script/avm2/Object.h"

namespace quillon::avm2 {

class Vm;
struct Frame;

// The global object defining name, its script started; nullptr when none does.
Object* FindGlobalFor(Vm& vm, const PropName& name);
// The value of a definition (a class, a function, a global variable), or undefined.
Value FindDefinition(Vm& vm, const Name& name);
// The class a name stands for when its script has already run, else null; never runs
// a script.
ClassObject* DefinedClass(Vm& vm, const Name& name);
// findproperty/findpropstrict: the object on the scope chain that has the name.
Value FindProperty(Frame& f, PropName& name, bool strict);

} // namespace quillon::avm2
