#pragma once
// The machine: its heap, interned names, loaded ABC units, the built-in classes and
// the safety limits. Property access and calls live in Properties.cpp and Calls.cpp,
// the instruction loop in Interpreter*.cpp, the built-ins in Builtin*.cpp.

#include "player/engine/script/avm2/AbcError.h"
#include "player/engine/script/avm2/AbcUnit.h"
#include "player/engine/script/avm2/Names.h"
#include "player/engine/script/avm2/Object.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillon::avm2 {

struct Frame;

struct Limits {
    std::uint64_t steps = 200'000'000; // per run, about a second of work
    int maxDepth = 256;                // nested calls
    std::size_t maxObjects = 1'000'000;
    std::size_t maxStringLength = 16u << 20;
    std::size_t maxArrayLength = 4u << 20;
    std::size_t maxAtoms = 2'000'000;
    std::size_t maxFrameValues = 1u << 20; // locals, stack and scopes of one call
};

using TraceSink = std::function<void(const std::string& line)>;

// A script exception in flight: the value the script threw.
struct ScriptException {
    Value value;
};

enum class ErrorKind : std::uint8_t {
    Error,
    TypeError,
    RangeError,
    ReferenceError,
    ArgumentError,
    VerifyError,
    EvalError,
    SecurityError,
    SyntaxError,
    URIError,
    DefinitionError,
    IOError,  // flash.errors
    EOFError, // flash.errors, an IOError
    Count
};

// The classes the machine itself refers to.
struct CoreClasses {
    ClassObject *object = nullptr, *classClass = nullptr, *function = nullptr;
    ClassObject *array = nullptr, *string = nullptr, *number = nullptr, *intClass = nullptr;
    ClassObject *uintClass = nullptr, *boolean = nullptr, *ns = nullptr, *byteArray = nullptr;
    ClassObject* errors[static_cast<int>(ErrorKind::Count)] = {};
    ClassObject* regExp = nullptr;
    ClassObject* global = nullptr; // the unnamed class of scripts' global objects
};

// What a program embedding the machine hangs on it: the movie's display side.
class Embedder {
public:
    virtual ~Embedder() = default;
};

class Vm {
public:
    explicit Vm(TraceSink trace = {}, Limits limits = {});
    ~Vm();
    Vm(const Vm&) = delete;
    Vm& operator=(const Vm&) = delete;

    // Reads an ABC file (AbcError when damaged) and runs its entry script, the last
    // one. An uncaught script exception becomes an AbcUncaught error; a limit
    // reached, AbcLimitError.
    void runAbc(std::span<const std::uint8_t> bytes);
    AbcUnit& load(std::span<const std::uint8_t> bytes);
    void runScript(AbcUnit& unit, std::size_t script);
    // Starts a new step budget, as each frame of a movie does.
    void resetBudget() { stepsLeft_ = limits_.steps; }

    const Limits& limits() const { return limits_; }
    std::int64_t& stepsLeft() { return stepsLeft_; }
    int& depth() { return depth_; }
    void trace(const std::string& line) const;

    // The heap. Objects live until the machine goes.
    template <class T> T* make() {
        checkHeap();
        auto owned = std::make_unique<T>();
        T* raw = owned.get();
        heap_.push_back(std::move(owned));
        return raw;
    }
    Object* newObject();
    ArrayObject* newArray(std::vector<Value> items = {});
    FunctionObject* newFunction(MethodRef method, std::shared_ptr<const ScopeChain> scope);
    Value newError(ErrorKind kind, int id, const std::string& message);
    [[noreturn]] void throwError(ErrorKind kind, int id, const std::string& message);
    [[noreturn]] void limitReached(const std::string& what);

    std::uint32_t intern(std::string_view text);
    std::uint32_t atomOf(const Value& string); // caches the atom in the string
    const std::string& atomText(std::uint32_t atom) const { return atomTexts_[atom]; }
    std::uint32_t internNs(NsKind kind, std::string_view uri);
    std::uint32_t newPrivateNs();
    const std::string& nsUri(std::uint32_t ns) const { return nsUris_[ns]; }
    std::uint32_t as3Ns() const { return as3Ns_; }

    CoreClasses core;
    Object* builtins = nullptr; // the global object of the built-in definitions
    Traits builtinTraits;
    ByteArrayObject* domainMemory = nullptr;
    std::vector<std::unique_ptr<AbcUnit>> units;
    std::mt19937_64 random{0};       // Math.random: seeded, so runs repeat
    double dateMs = 1262304000000.0; // what new Date() reads: the run's clock, in ms UTC
    Embedder* embedder = nullptr;
    std::unordered_map<const Object*, ClassObject*> vectorTypes; // Vector.<T> by T, * as null
    Object* xmlState = nullptr;                                  // the XML class's settings
    const Frame* runningFrame = nullptr; // the innermost script frame, for stack traces

private:
    void checkHeap();

    TraceSink trace_;
    Limits limits_;
    std::int64_t stepsLeft_ = 0;
    int depth_ = 0;
    std::vector<std::unique_ptr<Object>> heap_;
    std::unordered_map<std::string, std::uint32_t> atoms_;
    std::vector<std::string> atomTexts_;
    std::unordered_map<std::string, std::uint32_t> namespaces_;
    std::vector<std::string> nsUris_;
    std::uint32_t as3Ns_ = 0;
};

// An uncaught script exception; the message is what the player prints for it.
class AbcUncaught : public QuillonError {
public:
    using QuillonError::QuillonError;
};

} // namespace quillon::avm2
