#pragma once
// Writes action blocks for test movies: pushes, named actions, labels with jumps,
// constant pools and functions.
//
//   ActionAssembler a;
//   a.push({"x", 1.0}).op(Action::SetVariable)
//    .label("loop").push({"x"}).op(Action::GetVariable).op(Action::Trace)
//    .push({"x", "x"}).op(Action::GetVariable).op(Action::Increment).op(Action::SetVariable)
//    .push({"x"}).op(Action::GetVariable).push({4.0}).op(Action::Less2).ifTrue("loop");
//   movie.doAction(a.block());

#include "support/MovieWriter.h"

#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quillon::testing {

namespace Action {
enum : std::uint8_t {
    Add = 0x0a,
    Subtract = 0x0b,
    Multiply = 0x0c,
    Divide = 0x0d,
    Equals = 0x0e,
    Less = 0x0f,
    And = 0x10,
    Or = 0x11,
    Not = 0x12,
    Pop = 0x17,
    GetVariable = 0x1c,
    SetVariable = 0x1d,
    StringAdd = 0x21,
    GetProperty = 0x22,
    SetProperty = 0x23,
    CloneSprite = 0x24,
    RemoveSprite = 0x25,
    Trace = 0x26,
    Throw = 0x2a,
    DefineLocal = 0x3c,
    CallFunction = 0x3d,
    Return = 0x3e,
    Modulo = 0x3f,
    NewObject = 0x40,
    InitArray = 0x42,
    InitObject = 0x43,
    TypeOf = 0x44,
    Add2 = 0x47,
    Less2 = 0x48,
    Equals2 = 0x49,
    PushDuplicate = 0x4c,
    GetMember = 0x4e,
    SetMember = 0x4f,
    Increment = 0x50,
    Decrement = 0x51,
    CallMethod = 0x52,
    NewMethod = 0x53,
    InstanceOf = 0x54,
    Enumerate2 = 0x55,
    StrictEquals = 0x66,
    Greater = 0x67,
    Extends = 0x69,
    Stop = 0x07,
    Play = 0x06,
};
}

struct Register {
    std::uint8_t index;
};
struct Undefined {};
struct Null {};
using PushValue =
    std::variant<std::string, const char*, double, int, bool, Null, Undefined, Register>;

struct FunctionSpec {
    FunctionSpec(std::string n = {}, std::vector<std::pair<std::uint8_t, std::string>> p = {},
                 std::uint8_t regs = 0, std::uint16_t f = 0, bool two = false)
        : name(std::move(n)), params(std::move(p)), registerCount(regs), flags(f), v2(two) {}
    std::string name;
    std::vector<std::pair<std::uint8_t, std::string>> params; // register (0: by name), name
    std::uint8_t registerCount = 0;
    std::uint16_t flags = 0;
    bool v2 = false; // DefineFunction2
};

class ActionAssembler {
public:
    ActionAssembler& op(std::uint8_t code);
    ActionAssembler& push(std::initializer_list<PushValue> values);
    ActionAssembler& constants(const std::vector<std::string>& pool);
    ActionAssembler& pushConstant(std::uint16_t index);
    ActionAssembler& storeRegister(std::uint8_t index);
    ActionAssembler& label(const std::string& name);
    ActionAssembler& jump(const std::string& label);
    ActionAssembler& ifTrue(const std::string& label);
    ActionAssembler& function(const FunctionSpec& fn, const ActionAssembler& body);
    // with (popped object) { body }
    ActionAssembler& with(const ActionAssembler& body);
    // GotoFrame2 to the popped frame; a scene bias adds to the frame it names.
    ActionAssembler& gotoFrame2(bool play, std::optional<std::uint16_t> sceneBias = {});
    // GetURL2 with its flags (0x40 loads a movie, 0x80 variables): url and target popped.
    ActionAssembler& getUrl2(std::uint8_t flags);
    // trace(value) and name = value, the two things tests write most.
    ActionAssembler& trace(PushValue value);
    ActionAssembler& set(const std::string& name, PushValue value);
    ActionAssembler& traceVariable(const std::string& name);

    // The code without the end marker (a function body), and a whole DoAction body.
    Bytes code() const;
    Bytes block() const;

private:
    void record(std::uint8_t code, const Bytes& body);
    Bytes out_;
    std::map<std::string, std::size_t> labels_;
    std::vector<std::pair<std::size_t, std::string>> jumps_; // offset of the s16, label
};

} // namespace quillon::testing
