#pragma once
// The parts of the built-in library, installed in this order by InstallBuiltins.

namespace quillon::avm2 {

class Vm;

void InstallObjectClasses(Vm& vm);
void InstallBooleanAndNamespace(Vm& vm);
void InstallNumberClasses(Vm& vm);
void InstallMath(Vm& vm);
void InstallStringClass(Vm& vm);
void InstallArrayClass(Vm& vm);
void InstallErrorClasses(Vm& vm);
void InstallGlobalFunctions(Vm& vm);
void InstallByteArray(Vm& vm);

} // namespace quillon::avm2
