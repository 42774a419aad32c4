#pragma once
// The built-in classes and functions every script sees.

namespace quillon::avm2 {

class Vm;

void InstallBuiltins(Vm& vm);
// Takes away what movies older than the definitions' versions do not see: JSON came
// with version 13, Number's copies of Math's statics later than 15.
void HideNewerDefinitions(Vm& vm, int swfVersion);

} // namespace quillon::avm2
