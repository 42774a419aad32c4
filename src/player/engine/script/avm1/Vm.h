#pragma once
// The interpreter: runs decoded action blocks against the objects of one movie and
// reaches the display list only through DisplayHost.

#include "player/engine/display/DisplayHost.h"
#include "player/engine/script/avm1/Code.h"
#include "player/engine/script/avm1/Object.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quillon::engine::avm1 {

// A value thrown by a script (Throw), caught by Try.
struct ScriptThrow {
    Value value;
};
// The script is stopped (step budget, recursion); scripts cannot catch this.
struct ScriptAbort {
    std::string reason;
};

struct VmLimits {
    std::int64_t stepsPerFrame = 100'000'000; // about a second here
    int maxCallDepth = 256;
    std::size_t maxStringLength = 16u << 20;
    std::size_t maxArrayLength = 4u << 20;
    std::size_t maxObjects = 4'000'000;
};

struct Frame;      // one running block: a frame script or a function call
struct NetStreams; // the streams scripts play (NetStreams.h)

class Vm {
public:
    Vm(DisplayHost& host, int version, VmLimits limits = {});
    ~Vm();
    Vm(const Vm&) = delete;
    Vm& operator=(const Vm&) = delete;

    std::function<void(const std::string&)> onTrace;
    std::function<void(const std::string&)> onWarning;
    // A getURL, fscommand or load request; the caller decides what to do with it.
    std::function<void(const std::string& url, const std::string& target, ClipId from)> onGetUrl;

    // Reads a file the movie may load (beside it or below its folder); unset, nothing loads.
    std::function<std::optional<std::string>(const std::string& url)> readFile;
    // loadVariables, LoadVars.load and loadMovie: they finish before the next frame, as
    // the player finishes them a little after the call.
    enum class Load { Variables, LoadVars, Movie, Clip };
    // into: the object or clip to load into, or a level's number (Movie, Variables and
    // Clip); loader: the MovieClipLoader told of a Clip load.
    bool queueLoad(Value into, std::string url, Load kind, Value loader = Value());
    void finishLoads();
    // A file dialog the object opened; with no dialog to show, it is answered as cancelled
    // (onCancel) once the frame's scripts have run. False when too many are open.
    bool queueCancelledDialog(const Value& owner);
    void answerDialogs();
    // onLoadInit of the movies loaded this frame, once their first frame has run.
    void finishInits();

    int version() const { return version_; }
    bool caseSensitive() const { return version_ >= 7; }
    DisplayHost& host() { return host_; }
    const VmLimits& limits() const { return limits_; }

    // Running code. Errors thrown by scripts end the block with a warning.
    void runBlock(const std::shared_ptr<const Block>& block, ClipId target);
    void runBytes(std::span<const std::uint8_t> code, ClipId target);
    // Calls a function value; returns undefined when it is not callable.
    Value call(const Value& fn, const Value& thisValue, std::span<const Value> args,
               Object* home = nullptr);
    Value construct(const Value& ctor, std::span<const Value> args);
    // Calls obj[name](args) when it is a function; the outcome of a thrown error is a warning.
    Value callMethod(const Value& obj, std::string_view name, std::span<const Value> args);
    void callMethodSafely(const Value& obj, std::string_view name, std::span<const Value> args);
    // A new step budget (each frame starts one).
    void resetBudget() { steps_ = limits_.stepsPerFrame; }
    void resetBudgetIfSpent() {
        if (steps_ <= 0) {
            resetBudget();
        }
    }

    // Objects.
    Object* newObject(Object* proto);
    Object* newObject() { return newObject(objectProto); }
    Object* newArray(std::vector<Value> elements = {});
    Object* newNative(NativeFn fn, int magic = 0);
    Object* newClass(Object* holder, const char* name, NativeFn ctor, Object* proto);
    void method(Object* holder, const char* name, NativeFn fn, int magic = 0);
    // Many methods at once, from a table.
    struct MethodEntry {
        const char* name;
        NativeFn fn;
        int magic = 0;
    };
    void methods(Object* holder, std::initializer_list<MethodEntry> table);
    // A global class on a fresh prototype holding the methods of table, with statics on
    // the class itself; the prototype.
    Object* defineClass(const char* name, NativeFn ctor, std::initializer_list<MethodEntry> table,
                        std::initializer_list<MethodEntry> statics = {});
    Object* clipObject(ClipId clip);
    void forgetClip(ClipId clip);
    // The object a clip reference acts on: itself while its clip is on the display list,
    // once removed the object of the clip now at its path, or none. Other objects are
    // themselves.
    Object* liveObject(Object* o);
    // The same for a value: a removed clip's reference that finds no clip is undefined.
    Value live(const Value& v);
    // A clip of a symbol with a registered class takes the class's prototype, once; the
    // class to construct it with, or none when there is none or it was given before.
    Object* giveClass(ClipId clip);
    // Runs that class on the clip as its constructor.
    void constructClip(ClipId clip, Object* cls);
    void collectGarbage();
    std::size_t objectCount() const { return objects_.size(); }

    // Conversions.
    double toNumber(const Value& v);
    // v cut to a 32-bit whole number as native settings keep one (a sound's volume and
    // pan, a button's tabIndex): not a number or out of range reads as the smallest.
    double toWholeOrSmallest(const Value& v);
    Str toStr(const Value& v);
    std::string toString(const Value& v) { return *toStr(v); }
    bool toBool(const Value& v);
    Value toPrimitive(const Value& v, bool preferString = false);
    Object* toObject(const Value& v);
    // The prototype a primitive reads its members from while _global's String, Number or
    // Boolean is the built-in class, untouched; null when a script replaced it, and
    // toObject then has to construct through what is there now.
    Object* builtinBoxProto(const Value& v);
    std::string typeOf(const Value& v);
    bool looseEquals(const Value& a, const Value& b);
    bool strictEquals(const Value& a, const Value& b);
    // Less2 stops at a left operand that stays an object; Greater compares b < a without that.
    Value lessThan(const Value& a, const Value& b, bool leftObjectEnds = true);
    Value add(const Value& a, const Value& b);
    bool instanceOf(const Value& v, const Value& ctor);

    // Properties with prototype chains, getters and setters, clips and arrays.
    Value get(const Value& obj, std::string_view name);
    Value getOf(Object* obj, std::string_view name, const Value& thisValue);
    void set(const Value& obj, std::string_view name, Value value);
    bool has(Object* obj, std::string_view name);
    bool hasOwn(Object* obj, std::string_view name);
    bool removeProperty(Object* obj, std::string_view name);
    std::vector<std::string> enumerate(Object* obj);
    std::size_t arrayLength(Object* obj);
    // Where a property is found along the chain (for super).
    Object* holderOf(Object* obj, std::string_view name);

    // Target paths and variables, relative to a clip.
    Value resolvePath(std::string_view path, ClipId base);
    ClipId clipOf(const Value& v);
    std::string targetPath(ClipId clip, bool slashes);
    // What _root means in a clip's scripts, and the clip of _levelN (undefined when empty).
    ClipId rootOf(ClipId clip);
    Value levelValue(int number);

    // Strings limited by the size cap.
    Value makeString(std::string text);

    // The virtual clock and the seeded random source.
    double timerMs = 0;
    double dateMs = 1262304000000.0; // start of 2010 UTC
    std::mt19937 random{0};
    void advanceClock(double ms);
    void warn(const std::string& text);
    // A warning given at most once a run, for what a movie may call every frame.
    void warnOnce(const std::string& text);
    // One line of the log from trace: the value as text, undefined in every version.
    void trace(const Value& v);
    // System.security.sandboxType of a movie read from a local file.
    void setLocalSandbox(bool useNetwork);
    // Stage.width and Stage.height: the movie's size in pixels.
    void setStageSize(double width, double height);
    // Runs script code to its end: what it throws and nobody catches is reported as the
    // player reports it (a log line), and a stopped script as a warning.
    template <typename Run> void runGuarded(Run&& run) {
        try {
            run();
        } catch (const ScriptThrow& thrown) {
            reportUncaught(thrown.value);
        } catch (const ScriptAbort& abort) {
            warn(abort.reason);
        }
    }
    void reportUncaught(const Value& thrown);

    // Intervals and timeouts by the clock.
    int addInterval(Value fn, Value thisValue, std::string method, std::vector<Value> args,
                    double periodMs, bool once);
    void clearInterval(int id);

    // Well-known objects.
    Object *global = nullptr, *objectProto = nullptr, *functionProto = nullptr;
    Object *arrayProto = nullptr, *stringProto = nullptr, *numberProto = nullptr;
    Object *booleanProto = nullptr, *dateProto = nullptr, *errorProto = nullptr;
    Object *movieClipProto = nullptr, *textFieldProto = nullptr, *buttonProto = nullptr;
    Object* soundProto = nullptr;
    Object* videoProto = nullptr;
    std::shared_ptr<NetStreams> netStreams; // made by the first NetStream
    Object* xmlNodeProto = nullptr;
    // Object.registerClass: lower-cased symbol name -> class.
    std::unordered_map<std::string, Object*> registeredClasses;
    // ASnative's table: (category << 32 | index) -> the native function and its magic.
    struct NativeEntry {
        NativeFn fn;
        int magic;
    };
    std::unordered_map<std::uint64_t, NativeEntry> nativeTable;

    // Interpreter internals shared by the loop's helpers.
    std::vector<Value> stack;
    void push(Value v) { stack.push_back(std::move(v)); }
    Value pop();
    // Runs a block; keepStack leaves what it pushed for the blocks after it.
    Value execute(Frame& frame, bool keepStack = false);
    Value callScript(Object* fn, const Value& thisValue, std::span<const Value> args, Object* home);
    int callDepth = 0;
    int blockNesting_ = 0; // runBlock calls running
    Pool carriedPool_;     // the constant pool the last outermost block left
    int functionDepth = 0; // script functions running
    // Whether each running script function was called by `new` (innermost last), and the
    // mark construct leaves for the call it makes.
    std::vector<bool> constructing;
    bool constructNext = false;
    // Version 4's answers (1 and 0, "#ERROR#") hold in frame scripts only: a function is a
    // later construct and runs by later rules.
    bool versionFourRules() const { return version_ < 5 && functionDepth == 0; }
    std::int64_t steps_ = 0;
    // A property's getter or setter, or its watcher, running; or a property whose
    // watcher runs. While one runs, the property may read and write its plain value
    // instead of calling them again.
    struct BusyAccessor {
        enum class Role { Accessor, Watcher, Watched };
        const Object* holder;
        std::string name;
        Role role;
        bool operator==(const BusyAccessor&) const = default;
    };
    std::vector<BusyAccessor> busyAccessors;

private:
    std::optional<Value> comparable(const Value& v, Value& out, bool objectEnds);
    struct Interval {
        int id;
        Value fn, thisValue;
        std::string method;
        std::vector<Value> args;
        double period, next;
        bool once;
    };
    void mark();
    void markRoots(const std::function<void(Object*)>& push,
                   const std::function<void(const Value&)>& pushValue);
    Object* allocate();

    DisplayHost& host_;
    int version_;
    VmLimits limits_;
    std::vector<std::unique_ptr<Object>> objects_;
    std::unordered_map<ClipId, Object*> clips_;
    std::unordered_set<std::string> warnedOnce_;
    std::unordered_set<ClipId> classed_; // clips giveClass gave their class
    std::vector<Interval> intervals_;
    struct PendingLoad {
        Value into;
        std::string url;
        Load kind;
        Value loader;
    };
    void finishLoad(const PendingLoad& load);
    // A clip a new movie was loaded into starts with none of the old one's variables.
    void resetClipObject(ClipId clip);
    void finishClipLoad(const PendingLoad& load);
    std::vector<PendingLoad> loads_;
    std::vector<Value> dialogs_;                  // objects whose file dialog awaits its answer
    std::vector<std::pair<Value, ClipId>> inits_; // loader and clip awaiting onLoadInit
    int loadedMovies_ = 0;
    int nextInterval_ = 1;
    std::size_t warnings_ = 0;
};

// The N of "_levelN" (any case; digits may be followed by more than a path), or -1 for
// another name.
int LevelNumber(std::string_view name);

// Builds the global object and the built-in classes.
void InstallBuiltins(Vm& vm);

} // namespace quillon::engine::avm1
