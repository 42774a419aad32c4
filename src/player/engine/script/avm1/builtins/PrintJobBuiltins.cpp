// PrintJob: there is no printer here, so a job never starts and its page sizes stay 0.

#include "player/engine/script/avm1/builtins/Helpers.h"

namespace quillon::engine::avm1 {

namespace {

Value PrintJobCtor(Vm&, CallInfo& c) {
    return c.thisValue;
}

Value Refused(Vm&, CallInfo&) {
    return Value(false);
}

Value Nothing(Vm&, CallInfo&) {
    return Value();
}

Value NoSize(Vm&, CallInfo&) {
    return Value(0.0);
}

} // namespace

void InstallPrintJobBuiltins(Vm& vm) {
    Object* proto = vm.defineClass("PrintJob", PrintJobCtor,
                                   {{"start", Refused}, {"addPage", Refused}, {"send", Nothing}});
    // read-only sizes, listed by enumeration in this order (the newest first)
    for (const char* name :
         {"paperHeight", "paperWidth", "pageHeight", "pageWidth", "orientation"}) {
        Accessor(vm, proto, name, NoSize, nullptr, 0);
        proto->findAny(name)->flags = 0;
    }
    // the class is there for every movie; its methods only from version 7
    for (const char* name : {"start", "addPage", "send"}) {
        proto->findAny(name)->flags |= FromVersion7;
    }
}

} // namespace quillon::engine::avm1
