#include "player/engine/script/avm1/NetStreams.h"

namespace quillon::engine::avm1 {

namespace {

// A value of a stream's script data (onMetaData's object) as the script sees it.
Value ScriptValue(Vm& vm, const AmfValue& value, int depth) {
    switch (depth > MaxAmfNesting ? AmfValue::Type::Undefined : value.type) {
    case AmfValue::Type::Null:
        return Value::null();
    case AmfValue::Type::Number:
        return Value(value.number);
    case AmfValue::Type::Boolean:
        return Value(value.boolean);
    case AmfValue::Type::String:
        return vm.makeString(value.text);
    case AmfValue::Type::Date: {
        const Value ms(value.number);
        return vm.construct(vm.get(Value(vm.global), "Date"), std::span(&ms, 1));
    }
    case AmfValue::Type::StrictArray: {
        std::vector<Value> items;
        for (const AmfValue& item : value.items) {
            items.push_back(ScriptValue(vm, item, depth + 1));
        }
        return Value(vm.newArray(std::move(items)));
    }
    case AmfValue::Type::Object:
    case AmfValue::Type::EcmaArray: {
        Object* o = vm.newObject();
        for (const auto& [name, member] : value.members) {
            o->put(name, ScriptValue(vm, member, depth + 1));
        }
        return Value(o);
    }
    case AmfValue::Type::Undefined:
        break;
    }
    return Value();
}

// ActionScript 1 and 2 hear no seek beyond Seek.Notify: the other codes came later.
void Deliver(Vm& vm, Object* stream, const StreamEvent& event) {
    if (event.kind == StreamEvent::Kind::Data) {
        const Value arg = ScriptValue(vm, event.data.value, 0);
        vm.callMethodSafely(Value(stream), event.data.name, std::span(&arg, 1));
        return;
    }
    Object* info = vm.newObject();
    info->put("code", vm.makeString(event.code));
    if (!event.description.empty()) {
        info->put("description", vm.makeString(event.description));
    }
    info->put("level", vm.makeString(event.level));
    const Value arg(info);
    vm.callMethodSafely(Value(stream), "onStatus", std::span(&arg, 1));
}

} // namespace

void AdvanceNetStreams(Vm& vm, double frameMs) {
    if (!vm.netStreams) {
        return;
    }
    const std::size_t count = vm.netStreams->streams.size();
    for (std::size_t i = 0; i < count && i < vm.netStreams->streams.size(); ++i) {
        Object* stream = vm.netStreams->streams[i].first;
        FlvPlayback& playback = *vm.netStreams->streams[i].second;
        std::vector<StreamEvent> events;
        playback.advance(frameMs, events);
        for (const std::string& warning : playback.takeWarnings()) {
            vm.warn("NetStream: " + warning);
        }
        for (const StreamEvent& event : events) {
            vm.runGuarded([&] { Deliver(vm, stream, event); });
        }
    }
}

void MarkNetStreams(Vm& vm, const std::function<void(Object*)>& push) {
    if (vm.netStreams) {
        for (const auto& entry : vm.netStreams->streams) {
            push(entry.first);
        }
    }
}

} // namespace quillon::engine::avm1
