#include "player/engine/script/avm2/Calls.h"

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Interpreter.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"

namespace quillon::avm2 {
DepthGuard::DepthGuard(Vm& vm) : depth_(vm.depth()) {
    if (++depth_ > vm.limits().maxDepth) {
        --depth_;
        vm.throwError(ErrorKind::Error, 1023, "Stack overflow occurred.");
    }
}

Value InvokeMethod(Vm& vm, const MethodRef& method, const Value& thisv, std::span<const Value> args,
                   const std::shared_ptr<const ScopeChain>& scope) {
    DepthGuard guard(vm);
    if (method.native) {
        return method.native(vm, thisv, args);
    }
    const MethodInfo& info = *method.abc;
    return RunMethod(vm, info, thisv, args, scope ? scope : info.scope);
}

Value CallValue(Vm& vm, const Value& fn, const Value& thisv, std::span<const Value> args) {
    if (fn.isObject()) {
        Object* o = fn.asObject();
        if (o->kind == ObjectKind::Function) {
            auto* f = static_cast<FunctionObject*>(o);
            return InvokeMethod(vm, f->method, f->bound ? f->boundThis : thisv, args, f->scope);
        }
        if (o->kind == ObjectKind::Class) {
            auto* cls = static_cast<ClassObject*>(o);
            if (cls->nativeCall) {
                return cls->nativeCall(vm, fn, args);
            }
            if (args.size() != 1) {
                vm.throwError(ErrorKind::ArgumentError, 1112,
                              "Argument count mismatch on class coercion.  Expected 1, got " +
                                  std::to_string(args.size()) + ".");
            }
            return CoerceToClass(vm, args[0], cls);
        }
    }
    vm.throwError(ErrorKind::TypeError, 1006, "value is not a function.");
}

void InitSlots(Object* obj, const Traits& traits) {
    obj->traits = &traits;
    obj->slots.clear();
    obj->slots.reserve(traits.slots.size());
    for (const SlotDef& def : traits.slots) {
        obj->slots.push_back(def.initial);
    }
}

Object* AllocateInstance(Vm& vm, ClassObject* cls) {
    NativeAlloc alloc = nullptr;
    for (const ClassObject* c = cls; c && !alloc; c = c->base) {
        alloc = c->alloc;
    }
    Object* obj = alloc ? alloc(vm) : vm.make<Object>();
    obj->cls = cls;
    obj->proto = cls->prototype;
    obj->dynamic = !cls->sealed;
    InitSlots(obj, *cls->instanceTraits);
    return obj;
}

void RunInstanceInit(Vm& vm, ClassObject* cls, const Value& self, std::span<const Value> args) {
    if (cls->init) {
        InvokeMethod(vm, cls->init, self, args);
    } else if (cls->base) {
        RunInstanceInit(vm, cls->base, self, args);
    }
}

ClassObject* BuiltinClass(Vm& vm, const char* package, const char* name) {
    const Value cls =
        GetProperty(vm, Value::object(vm.builtins),
                    PropName{vm.intern(name), nullptr, vm.internNs(NsKind::Package, package)});
    return static_cast<ClassObject*>(cls.asObject());
}

Value ConstructClass(Vm& vm, ClassObject* cls, std::span<const Value> args) {
    if (cls->nativeConstruct) {
        return cls->nativeConstruct(vm, Value::object(cls), args);
    }
    if (cls->isInterface) {
        vm.throwError(ErrorKind::TypeError, 1115, cls->name + " is not a constructor.");
    }
    const Value self = Value::object(AllocateInstance(vm, cls));
    RunInstanceInit(vm, cls, self, args);
    return self;
}

Value Construct(Vm& vm, const Value& ctor, std::span<const Value> args) {
    if (ctor.isObject() && ctor.asObject()->kind == ObjectKind::Class) {
        return ConstructClass(vm, static_cast<ClassObject*>(ctor.asObject()), args);
    }
    if (ctor.isObject() && ctor.asObject()->kind == ObjectKind::Function) {
        if (const auto* fn = static_cast<FunctionObject*>(ctor.asObject()); fn->bound) {
            // A method taken from its object is no constructor; only closures are.
            vm.throwError(ErrorKind::TypeError, 1064,
                          "Cannot call method " + (fn->method.abc ? fn->method.abc->name : "") +
                              " as constructor.");
        }
        Object* obj = vm.newObject();
        const Value proto = GetPublic(vm, ctor, "prototype");
        if (proto.isObject()) {
            obj->proto = proto.asObject();
        }
        const Value self = Value::object(obj);
        const Value result = CallValue(vm, ctor, self, args);
        return result.isObject() ? result : self;
    }
    vm.throwError(ErrorKind::TypeError, 1007, "Instantiation attempted on a non-constructor.");
}

} // namespace quillon::avm2
