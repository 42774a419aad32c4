// Date.parse: a token at a time, each filling one part of the date; a part given twice,
// a word it does not know or a missing year, month or day makes the text unreadable.

#include "player/engine/script/avm2/DateMath.h"
#include "player/engine/script/avm2/DateText.h"

#include <cctype>
#include <cmath>
#include <limits>
#include <string>

namespace quillon::avm2::date {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr const char* kMonthNames[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                       "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr const char* kDayNames[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

int IndexOf(const char* const* names, int count, const std::string& word) {
    for (int i = 0; i < count; ++i) {
        if (word.size() >= 3 && word.compare(0, 3, names[i]) == 0) {
            return i;
        }
    }
    return -1;
}

class Reader {
public:
    explicit Reader(std::string_view text) : s_(text) {}
    double read();

private:
    bool token();
    bool word();
    bool number();
    bool zoneDigits();
    bool time(double hours);
    bool slashDate(double first);
    bool plainNumber(double n);
    double digits(std::size_t* count = nullptr);
    bool at(char c) const { return i_ < s_.size() && s_[i_] == c; }
    bool atDigit() const {
        return i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]));
    }

    std::string_view s_;
    std::size_t i_ = 0;
    double year_ = kNaN, month_ = kNaN, day_ = kNaN;
    double hours_ = 0, minutes_ = 0, seconds_ = 0, zone_ = kNaN;
    bool haveTime_ = false, zoneWord_ = false;
    int meridian_ = -1; // 0 AM, 1 PM
};

double Reader::digits(std::size_t* count) {
    double n = 0;
    std::size_t k = 0;
    while (atDigit() && k < 12) {
        n = n * 10 + (s_[i_++] - '0');
        ++k;
    }
    if (count) {
        *count = k;
    }
    return n;
}

bool Reader::word() {
    std::string w;
    while (i_ < s_.size() && std::isalpha(static_cast<unsigned char>(s_[i_])) && w.size() < 16) {
        w.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(s_[i_++]))));
    }
    if (const int m = IndexOf(kMonthNames, 12, w); m >= 0) {
        month_ = m;
        return at('/') ? (++i_, slashDate(m + 1)) : true;
    }
    if (IndexOf(kDayNames, 7, w) >= 0) {
        return true;
    }
    if (w == "am" || w == "pm") {
        meridian_ = w == "pm";
        return haveTime_;
    }
    if ((w == "gmt" || w == "utc") && std::isnan(zone_)) {
        zone_ = 0;
        zoneWord_ = true;
        return true;
    }
    return false;
}

bool Reader::zoneDigits() {
    const double sign = s_[i_++] == '-' ? -1 : 1;
    std::size_t count = 0;
    const double n = digits(&count);
    if (count == 0 || !(zoneWord_ ? zone_ == 0 : std::isnan(zone_))) {
        return false;
    }
    zone_ = sign * (count <= 2 ? n * 60 : std::floor(n / 100) * 60 + std::fmod(n, 100));
    zoneWord_ = false;
    return true;
}

bool Reader::time(double hours) {
    if (haveTime_) {
        return false;
    }
    haveTime_ = true;
    hours_ = hours;
    ++i_;
    minutes_ = digits();
    if (at(':')) {
        ++i_;
        seconds_ = digits();
    }
    return true;
}

bool Reader::slashDate(double first) {
    if (!std::isnan(day_) || !std::isnan(year_)) {
        return false;
    }
    const double second = digits();
    if (!at('/')) {
        return false;
    }
    ++i_;
    const double third = digits();
    if (first > 31) { // year/month/day
        year_ = first, month_ = second - 1, day_ = third;
    } else {
        month_ = first - 1, day_ = second, year_ = third;
    }
    return true;
}

bool Reader::plainNumber(double n) {
    if (n >= 70 || n > 31 || !std::isnan(day_)) {
        if (!std::isnan(year_)) {
            return false;
        }
        year_ = n;
        return true;
    }
    day_ = n;
    return true;
}

bool Reader::number() {
    const double n = digits();
    if (at(':')) {
        return time(n);
    }
    if (at('/')) {
        ++i_;
        return slashDate(n);
    }
    return plainNumber(n);
}

bool Reader::token() {
    const char c = s_[i_];
    if (std::isspace(static_cast<unsigned char>(c)) || c == ',') {
        ++i_;
        return true;
    }
    if (std::isalpha(static_cast<unsigned char>(c))) {
        return word();
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
        return number();
    }
    if ((c == '+' || c == '-') && i_ + 1 < s_.size()) {
        return zoneDigits();
    }
    return false;
}

double Reader::read() {
    while (i_ < s_.size()) {
        if (!token()) {
            return kNaN;
        }
    }
    if (std::isnan(year_) || std::isnan(month_) || std::isnan(day_)) {
        return kNaN;
    }
    if (meridian_ >= 0) {
        hours_ = std::fmod(hours_, 12) + (meridian_ == 1 ? 12 : 0);
    }
    const double year = year_ < 100 ? year_ + 1900 : year_;
    const double local = Compose({year, month_, day_, hours_, minutes_, seconds_, 0});
    return TimeClip(std::isnan(zone_) ? ToUtc(local) : local - zone_ * 60000);
}

} // namespace

double Parse(std::string_view text) {
    if (text.size() > 256) {
        return kNaN;
    }
    return Reader(text).read();
}

} // namespace quillon::avm2::date
