#pragma once
// Names as the machine uses them: interned atoms for property names, interned ids for
// namespaces, and multinames with their namespace sets already turned into ids.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quillon::avm2 {

class Object;

inline constexpr std::uint32_t kAnyNs = 0;    // "*" as a namespace
inline constexpr std::uint32_t kPublicNs = 1; // the public namespace ""
inline constexpr std::uint32_t kAnyAtom = 1;  // "*" as a name

// A multiname from an ABC file, ready for use.
struct Name {
    std::uint32_t atom = kAnyAtom;
    std::vector<std::uint32_t> ns;
    bool runtimeName = false; // the name comes off the stack
    bool runtimeNs = false;   // the namespace comes off the stack
    bool attribute = false;
    bool hasPublic = false;
    std::int64_t index = -1;        // the name read as an array index
    const Name* typeBase = nullptr; // Vector.<T>: the generic
    std::vector<const Name*> typeParams;
    std::string text; // for messages
};

// A name with its run-time parts filled in, as property access takes it.
struct PropName {
    std::uint32_t atom = 0; // 0 while only the index is known
    const std::vector<std::uint32_t>* set = nullptr;
    std::uint32_t single = kPublicNs; // used when set is null
    bool hasPublic = true;
    bool attribute = false;
    std::int64_t index = -1; // set when the name is an array index
    Object* key = nullptr;   // the object a run-time name came from, for Dictionary keys
    std::span<const std::uint32_t> ns() const {
        return set ? std::span<const std::uint32_t>(*set)
                   : std::span<const std::uint32_t>(&single, 1);
    }
};

} // namespace quillon::avm2
