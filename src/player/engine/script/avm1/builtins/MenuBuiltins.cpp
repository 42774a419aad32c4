// ContextMenu and ContextMenuItem: the preview shows no menu of the movie's, but scripts
// build, copy and read these objects, so their fields are kept as the player keeps them.

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <array>

namespace quillon::engine::avm1 {

namespace {

// The built-in entries as enumeration lists them, the newest first.
constexpr std::array<const char*, 8> BuiltInItems = {"save", "zoom",   "quality",      "play",
                                                     "loop", "rewind", "forward_back", "print"};

// An argument if given, else the default.
Value ArgOr(CallInfo& c, std::size_t i, Value fallback) {
    return i < c.args.size() ? c.arg(i) : fallback;
}

Value MenuCtor(Vm& vm, CallInfo& c) {
    Object* menu = ThisObject(c);
    if (!menu) {
        return Value();
    }
    Object* items = vm.newObject();
    for (auto it = BuiltInItems.rbegin(); it != BuiltInItems.rend(); ++it) {
        items->put(*it, Value(true));
    }
    menu->put("onSelect", c.arg(0));
    menu->put("builtInItems", Value(items));
    menu->put("customItems", Value(vm.newArray()));
    return c.thisValue;
}

// A new menu with this one's handler, the same built-in settings and a copy of each
// custom item.
Value MenuCopy(Vm& vm, CallInfo& c) {
    if (!c.thisValue.isObject()) {
        return Value();
    }
    const Value ctor = vm.get(Value(vm.global), "ContextMenu");
    const Value args[] = {vm.get(c.thisValue, "onSelect")};
    const Value copy = vm.construct(ctor, args);
    if (!copy.isObject()) {
        return copy;
    }
    const Value from = vm.get(c.thisValue, "builtInItems");
    const Value to = vm.get(copy, "builtInItems");
    if (from.isObject() && to.isObject()) {
        for (const char* name : BuiltInItems) {
            vm.set(to, name, vm.get(from, name));
        }
    }
    const Value custom = vm.get(c.thisValue, "customItems");
    const Value copied = vm.get(copy, "customItems");
    if (custom.isObject() && copied.isObject()) {
        const double length = vm.toNumber(vm.get(custom, "length"));
        for (int i = 0; i < length && i < 65536; ++i) {
            const Value item = vm.get(custom, std::to_string(i));
            const Value itemCopy = item.isObject() ? vm.callMethod(item, "copy", {}) : item;
            const Value pushed[] = {itemCopy};
            vm.callMethod(copied, "push", pushed);
        }
    }
    return copy;
}

Value HideBuiltInItems(Vm& vm, CallInfo& c) {
    const Value items = vm.get(c.thisValue, "builtInItems");
    if (items.isObject()) {
        for (const char* name : BuiltInItems) {
            vm.set(items, name, Value(false));
        }
    }
    return Value();
}

// ContextMenuItem(caption, onSelect, separatorBefore = false, enabled = true,
// visible = true).
Value ItemCtor(Vm&, CallInfo& c) {
    if (Object* item = ThisObject(c)) {
        item->put("caption", c.arg(0));
        item->put("onSelect", c.arg(1));
        item->put("separatorBefore", ArgOr(c, 2, Value(false)));
        item->put("enabled", ArgOr(c, 3, Value(true)));
        item->put("visible", ArgOr(c, 4, Value(true)));
    }
    return c.thisValue;
}

Value ItemCopy(Vm& vm, CallInfo& c) {
    if (!c.thisValue.isObject()) {
        return Value();
    }
    const Value args[] = {vm.get(c.thisValue, "caption"), vm.get(c.thisValue, "onSelect"),
                          vm.get(c.thisValue, "separatorBefore"), vm.get(c.thisValue, "enabled"),
                          vm.get(c.thisValue, "visible")};
    return vm.construct(vm.get(Value(vm.global), "ContextMenuItem"), args);
}

} // namespace

void InstallMenuBuiltins(Vm& vm) {
    vm.defineClass("ContextMenu", MenuCtor,
                   {{"copy", MenuCopy}, {"hideBuiltInItems", HideBuiltInItems}});
    vm.defineClass("ContextMenuItem", ItemCtor, {{"copy", ItemCopy}});
    // the classes came with version 6
    for (const char* name : {"ContextMenu", "ContextMenuItem"}) {
        vm.global->findAny(name)->flags |= FromVersion6;
    }
}

} // namespace quillon::engine::avm1
