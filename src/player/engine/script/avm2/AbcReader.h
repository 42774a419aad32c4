#pragma once
// Reads an ABC file in full and checks every index and length in it.

#include "player/engine/script/avm2/AbcFile.h"

#include <cstdint>
#include <span>

namespace quillon::avm2 {

// Throws AbcError on damaged data.
AbcFile ReadAbc(std::span<const std::uint8_t> bytes);

} // namespace quillon::avm2
