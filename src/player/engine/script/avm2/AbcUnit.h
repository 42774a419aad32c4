#pragma once
// One loaded ABC file: the file itself and the run-time forms of its pools.

#include "player/engine/script/avm2/AbcFile.h"
#include "player/engine/script/avm2/Code.h"

#include <memory>
#include <vector>

namespace quillon::avm2 {

struct ScriptState {
    Object* global = nullptr;
    const MethodInfo* init = nullptr;
    bool started = false;
};

struct AbcUnit {
    AbcFile file;
    std::vector<std::uint32_t> namespaces; // namespace index -> id
    std::vector<Name> names;               // multiname index -> name
    std::vector<Value> strings;            // string index -> value
    std::vector<std::unique_ptr<MethodInfo>> methods;
    std::vector<ClassObject*> classes; // filled by newclass
    std::vector<ScriptState> scripts;
    std::vector<std::shared_ptr<Traits>> ownedTraits; // script globals and activations
    std::vector<std::shared_ptr<const ScopeChain>> scriptScopes;
};

} // namespace quillon::avm2
