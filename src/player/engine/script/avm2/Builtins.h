#pragma once
// The built-in classes and functions every script sees.

namespace quillon::avm2 {

class Vm;

void InstallBuiltins(Vm& vm);

} // namespace quillon::avm2
