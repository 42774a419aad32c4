// XML: a document node that reads markup, makes nodes and loads files beside the movie.

#include "player/engine/script/avm1/builtins/XmlTree.h"

namespace quillon::engine::avm1 {

void FillIdMap(Vm& vm, Object* document);
void InstallXmlNodeBuiltins(Vm& vm);

namespace {

// Replaces the document's children with what the markup holds.
void ParseInto(Vm& vm, const Value& document, const Value& text) {
    Object* o = document.o;
    while (!o->xml->children.empty()) {
        DetachXml(vm, o->xml->children.back());
    }
    const bool ignoreWhite = vm.toBool(vm.get(document, "ignoreWhite"));
    const int status = ParseXml(vm, o, vm.toString(text), ignoreWhite);
    vm.set(document, "status", Value(status));
    if (vm.version() >= 8) {
        FillIdMap(vm, o);
    }
}

Value XmlCtor(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o || !c.construct) {
        return c.thisValue;
    }
    MakeXmlNode(vm, o, XmlElement, Value::null());
    o->className = "XML";
    if (vm.version() >= 8) {
        o->define("idMap", Value(vm.newObject()), DontEnum);
    }
    vm.set(c.thisValue, "status", Value(0));
    if (!c.arg(0).isNullish()) {
        ParseInto(vm, c.thisValue, c.arg(0));
    }
    return c.thisValue;
}

// createElement (magic XmlElement) and createTextNode (XmlText).
Value CreateNode(Vm& vm, CallInfo& c) {
    const Value text = c.arg(0).isUndefined() ? Value::null() : Value(vm.toStr(c.arg(0)));
    return Value(NewXmlNode(vm, c.callee->magic, text));
}

Value ParseMarkup(Vm& vm, CallInfo& c) {
    if (XmlOf(c.thisValue)) {
        ParseInto(vm, c.thisValue, c.arg(0));
    }
    return Value();
}

Value Load(Vm& vm, CallInfo& c) {
    if (!XmlOf(c.thisValue) || c.args.empty()) {
        return Value(false);
    }
    return Value(QueueDataLoad(vm, c.thisValue, vm.toString(c.arg(0))));
}

// The default onData: reads what came and tells onLoad whether anything did.
Value OnData(Vm& vm, CallInfo& c) {
    const bool loaded = !c.arg(0).isUndefined() && XmlOf(c.thisValue);
    if (loaded) {
        ParseInto(vm, c.thisValue, c.arg(0));
        vm.set(c.thisValue, "loaded", Value(true));
    }
    const Value success(loaded);
    vm.callMethod(c.thisValue, "onLoad", std::span<const Value>(&success, 1));
    return Value();
}

} // namespace

void InstallXmlBuiltins(Vm& vm) {
    InstallXmlNodeBuiltins(vm);
    Object* proto = vm.defineClass("XML", XmlCtor,
                                   {{"createElement", CreateNode, XmlElement},
                                    {"createTextNode", CreateNode, XmlText},
                                    {"parseXML", ParseMarkup},
                                    {"load", Load},
                                    {"onData", OnData}});
    proto->proto = vm.xmlNodeProto;
    InstallDataLoadMethods(vm, proto);
    proto->define("ignoreWhite", Value(false), DontEnum);
}

} // namespace quillon::engine::avm1
