#pragma once
// Reads an ABC file and prepares it for the machine: namespaces and names interned,
// methods described, each script's global object made (its initialiser not run).

#include "player/engine/script/avm2/AbcUnit.h"

#include <cstdint>
#include <memory>
#include <span>

namespace quillon::avm2 {

class Vm;

std::unique_ptr<AbcUnit> LoadUnit(Vm& vm, std::span<const std::uint8_t> bytes);

} // namespace quillon::avm2
