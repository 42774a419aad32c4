#pragma once
// The parts of the built-in library, installed in this order by InstallBuiltins.

namespace quillon::avm2 {

class Vm;

// One declaration for the lot: each part installs its classes.
void InstallObjectClasses(Vm&), InstallBooleanClass(Vm&), InstallNamespaceClass(Vm&),
    InstallNumberClasses(Vm&), InstallMath(Vm&), InstallStringClass(Vm&), InstallArrayClass(Vm&),
    InstallErrorClasses(Vm&), InstallGlobalFunctions(Vm&), InstallByteArray(Vm&),
    InstallDictionary(Vm&);
void InstallVectorClasses(Vm&);
void InstallXmlClasses(Vm&), InstallQName(Vm&), InstallProxy(Vm&), InstallXmlDocumentClasses(Vm&);
void InstallDateClass(Vm&), InstallRegExpClass(Vm&), InstallJsonClass(Vm&);
void HideNumberMathStatics(Vm&), InstallUriFunctions(Vm&);

} // namespace quillon::avm2
