// StrValue strings and number formatting.
#include "runtime/frame/strvalue.h"

#include <cfloat>      // Required for: DBL_MAX
#include <charconv>    // Required for: std::from_chars
#include <cmath>
#include <cstdio>      // Required for: snprintf
#include <cstring>
#include <limits>
#include <ostream>
#include <vector>
#include <algorithm>

#include "runtime/frame/dimarray.h"   // Required for: SplitText's result array

int32_t ToInt(Number value) {
    const Number t = std::trunc(value);
    if (!(t >= -2147483648.0 && t <= 2147483647.0)) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(t);
}

namespace {

constexpr uint32_t kStep = 512;

uint32_t Clip(size_t n) {
    // Texts are C strings below 4 GiB; anything longer is cut.
    return n >= 0xFFFFFE00u ? 0xFFFFFE00u - 1 : static_cast<uint32_t>(n);
}

void IntToText(int value, char* out, size_t size) { std::snprintf(out, size, "%d", value); }

}  // namespace

void StrValue::Reserve(uint32_t n) {
    if (capacity_ > n) return;
    const uint32_t cap = (n / kStep) * kStep + kStep;
    char* block = new char[cap];
    if (data_) {
        std::memcpy(block, data_, length_ + 1);
        delete[] data_;
    } else {
        block[0] = 0;
    }
    data_ = block;
    capacity_ = cap;
}

StrValue::StrValue() { Reserve(kStep); }
StrValue::StrValue(const char* text) { Assign(text ? text : "", Clip(text ? std::strlen(text) : 0)); }
StrValue::StrValue(const std::string& text) : StrValue(std::string_view(text)) {}
StrValue::StrValue(std::string_view text) {
    // Texts hold no NUL: a view is copied as a C string.
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    Assign(text.data(), Clip(text.size()));
}
StrValue::StrValue(const StrValue& other) { Assign(other.data_ ? other.data_ : "", other.length_); }
StrValue::StrValue(StrValue&& other) noexcept
    : data_(other.data_), capacity_(other.capacity_), length_(other.length_) {
    other.data_ = nullptr;
    other.capacity_ = other.length_ = 0;
}
StrValue::StrValue(int value) {
    Reserve(64);
    IntToText(value, data_, capacity_);
    SyncLength();
}
StrValue::StrValue(Number value) {
    Reserve(64);
    const StrValue t = NumberToText(value);
    std::memcpy(data_, t.data_, t.length_ + 1);
    length_ = t.length_;
}
StrValue::StrValue(float value) : StrValue(static_cast<Number>(value)) {}

StrValue::~StrValue() {
    delete[] data_;
    data_ = nullptr;
    capacity_ = length_ = 0;
}

StrValue& StrValue::operator=(const StrValue& other) {
    if (this != &other) Assign(other.data_ ? other.data_ : "", other.length_);
    return *this;
}
StrValue& StrValue::operator=(StrValue&& other) noexcept {
    if (this != &other) {
        delete[] data_;
        data_ = other.data_;
        capacity_ = other.capacity_;
        length_ = other.length_;
        other.data_ = nullptr;
        other.capacity_ = other.length_ = 0;
    }
    return *this;
}
StrValue& StrValue::operator=(const char* text) {
    if (!text) text = "";
    if (data_ && text >= data_ && text < data_ + capacity_) {
        // Assigning a part of ourselves: copy first.
        const std::string copy(text);
        Assign(copy.c_str(), Clip(copy.size()));
    } else {
        Assign(text, Clip(std::strlen(text)));
    }
    return *this;
}

void StrValue::Assign(const char* text, uint32_t n) {
    Reserve(n);
    std::memmove(data_, text, n);
    data_[n] = 0;
    length_ = n;
}

void StrValue::Append(const char* text, uint32_t n) {
    if (n == 0) {
        if (!data_) Reserve(0);
        return;
    }
    const uint32_t total = Clip(size_t(length_) + n);
    n = total - length_;
    if (data_ && text >= data_ && text < data_ + capacity_) {
        const std::string copy(text, n);
        Reserve(total);
        std::memcpy(data_ + length_, copy.data(), n);
    } else {
        Reserve(total);
        std::memcpy(data_ + length_, text, n);
    }
    length_ = total;
    data_[length_] = 0;
}

StrValue& StrValue::operator+=(const StrValue& other) {
    Append(other.data_ ? other.data_ : "", other.length_);
    return *this;
}
StrValue& StrValue::operator+=(const char* text) {
    if (text) Append(text, Clip(std::strlen(text)));
    return *this;
}
StrValue& StrValue::operator+=(int value) {
    char buf[16];
    IntToText(value, buf, sizeof buf);
    return *this += buf;
}
StrValue& StrValue::operator+=(Number value) { return *this += NumberToText(value); }
StrValue& StrValue::operator+=(float value) { return *this += NumberToText(value); }

char* StrValue::TextBuffer(uint32_t n) {
    Reserve(n);
    return data_;
}

void StrValue::SyncLength() {
    data_[capacity_ - 1] = 0;
    length_ = static_cast<uint32_t>(std::strlen(data_));
}

void StrValue::TruncateAt(uint32_t i) {
    if (i < capacity_) data_[i] = 0;
    length_ = static_cast<uint32_t>(std::strlen(data_));
}

StrValue operator+(const StrValue& a, const StrValue& b) { StrValue r(a); r += b; return r; }
StrValue operator+(const StrValue& a, const char* b) { StrValue r(a); r += b; return r; }
StrValue operator+(const char* a, const StrValue& b) { StrValue r(a); r += b; return r; }
StrValue operator+(const StrValue& a, int b) { StrValue r(a); r += b; return r; }
StrValue operator+(int a, const StrValue& b) { StrValue r(a); r += b; return r; }
StrValue operator+(const StrValue& a, Number b) { StrValue r(a); r += b; return r; }
StrValue operator+(Number a, const StrValue& b) { StrValue r(a); r += b; return r; }
StrValue operator+(const StrValue& a, float b) { StrValue r(a); r += b; return r; }
StrValue operator+(float a, const StrValue& b) { StrValue r(a); r += b; return r; }

namespace {
int Compare(const char* a, const char* b) {
    // strcmp compares as unsigned bytes.
    return std::strcmp(a ? a : "", b ? b : "");
}
Number Truth(bool b) { return b ? 1.0 : 0.0; }
}  // namespace

Number operator==(const StrValue& a, const StrValue& b) {
    if (a.Length() != b.Length()) return 0.0;
    return Truth(Compare(a.CText(), b.CText()) == 0);
}
Number operator!=(const StrValue& a, const StrValue& b) { return Truth(!(a == b)); }

#define ZV_TEXT_RELATIONS(A, B, AC, BC)                                                  \
    Number operator<(A a, B b) { return Truth(Compare(AC, BC) < 0); }                    \
    Number operator>(A a, B b) { return Truth(Compare(AC, BC) > 0); }                    \
    Number operator<=(A a, B b) { return Truth(Compare(AC, BC) <= 0); }                  \
    Number operator>=(A a, B b) { return Truth(Compare(AC, BC) >= 0); }
ZV_TEXT_RELATIONS(const StrValue&, const StrValue&, a.CText(), b.CText())
ZV_TEXT_RELATIONS(const StrValue&, const char*, a.CText(), b)
ZV_TEXT_RELATIONS(const char*, const StrValue&, a, b.CText())
#undef ZV_TEXT_RELATIONS
Number operator==(const StrValue& a, const char* b) { return Truth(Compare(a.CText(), b) == 0); }
Number operator!=(const StrValue& a, const char* b) { return Truth(Compare(a.CText(), b) != 0); }
Number operator==(const char* a, const StrValue& b) { return Truth(Compare(a, b.CText()) == 0); }
Number operator!=(const char* a, const StrValue& b) { return Truth(Compare(a, b.CText()) != 0); }

#define ZV_NUMERIC_RELATIONS(T)                                                          \
    Number operator==(const StrValue& a, T b) { return Truth(TextToNumber(a) == b); }    \
    Number operator!=(const StrValue& a, T b) { return Truth(TextToNumber(a) != b); }    \
    Number operator<(const StrValue& a, T b) { return Truth(TextToNumber(a) < b); }      \
    Number operator>(const StrValue& a, T b) { return Truth(TextToNumber(a) > b); }      \
    Number operator<=(const StrValue& a, T b) { return Truth(TextToNumber(a) <= b); }    \
    Number operator>=(const StrValue& a, T b) { return Truth(TextToNumber(a) >= b); }    \
    Number operator==(T a, const StrValue& b) { return Truth(a == TextToNumber(b)); }    \
    Number operator!=(T a, const StrValue& b) { return Truth(a != TextToNumber(b)); }    \
    Number operator<(T a, const StrValue& b) { return Truth(a < TextToNumber(b)); }      \
    Number operator>(T a, const StrValue& b) { return Truth(a > TextToNumber(b)); }      \
    Number operator<=(T a, const StrValue& b) { return Truth(a <= TextToNumber(b)); }    \
    Number operator>=(T a, const StrValue& b) { return Truth(a >= TextToNumber(b)); }
ZV_NUMERIC_RELATIONS(int)
ZV_NUMERIC_RELATIONS(Number)
#undef ZV_NUMERIC_RELATIONS

std::ostream& operator<<(std::ostream& os, const StrValue& s) {
    return os << '"' << (s.CText() ? s.CText() : "") << '"';
}

Number TextLength(const StrValue& text) { return text.Length(); }

StrValue MidText(const StrValue& text, Number start, Number count) {
    StrValue result;
    const Number length = text.Length();
    // Compared untruncated, so a huge count cannot wrap to a negative one.
    if (std::trunc(count + start) > length) count = length - start;
    if (count <= 0 || start > length || start < 0) return result;
    const int32_t from = ToInt(start);
    const int32_t n = ToInt(count);
    if (from < 0 || n <= 0) return result;
    const uint32_t avail = text.Length() - static_cast<uint32_t>(from);
    result = StrValue(std::string_view(text.CText() + from, std::min<uint32_t>(avail, n)));
    return result;
}

Number CharCode(const StrValue& text) {
    if (text.Empty()) return 0;
    return static_cast<signed char>(text.CharAt(0));
}

StrValue CharFromCode(Number code) {
    const char c = static_cast<char>(ToInt(code) & 0xFF);
    const char buf[2] = {c, 0};
    return StrValue(buf);
}

StrValue FormatNumber(Number width, Number decimals, Number value) {
    // Bounded so that a silly width cannot ask for a huge text.
    const int w = std::clamp(ToInt(width), -1000, 1000);
    const int d = std::clamp(ToInt(decimals), -1, 100);
    char format[32];
    std::snprintf(format, sizeof format, "%%%d.%df", w, d);
    char out[1400];
    std::snprintf(out, sizeof out, format, value);
    return StrValue(out);
}

Number SplitText(const StrValue& text, DimArray<StrValue>& tokens, const StrValue& delimiters) {
    const std::string copy = text.Std();
    const std::string_view delims = delimiters.View();
    std::vector<std::string_view> found;
    size_t i = 0;
    while (i < copy.size()) {
        while (i < copy.size() && delims.find(copy[i]) != std::string_view::npos) ++i;
        const size_t begin = i;
        while (i < copy.size() && delims.find(copy[i]) == std::string_view::npos) ++i;
        if (i > begin) found.push_back(std::string_view(copy).substr(begin, i - begin));
    }
    tokens.Dim(static_cast<Number>(found.size()));
    for (size_t k = 0; k < found.size(); ++k) tokens(static_cast<Number>(k)) = StrValue(found[k]);
    return static_cast<Number>(found.size());
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Whether a decimal text that no double can hold is too large rather than too small:
// the power of ten of its first non-zero digit, plus its exponent, is above zero.
bool TooLarge(std::string_view digits, std::string_view exponent) {
    const size_t point = std::min(digits.find('.'), digits.size());
    const size_t first = digits.find_first_of("123456789");
    if (first == std::string_view::npos) return false;
    int64_t power = first < point ? int64_t(point - first) - 1 : -int64_t(first - point);
    int64_t e = 0;
    const bool negative = !exponent.empty() && exponent[0] == '-';
    for (char c : exponent) {
        if (IsDigit(c) && e < 100000) e = e * 10 + (c - '0');
    }
    power += negative ? -e : e;
    return power > 0;
}

}  // namespace

Number LeadingNumber(std::string_view text) {
    const size_t n = text.size();
    size_t i = 0;
    while (i < n && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const size_t start = i;
    size_t digits = 0;
    for (; i < n && IsDigit(text[i]); ++i) ++digits;
    if (i < n && text[i] == '.') {
        for (++i; i < n && IsDigit(text[i]); ++i) ++digits;
    }
    if (digits == 0) return 0;
    const size_t mantissaEnd = i;
    size_t end = i;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < n && IsDigit(text[j])) {
            while (j < n && IsDigit(text[j])) ++j;
            end = j;
        }
    }
    // Only the scanned digits reach the conversion, so neither hexadecimal nor the
    // names of infinity and NaN can come through it.
    double value = 0;
    const auto r = std::from_chars(text.data() + start, text.data() + end, value, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        const std::string_view exponent = text.substr(mantissaEnd + 1, end > mantissaEnd ? end - mantissaEnd - 1 : 0);
        value = TooLarge(text.substr(start, mantissaEnd - start), exponent) ? DBL_MAX : 0;
    } else if (r.ec != std::errc()) {
        value = 0;
    }
    return negative ? -value : value;
}

Number TextToNumber(const StrValue& text) {
    if (!text.CText()) return 0;
    return LeadingNumber(text.View());
}

StrValue NumberToText(Number value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", value);
    std::string s(buf);
    // Exponents carry a sign and at least three digits (1e+011).
    const size_t e = s.find_first_of("eE");
    if (e != std::string::npos && e + 2 <= s.size()) {
        std::string digits = s.substr(e + 2);
        while (digits.size() < 3) digits.insert(digits.begin(), '0');
        s = s.substr(0, e + 2) + digits;
    }
    if (!s.empty() && s.back() == '.') s.pop_back();
    return StrValue(s.c_str());
}
