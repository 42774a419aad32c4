#pragma once
// The object model: objects with ordered properties and their flags, a prototype, and
// the extra state of functions, arrays, boxed primitives, clips and `super`.

#include "player/engine/display/DisplayHost.h"
#include "player/engine/script/avm1/Value.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillon::engine {
struct FilterSettings;
}

namespace quillon::engine::avm1 {

enum PropertyFlag : std::uint16_t {
    DontEnum = 1,
    DontDelete = 2,
    ReadOnly = 4,
    // Seen only from a version on: hidden below 6, 7, 8, 9 and 10; one bit hides in 6 only.
    FromVersion6 = 0x80,
    HiddenInVersion6 = 0x100,
    FromVersion7 = 0x400,
    FromVersion8 = 0x1000,
    FromVersion9 = 0x2000,
    FromVersion10 = 0x4000,
};
// The version flags that hide a property from movies of a version.
std::uint16_t HiddenFlagsFor(int version);

// "0", "17": an array index; "01", "-1", "1.5": a plain name.
bool ArrayIndex(std::string_view name, std::size_t& index);

struct Property {
    std::string name;
    Value value;
    Object* getter = nullptr; // from addProperty
    Object* setter = nullptr;
    std::uint16_t flags = 0;
    std::uint32_t stamp = 0; // when it was added: enumeration lists the newest first
};

enum class Kind : std::uint8_t { Plain, Function, Array, Boxed, Date, Clip, Super, Activation };

// "__proto__" in the case the version compares names in.
inline bool IsProtoName(std::string_view name, bool caseSensitive) {
    return caseSensitive ? name == "__proto__" : EqualsIgnoringCase(name, "__proto__");
}

struct FunctionCode;
class Vm;
class Object;

// An XML node: its kind (1 element, 3 text), name or value, and its place in a tree.
struct XmlNode {
    int type = 1;
    Value name, value;
    Object* parent = nullptr;
    std::vector<Object*> children;
    Object* attributes = nullptr;
    Object* childArray = nullptr; // childNodes, rebuilt when the children change
};

struct Scope {
    Object* object = nullptr;
    std::shared_ptr<const Scope> parent;
};
using ScopeRef = std::shared_ptr<const Scope>;
using Pool = std::shared_ptr<const std::vector<Str>>;

struct CallInfo {
    Value thisValue;
    std::span<const Value> args;
    Object* callee = nullptr;
    bool construct = false;
    // Set by a native constructor that refuses its arguments: `new` then gives undefined.
    bool refused = false;
    Value arg(std::size_t i) const { return i < args.size() ? args[i] : Value(); }
};
using NativeFn = Value (*)(Vm&, CallInfo&);

class Object {
public:
    Object(bool caseSensitive, std::uint16_t hidden)
        : caseSensitive_(caseSensitive), hidden_(hidden) {}

    Kind kind = Kind::Plain;
    Object* proto = nullptr;
    const char* className = "Object";

    // Functions: native ones, or script code with the scope and pool they were made in.
    NativeFn native = nullptr;
    int magic = 0;
    std::shared_ptr<const FunctionCode> code;
    ScopeRef scope;
    Pool pool;
    ClipId target = 0;
    // Arrays: the values, and when each was written (0 for a hole, which enumeration skips).
    std::vector<Value> elements;
    std::vector<std::uint32_t> elementStamps;
    std::uint32_t nextStamp = 0;
    // Writes an element, growing the array with holes.
    void setElement(std::size_t index, Value value);
    // A new length: new places are holes.
    void resizeElements(std::size_t length);
    // Restamps every element in index order, as written anew.
    void restampElements();
    // Elements added without a stamp count as written in index order now.
    void syncStamps();
    // The length `new Array(n)` gave when n was no length an array can have: read back
    // as given, until the array is written.
    std::optional<double> oddLength;
    // ASSetPropFlags flags of present elements (shorter while the rest have none).
    std::vector<std::uint16_t> elementFlags;
    std::uint16_t elementFlagsAt(std::size_t index) const {
        return index < elementFlags.size() ? elementFlags[index] : 0;
    }
    void setElementFlags(std::size_t index, std::uint16_t flags);
    bool hasElement(std::size_t index) const;
    // Deletes a present element unless it is undeletable; false when nothing went.
    bool removeElement(std::size_t index);
    // Boxed primitives and dates.
    Value primitive;
    // Clips (and text fields) on the display list. A reference to a clip that was removed
    // leads to whatever clip its path (as it was when first referenced) names now.
    ClipId clip = 0;
    ClipKind clipKind = ClipKind::Other;
    std::string clipPath;
    // Functions: the clip they were made on, their base clip when called.
    Object* baseClip = nullptr;
    // `super`: the object it stands for and where the running method was found, also as
    // the number of links along the object's chain (0: not on it).
    Object* superThis = nullptr;
    Object* superHome = nullptr;
    int superDepth = 0;
    // `watch`: property name -> callback and its extra argument.
    std::vector<std::pair<std::string, std::pair<Value, Value>>> watchers;
    std::unique_ptr<XmlNode> xml;
    // Settings only native code reads (a text field's extras, a sound's and its clip's, a
    // text format's parts), by name.
    std::unique_ptr<std::unordered_map<std::string, Value>> fieldSettings;
    // One of those settings (null when never kept; undefined in the second form), and
    // keeping one.
    const Value* keptSetting(const std::string& key) const;
    Value setting(const std::string& key) const {
        const Value* kept = keptSetting(key);
        return kept ? *kept : Value();
    }
    void keepSetting(const std::string& key, Value value);
    // A BitmapData's pixels (none once disposed).
    std::shared_ptr<BitmapPixels> pixels;
    // A flash.filters object's settings.
    std::shared_ptr<FilterSettings> filter;
    // Interfaces a class prototype implements (ImplementsOp).
    std::vector<Object*> interfaces;
    // The flags of __proto__, which lives in proto rather than among the properties.
    std::uint16_t protoFlags = DontEnum | DontDelete;

    Property* find(std::string_view name);
    const Property* find(std::string_view name) const;
    // The same, hidden ones included.
    Property* findAny(std::string_view name);
    // Sets an own property, creating it at the end when missing; read-only ones stay.
    void put(std::string_view name, Value value);
    void define(std::string_view name, Value value, std::uint16_t flags = DontEnum);
    // A property the version flags hide is not there for this movie.
    bool hidden(const Property& p) const { return (p.flags & hidden_) != 0; }
    bool remove(std::string_view name);
    std::vector<Property>& properties() { return properties_; }
    const std::vector<Property>& properties() const { return properties_; }
    bool caseSensitive() const { return caseSensitive_; }
    bool isFunction() const { return kind == Kind::Function; }

    bool marked = false;

private:
    std::string key(std::string_view name) const;
    void reindex();

    bool caseSensitive_;
    std::uint16_t hidden_;
    std::vector<Property> properties_;
    std::unique_ptr<std::unordered_map<std::string, std::uint32_t>> index_;
};

} // namespace quillon::engine::avm1
