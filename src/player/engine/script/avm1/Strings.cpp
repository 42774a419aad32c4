// The version 4 string actions and text counted in characters.

#include "player/engine/script/avm1/Frame.h"
#include "player/engine/script/common/Utf8.h"

#include <cmath>

namespace quillon::engine::avm1 {

namespace {

bool IsSurrogate(std::uint32_t unit) {
    return unit >= 0xd800 && unit < 0xe000;
}

bool IsAscii(const std::string& text) {
    for (unsigned char c : text) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

// Character index, 1-based, and count as the extract actions take them: both are 32-bit
// integers, so large ones wrap.
std::string Extract(const std::string& text, double index, double count) {
    const auto whole = [](double n) { return std::isnan(n) ? n : static_cast<double>(ToInt32(n)); };
    index = whole(index);
    count = whole(count);
    if (std::isnan(index) || index < 1) {
        index = 1;
    }
    const auto length = static_cast<double>(CharLength(text));
    if (std::isnan(count) || count < 0 || index - 1 + count > length) {
        count = length - (index - 1);
    }
    if (count <= 0 || index - 1 >= length) {
        return "";
    }
    return CharSubstr(text, static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

} // namespace

std::u16string ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::uint32_t code = c;
        std::size_t extra = 0;
        if (c >= 0xf0 && c < 0xf8) {
            code = c & 0x07, extra = 3;
        } else if (c >= 0xe0) {
            code = c & 0x0f, extra = 2;
        } else if (c >= 0xc0) {
            code = c & 0x1f, extra = 1;
        }
        if (c >= 0x80 && (extra == 0 || i + extra >= text.size())) {
            out += static_cast<char16_t>(c);
            ++i;
            continue;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3f);
        }
        i += extra + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xd800 + (code >> 10));
            out += static_cast<char16_t>(0xdc00 + (code & 0x3ff));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

std::string CodeToString(std::uint32_t code) {
    std::string out;
    AppendUtf8(code, out);
    return out;
}

std::string FromUtf16(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t code = text[i];
        if (code >= 0xd800 && code < 0xdc00 && i + 1 < text.size() && text[i + 1] >= 0xdc00 &&
            text[i + 1] < 0xe000) {
            code = 0x10000 + ((code - 0xd800) << 10) + (text[i + 1] - 0xdc00);
            ++i;
        }
        out += CodeToString(code);
    }
    return out;
}

std::size_t CharLength(const std::string& text) {
    return IsAscii(text) ? text.size() : ToUtf16(text).size();
}

std::string CharSubstr(const std::string& text, std::size_t start, std::size_t count) {
    if (IsAscii(text)) {
        return start >= text.size() ? std::string() : text.substr(start, count);
    }
    const std::u16string wide = ToUtf16(text);
    return start >= wide.size() ? std::string() : FromUtf16(wide.substr(start, count));
}

bool ExecStringAction(Vm& vm, Frame&, const Instr& in) {
    switch (in.op) {
    case 0x13:
    case 0x29:
    case 0x68: {
        const std::string b = vm.toString(vm.pop());
        const std::string a = vm.toString(vm.pop());
        const bool result = in.op == 0x13 ? a == b : in.op == 0x29 ? a < b : a > b;
        vm.push(vm.version() >= 5 ? Value(result) : Value(result ? 1.0 : 0.0));
        return true;
    }
    case 0x14:
    case 0x31:
        vm.push(static_cast<double>(CharLength(vm.toString(vm.pop()))));
        return true;
    case 0x15:
    case 0x35: {
        // the count converts first, then the index, then the text
        const double count = vm.toNumber(vm.pop());
        const double index = vm.toNumber(vm.pop());
        vm.push(vm.makeString(Extract(vm.toString(vm.pop()), index, count)));
        return true;
    }
    case 0x21: {
        const Str b = vm.toStr(vm.pop());
        const Str a = vm.toStr(vm.pop());
        vm.push(vm.makeString(*a + *b));
        return true;
    }
    case 0x32:
    case 0x36: {
        // half of a pair is no character: it reads as the replacement character
        const std::u16string text = ToUtf16(vm.toString(vm.pop()));
        vm.push(text.empty() ? 0.0 : static_cast<double>(IsSurrogate(text[0]) ? 0xfffd : text[0]));
        return true;
    }
    case 0x33:
    case 0x37: {
        const auto code = static_cast<std::uint32_t>(ToUint32(vm.toNumber(vm.pop())) & 0xffff);
        vm.push(code == 0 ? std::string() : CodeToString(IsSurrogate(code) ? 0xfffd : code));
        return true;
    }
    case 0x4b:
        vm.push(vm.toStr(vm.pop()));
        return true;
    default:
        return false;
    }
}

} // namespace quillon::engine::avm1
