#pragma once
// One running block: a frame script or a function call, with its registers, scope
// chain, `this`, target clip and constant pool.

#include "player/engine/script/avm1/Code.h"
#include "player/engine/script/avm1/Vm.h"

namespace quillon::engine::avm1 {

struct Frame {
    const Block* block = nullptr;
    std::shared_ptr<const Block> keep;
    Pool pool;
    ScopeRef scope;
    ScopeRef baseScope; // before SetTarget changed the target
    Value thisValue;
    ClipId target = 0;
    ClipId original = 0;
    std::vector<Value> registers = std::vector<Value>(4);
    Object* activation = nullptr; // locals of a function call; none in frame scripts
    Object* callee = nullptr;
    Object* home = nullptr; // the prototype the running method was found on
    int homeDepth = 0;      // its links along `this`'s chain when called (0: not on it)
    Object* argumentsObject = nullptr;
    std::size_t stackBase = 0;
};

// What became of a run over a range of instructions.
enum class Flow { Fell, Returned, Jumped };
struct Outcome {
    Flow flow = Flow::Fell;
    std::uint32_t pc = 0;
    Value value;
};

// The loop over [pc, end) of the frame's block.
Outcome RunRange(Vm& vm, Frame& frame, std::uint32_t pc, std::uint32_t end);

// Helpers the loop uses, grouped by what they act on.
Value GetVariable(Vm& vm, Frame& frame, std::string_view name);
// The clip a block acts on: its target, or once that is removed the clip the block ran
// for, or once that is gone too its root.
ClipId LiveTarget(Vm& vm, Frame& frame);
// A function by name for CallFunction, and the `this` it runs with.
Value GetFunction(Vm& vm, Frame& frame, std::string_view name, Value& thisValue);
// A name with a path ("/a:b", "a.b") set on the object it names (only when missing if
// declareOnly); false for a plain name.
bool SetByPath(Vm& vm, Frame& frame, std::string_view name, Value value, bool declareOnly);
void SetVariable(Vm& vm, Frame& frame, std::string_view name, Value value);
void DefineLocal(Vm& vm, Frame& frame, std::string_view name, Value value);
bool DeleteVariable(Vm& vm, Frame& frame, std::string_view name);
Object* MakeFunction(Vm& vm, Frame& frame, const std::shared_ptr<const FunctionCode>& code);
Object* MakeSuper(Vm& vm, Frame& frame);
// Where `super` finds what it names: the prototype after the running method's holder.
Object* SuperBase(Object* super);
// The prototype the running method was found on, which `super` starts after.
Object* SuperHome(Object* super);
void SetTarget(Vm& vm, Frame& frame, const Value& target);
void GotoFrame2(Vm& vm, Frame& frame, const Value& where, bool play, int bias);
Value GetClipProperty(Vm& vm, ClipId clip, int index);
void SetClipProperty(Vm& vm, ClipId clip, int index, const Value& value);
Value ExecTimelineAction(Vm& vm, Frame& frame, const Instr& in);
bool ExecStringAction(Vm& vm, Frame& frame, const Instr& in);
bool ExecObjectAction(Vm& vm, Frame& frame, const Instr& in);
bool ExecArithmeticAction(Vm& vm, const Instr& in);

// Text fields: their script properties, and the fields bound to variables brought up to
// date with them.
bool GetTextFieldProperty(Vm& vm, ClipId field, std::string_view name, Value& out);
bool SetTextFieldProperty(Vm& vm, ClipId field, std::string_view name, const Value& value);
// The settings of a text field only scripts see (colours, kind, flags); false for others.
bool GetTextFieldSetting(Vm& vm, Object* field, EditField& f, std::string_view name, Value& out);
bool SetTextFieldSetting(Vm& vm, Object* field, EditField& f, std::string_view name,
                         const Value& value);
void SyncTextField(Vm& vm, ClipId field);
// TextField.prototype's properties (after the filters, whose functions it keeps), and
// whether a name is one of them: those a field holds through its prototype, not its own.
void DefineTextFieldPrototype(Vm& vm);
bool IsTextFieldPrototypeName(Vm& vm, std::string_view name);
void SyncTextFields(Vm& vm);

// Text measured in characters (the strings hold UTF-8).
std::size_t CharLength(const std::string& text);
std::string CharSubstr(const std::string& text, std::size_t start, std::size_t count);
std::u16string ToUtf16(const std::string& text);
std::string FromUtf16(const std::u16string& text);
std::string CodeToString(std::uint32_t code);

} // namespace quillon::engine::avm1

namespace quillon::engine::avm1 {
// The GetProperty index of a clip property name such as "_x" (any case), or -1.
int ClipPropertyIndex(std::string_view name);
} // namespace quillon::engine::avm1
