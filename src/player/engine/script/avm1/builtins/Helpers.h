#pragma once
// What the built-in classes share.

#include "player/engine/script/avm1/Frame.h"

#include <initializer_list>
#include <utility>

namespace quillon::engine::avm1 {

// Each part installs its classes.
void InstallObjectBuiltins(Vm&), InstallGlobalFunctions(Vm&), InstallNumberBuiltins(Vm&),
    InstallMathBuiltins(Vm&), InstallStringBuiltins(Vm&), InstallArrayBuiltins(Vm&),
    InstallDateBuiltins(Vm&), InstallClipBuiltins(Vm&), InstallMediaBuiltins(Vm&),
    InstallColorBuiltins(Vm&), InstallLoadVarsBuiltins(Vm&), InstallXmlBuiltins(Vm&),
    InstallExternalInterface(Vm&), InstallClipLoaderBuiltins(Vm&);
void InstallBitmapBuiltins(Vm&);
void InstallMenuBuiltins(Vm&);    // ContextMenu and ContextMenuItem
void InstallFileBuiltins(Vm&);    // flash.net.FileReference and FileReferenceList
void InstallDrawingBuiltins(Vm&); // after the clip builtins, whose MovieClip it extends
void InstallNetStreamBuiltins(Vm&);
void InstallTextBuiltins(Vm&);     // after the clip builtins, whose TextField it extends
void InstallSnapshotBuiltins(Vm&); // after the clip builtins (getTextSnapshot)
void InstallSoundBuiltins(Vm&), InstallPrintJobBuiltins(Vm&), InstallLocalConnectionBuiltins(Vm&);
// Classes without behaviour (Camera, SharedObject ...), last: some hang off other globals.
void InstallInertBuiltins(Vm&);
// ASnative and its table, taken from the built-ins: last of all.
void InstallNativeTable(Vm&);
void InstallSelectionBuiltins(Vm&); // Selection, Key's state, replaceSel (Keyboard.cpp)
// flash.geom and flash.filters, with the clip properties they stand for (after the clips).
void InstallGeomBuiltins(Vm&), InstallFilterBuiltins(Vm&);
// A broadcaster object (global unless a holder is given): addListener, removeListener,
// broadcastMessage, _listeners.
Object* Broadcaster(Vm& vm, const char* name, Object* holder = nullptr, std::uint16_t flags = 0);
// The package object flash.<name> (flash.external, flash.geom ...), made on first use.
Object* FlashPackage(Vm& vm, const char* name);

// `this` as an object, or nullptr.
inline Object* ThisObject(CallInfo& c) {
    return c.thisValue.isObject() ? c.thisValue.o : nullptr;
}
// A constructor of a boxed primitive: with `new` it fills `this`, called plainly it
// converts.
inline Value BoxOrConvert(CallInfo& c, const char* className, Value primitive) {
    if (!c.construct) {
        return primitive;
    }
    if (Object* o = ThisObject(c)) {
        o->kind = Kind::Boxed;
        o->className = className;
        o->primitive = std::move(primitive);
    }
    return c.thisValue;
}
// Fixed numbers on a class (Math.PI, Array.NUMERIC and the like).
inline void DefineConstants(Object* holder,
                            std::initializer_list<std::pair<const char*, double>> table) {
    for (const auto& [name, number] : table) {
        holder->define(name, Value(number), DontEnum | DontDelete | ReadOnly);
    }
}
// escape and unescape: %XX for every byte but letters and digits; back again,
// with "+" read as a blank.
std::string EscapeText(const std::string& text);
std::string UnescapeText(const std::string& text);
// "a=1&b=two" as properties of an object or variables of a clip.
void DecodeVariables(Vm& vm, const Value& into, const std::string& text);
// LoadVars and XML: load(url) into an object (false when it cannot be queued), and the
// methods both share (send refused, sendAndLoad reading the local file into its target,
// the byte counts) with contentType.
bool QueueDataLoad(Vm& vm, const Value& into, const std::string& url);
void InstallDataLoadMethods(Vm& vm, Object* proto);

// A property of proto read (and written, with a setter) by native functions.
void Accessor(Vm& vm, Object* proto, const char* name, NativeFn getter, NativeFn setter, int magic);
// A whole number from an argument, defaulting when it is missing or NaN.
int IntArg(Vm& vm, CallInfo& c, std::size_t i, int fallback);

} // namespace quillon::engine::avm1
