#include "player/engine/video/Amf0.h"

#include <bit>
#include <cstring>

namespace quillon::engine {

namespace {

// The type markers; 4 (a movie clip) is reserved and never written.
constexpr std::uint8_t NumberMarker = 0, BooleanMarker = 1, StringMarker = 2, ObjectMarker = 3,
                       NullMarker = 5, UndefinedMarker = 6, ReferenceMarker = 7,
                       EcmaArrayMarker = 8, ObjectEndMarker = 9, StrictArrayMarker = 10,
                       DateMarker = 11, LongStringMarker = 12;

class AmfReader {
public:
    AmfReader(std::span<const std::uint8_t> bytes, std::size_t& pos) : bytes_(bytes), pos_(pos) {}

    std::optional<AmfValue> value(int depth);

private:
    bool has(std::size_t n) const { return pos_ <= bytes_.size() && bytes_.size() - pos_ >= n; }
    std::uint64_t big(int n) {
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i) {
            v = (v << 8) | bytes_[pos_++];
        }
        return v;
    }
    std::optional<double> number() {
        if (!has(8)) {
            return std::nullopt;
        }
        return std::bit_cast<double>(big(8));
    }
    std::optional<std::string> text(int lengthBytes) {
        if (!has(static_cast<std::size_t>(lengthBytes))) {
            return std::nullopt;
        }
        const std::size_t n = big(lengthBytes);
        if (!has(n)) {
            return std::nullopt;
        }
        std::string s(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
        pos_ += n;
        return s;
    }
    std::optional<AmfValue> scalar(std::uint8_t marker);
    std::optional<AmfValue> compound(std::uint8_t marker, int depth);
    bool members(AmfValue& into, int depth);
    bool items(AmfValue& into, int depth);

    std::span<const std::uint8_t> bytes_;
    std::size_t& pos_;
    std::size_t count_ = 0;
};

// Name and value pairs up to the empty name and the end marker.
bool AmfReader::members(AmfValue& into, int depth) {
    while (true) {
        std::optional<std::string> name = text(2);
        if (!name || !has(1)) {
            return false;
        }
        if (name->empty() && bytes_[pos_] == ObjectEndMarker) {
            ++pos_;
            return true;
        }
        std::optional<AmfValue> v = value(depth + 1);
        if (!v) {
            return false;
        }
        into.members.emplace_back(std::move(*name), std::move(*v));
    }
}

bool AmfReader::items(AmfValue& into, int depth) {
    if (!has(4)) {
        return false;
    }
    const std::uint64_t n = big(4);
    for (std::uint64_t i = 0; i < n; ++i) {
        std::optional<AmfValue> v = value(depth + 1);
        if (!v) {
            return false;
        }
        into.items.push_back(std::move(*v));
    }
    return true;
}

std::optional<AmfValue> AmfReader::scalar(std::uint8_t marker) {
    AmfValue v;
    if (marker == BooleanMarker) {
        if (!has(1)) {
            return std::nullopt;
        }
        v.type = AmfValue::Type::Boolean;
        v.boolean = bytes_[pos_++] != 0;
        return v;
    }
    if (marker == StringMarker || marker == LongStringMarker) {
        std::optional<std::string> s = text(marker == StringMarker ? 2 : 4);
        if (!s) {
            return std::nullopt;
        }
        v.type = AmfValue::Type::String;
        v.text = std::move(*s);
        return v;
    }
    const std::optional<double> n = number();
    const bool date = marker == DateMarker;
    if (!n || (date && !has(2))) {
        return std::nullopt;
    }
    v.type = date ? AmfValue::Type::Date : AmfValue::Type::Number;
    v.number = *n;
    pos_ += date ? 2 : 0; // the time zone, which players ignore
    return v;
}

std::optional<AmfValue> AmfReader::compound(std::uint8_t marker, int depth) {
    AmfValue v;
    if (marker == StrictArrayMarker) {
        v.type = AmfValue::Type::StrictArray;
        return items(v, depth) ? std::optional(std::move(v)) : std::nullopt;
    }
    v.type = marker == ObjectMarker ? AmfValue::Type::Object : AmfValue::Type::EcmaArray;
    if (marker == EcmaArrayMarker) {
        if (!has(4)) {
            return std::nullopt;
        }
        pos_ += 4; // the count is a hint only: the end marker ends the members
    }
    return members(v, depth) ? std::optional(std::move(v)) : std::nullopt;
}

std::optional<AmfValue> AmfReader::value(int depth) {
    if (depth > MaxAmfNesting || ++count_ > MaxAmfValues || !has(1)) {
        return std::nullopt;
    }
    const std::uint8_t marker = bytes_[pos_++];
    switch (marker) {
    case NumberMarker:
    case DateMarker:
    case BooleanMarker:
    case StringMarker:
    case LongStringMarker:
        return scalar(marker);
    case ObjectMarker:
    case EcmaArrayMarker:
    case StrictArrayMarker:
        return compound(marker, depth);
    case NullMarker: {
        AmfValue v;
        v.type = AmfValue::Type::Null;
        return v;
    }
    case UndefinedMarker:
        return AmfValue{};
    case ReferenceMarker:
        if (!has(2)) {
            return std::nullopt;
        }
        pos_ += 2; // references to earlier objects read as undefined
        return AmfValue{};
    default:
        return std::nullopt;
    }
}

} // namespace

const AmfValue* AmfValue::member(const std::string& name) const {
    for (const auto& [key, value] : members) {
        if (key == name) {
            return &value;
        }
    }
    return nullptr;
}

std::optional<AmfValue> ReadAmf0(std::span<const std::uint8_t> bytes, std::size_t& pos) {
    AmfReader reader(bytes, pos);
    return reader.value(0);
}

std::optional<ScriptData> ReadScriptData(std::span<const std::uint8_t> body) {
    std::size_t pos = 0;
    std::optional<AmfValue> name = ReadAmf0(body, pos);
    if (!name || name->type != AmfValue::Type::String) {
        return std::nullopt;
    }
    std::optional<AmfValue> value = ReadAmf0(body, pos);
    return ScriptData{std::move(name->text), value ? std::move(*value) : AmfValue{}};
}

} // namespace quillon::engine
