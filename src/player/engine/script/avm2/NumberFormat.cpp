#include "player/engine/script/avm2/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace quillon::avm2 {
namespace {

// A positive number as decimal digits: value = 0.DIGITS x 10^point.
struct Decimal {
    std::string digits;
    int point = 0;
};

// The shortest digits that read back as the same double.
Decimal Shortest(double d) {
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific);
    const std::string text(buf, result.ptr);
    const auto e = text.find('e');
    Decimal dec;
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] != '.') {
            dec.digits += text[i];
        }
    }
    dec.point = std::atoi(text.c_str() + e + 1) + 1;
    while (dec.digits.size() > 1 && dec.digits.back() == '0') {
        dec.digits.pop_back();
    }
    return dec;
}

// The exact binary value in decimal, for rounding as the language asks (ties away
// from zero), which printf's rounding does not give.
Decimal Exact(double d) {
    std::vector<char> buf(1200);
    std::snprintf(buf.data(), buf.size(), "%.1100f", d);
    Decimal dec;
    const std::string text(buf.data());
    const auto dot = text.find('.');
    dec.digits = text.substr(0, dot) + text.substr(dot + 1);
    dec.point = static_cast<int>(dot);
    const auto first = dec.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        return Decimal{"0", 1};
    }
    dec.digits.erase(0, first);
    dec.point -= static_cast<int>(first);
    return dec;
}

// Keeps count digits (count may be 0 or less: rounds to a power of ten).
Decimal RoundTo(Decimal dec, int count) {
    if (count < 0) {
        return Decimal{"0", dec.point};
    }
    if (static_cast<std::size_t>(count) >= dec.digits.size()) {
        dec.digits.resize(count, '0');
        return dec;
    }
    const bool up = dec.digits[count] >= '5';
    dec.digits.resize(count);
    if (up) {
        int i = count - 1;
        while (i >= 0 && dec.digits[i] == '9') {
            dec.digits[i--] = '0';
        }
        if (i < 0) {
            dec.digits.insert(dec.digits.begin(), '1');
            dec.digits.pop_back();
            ++dec.point;
            if (count == 0) {
                dec.digits = "1";
            }
        } else {
            ++dec.digits[i];
        }
    }
    return dec;
}

std::string Special(double d) {
    if (std::isnan(d)) {
        return "NaN";
    }
    return d > 0 ? "Infinity" : "-Infinity";
}

std::string Exponent(int e) {
    return std::string(e < 0 ? "e-" : "e+") + std::to_string(std::abs(e));
}

std::string Fixed(const Decimal& dec, int fraction) {
    std::string out;
    if (dec.point <= 0) {
        out = "0";
    } else {
        for (int i = 0; i < dec.point; ++i) {
            out += i < static_cast<int>(dec.digits.size()) ? dec.digits[i] : '0';
        }
    }
    if (fraction > 0) {
        out += '.';
        for (int i = dec.point; i < dec.point + fraction; ++i) {
            out += (i >= 0 && i < static_cast<int>(dec.digits.size())) ? dec.digits[i] : '0';
        }
    }
    return out;
}

std::string Scientific(const Decimal& dec, int fraction) {
    std::string out(1, dec.digits[0]);
    if (fraction > 0) {
        out += '.';
        out += dec.digits.substr(1, fraction);
        out.resize(fraction + 2, '0');
    }
    return out + Exponent(dec.point - 1);
}

} // namespace

std::string NumberToString(double d) {
    if (!std::isfinite(d)) {
        return Special(d);
    }
    if (d == 0) {
        return "0";
    }
    const std::string sign = d < 0 ? "-" : "";
    const Decimal dec = Shortest(std::fabs(d));
    const int k = static_cast<int>(dec.digits.size());
    const int n = dec.point;
    if (k <= n && n <= 21) {
        return sign + dec.digits + std::string(n - k, '0');
    }
    if (0 < n && n <= 21) {
        return sign + dec.digits.substr(0, n) + "." + dec.digits.substr(n);
    }
    if (-6 < n && n <= 0) {
        return sign + "0." + std::string(-n, '0') + dec.digits;
    }
    return sign + Scientific(dec, k - 1);
}

std::string NumberToFixed(double d, int digits) {
    if (!std::isfinite(d)) {
        return Special(d);
    }
    if (std::fabs(d) >= 1e21) {
        return NumberToString(d);
    }
    const Decimal exact = Exact(std::fabs(d));
    const Decimal dec = exact.digits == "0" ? exact : RoundTo(exact, exact.point + digits);
    std::string out = Fixed(dec, digits);
    const bool zero = out.find_first_not_of("0.") == std::string::npos;
    return (d < 0 && !zero ? "-" : "") + out;
}

std::string NumberToExponential(double d, int digits) {
    if (!std::isfinite(d)) {
        return Special(d);
    }
    const std::string sign = d < 0 ? "-" : "";
    if (d == 0) {
        return Scientific(Decimal{"0", 1}, std::max(digits, 0));
    }
    if (digits < 0) { // as many digits as it takes
        const Decimal dec = Shortest(std::fabs(d));
        return sign + Scientific(dec, static_cast<int>(dec.digits.size()) - 1);
    }
    return sign + Scientific(RoundTo(Exact(std::fabs(d)), digits + 1), digits);
}

std::string NumberToPrecision(double d, int digits) {
    if (!std::isfinite(d)) {
        return Special(d);
    }
    const std::string sign = d < 0 ? "-" : "";
    const Decimal dec = d == 0 ? Decimal{"0", 1} : RoundTo(Exact(std::fabs(d)), digits);
    const int e = d == 0 ? 0 : dec.point - 1;
    if (e < -6 || e >= digits) {
        return sign + Scientific(dec, digits - 1);
    }
    return sign + Fixed(dec, digits - 1 - e);
}

std::string NumberToRadix(double d, int radix) {
    if (radix == 10 || !std::isfinite(d)) {
        return NumberToString(d);
    }
    static const char* kDigits = "0123456789abcdefghijklmnopqrstuvwxyz";
    double whole = std::floor(std::fabs(d));
    double fraction = std::fabs(d) - whole;
    std::string out;
    do {
        out.insert(out.begin(), kDigits[static_cast<int>(std::fmod(whole, radix))]);
        whole = std::floor(whole / radix);
    } while (whole >= 1);
    if (fraction > 0) {
        out += '.';
        for (int i = 0; i < 52 && fraction > 0; ++i) {
            fraction *= radix;
            const int digit = static_cast<int>(fraction);
            out += kDigits[digit];
            fraction -= digit;
        }
    }
    return (d < 0 ? "-" : "") + out;
}

} // namespace quillon::avm2
