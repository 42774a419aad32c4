#pragma once
// Action blocks decoded once into instruction vectors: jump targets, skip counts and the
// bodies of With, Try and functions are resolved to instruction indices.

#include "player/engine/script/avm1/Object.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quillon::engine::avm1 {

// Instructions of our own beside the format's action codes.
enum SynthOp : std::uint8_t {
    PushLiteral = 0xf0, // a: literal index
    PushRegister = 0xf1,
    PushPoolItem = 0xf2,
    BadAction = 0xf3, // an action that could not be read: the block ends there
};

struct Instr {
    std::uint8_t op = 0;
    std::uint8_t flags = 0;
    std::uint32_t a = 0, b = 0, c = 0;
};

struct Block;

// DefineFunction2 preload and suppress flags.
// clang-format off
enum FunctionFlag : std::uint16_t {
    PreloadThis = 0x01, SuppressThis = 0x02, PreloadArguments = 0x04, SuppressArguments = 0x08,
    PreloadSuper = 0x10, SuppressSuper = 0x20, PreloadRoot = 0x40, PreloadParent = 0x80,
    PreloadGlobal = 0x100};
// clang-format on

struct FunctionCode {
    std::string name;
    std::vector<std::pair<std::uint8_t, std::string>> params; // register (0: none), name
    bool isFunction2 = false;
    std::uint8_t registerCount = 4;
    std::uint16_t flags = 0;
    std::shared_ptr<const Block> body;
};

struct Block {
    std::vector<Instr> code;
    std::vector<Value> literals;
    std::vector<std::shared_ptr<const FunctionCode>> functions;
    std::vector<Pool> pools;
};

// Decodes one action block (a DoAction body, a function body). Never fails: what cannot
// be read ends the block.
std::shared_ptr<const Block> DecodeActions(std::span<const std::uint8_t> bytes, int version);

} // namespace quillon::engine::avm1
