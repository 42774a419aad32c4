// flash.net.FileReference and FileReferenceList: a preview shows no file dialog, so each
// browse or download is accepted and then answered as a dialog the user cancelled, once
// the frame's scripts have run. No file is ever chosen, read or sent.

#include "player/engine/script/avm1/builtins/Helpers.h"

namespace quillon::engine::avm1 {

namespace {

Value FileCtor(Vm& vm, CallInfo& c) {
    if (Object* o = ThisObject(c)) {
        o->define("_listeners", Value(vm.newArray()), DontEnum);
    }
    return c.thisValue;
}

// browse and download: true while the dialog opens, then onCancel.
Value OpenDialog(Vm& vm, CallInfo& c) {
    if (!c.thisValue.isObject()) {
        return Value(false);
    }
    return Value(vm.queueCancelledDialog(c.thisValue));
}

// upload and cancel have no chosen file to act on.
Value NoFile(Vm&, CallInfo&) {
    return Value(false);
}

Object* FileClass(Vm& vm, const char* name, std::initializer_list<Vm::MethodEntry> table) {
    Object* proto = vm.newObject();
    vm.newClass(FlashPackage(vm, "net"), name, FileCtor, proto);
    vm.methods(proto, table);
    const Value broadcaster = vm.get(Value(vm.global), "AsBroadcaster");
    for (const char* method : {"addListener", "removeListener", "broadcastMessage"}) {
        proto->define(method, vm.get(broadcaster, method), DontEnum);
    }
    return proto;
}

} // namespace

void InstallFileBuiltins(Vm& vm) {
    FileClass(
        vm, "FileReference",
        {{"browse", OpenDialog}, {"download", OpenDialog}, {"upload", NoFile}, {"cancel", NoFile}});
    FileClass(vm, "FileReferenceList", {{"browse", OpenDialog}});
}

bool Vm::queueCancelledDialog(const Value& owner) {
    constexpr std::size_t MaxOpenDialogs = 256;
    if (dialogs_.size() >= MaxOpenDialogs) {
        return false;
    }
    dialogs_.push_back(owner);
    return true;
}

void Vm::answerDialogs() {
    std::vector<Value> dialogs;
    dialogs.swap(dialogs_);
    for (const Value& owner : dialogs) {
        const Value args[] = {Value("onCancel"), owner};
        callMethodSafely(owner, "broadcastMessage", args);
    }
}

} // namespace quillon::engine::avm1
