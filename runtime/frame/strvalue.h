// StrValue: the runtime's owned, growable byte string, and the Number value model.
//
// Every text of the editor, the game and the toolkit is a StrValue, every number a
// Number (an IEEE double). Capacity grows in 512-byte steps and never shrinks, so
// building texts in a loop allocates rarely.
//
// Dependencies: the standard library only.
#pragma once

#include <cstdint>   // Required for: uint32_t, int32_t
#include <iosfwd>    // Required for: std::ostream (test printing)
#include <string>    // Required for: std::string (conversions at the edges)
#include <string_view>

using Number = double;

template <class T> class DimArray;

// Truncates toward zero to a 32-bit integer; NaN and values outside the range give INT32_MIN.
int32_t ToInt(Number value);

class StrValue {
public:
    StrValue();
    StrValue(const char* text);
    StrValue(const std::string& text);
    StrValue(std::string_view text);
    StrValue(const StrValue& other);
    StrValue(StrValue&& other) noexcept;
    explicit StrValue(int value);
    explicit StrValue(Number value);
    explicit StrValue(float value);
    ~StrValue();

    StrValue& operator=(const StrValue& other);
    StrValue& operator=(StrValue&& other) noexcept;
    StrValue& operator=(const char* text);

    StrValue& operator+=(const StrValue& other);
    StrValue& operator+=(const char* text);
    StrValue& operator+=(int value);
    StrValue& operator+=(Number value);
    StrValue& operator+=(float value);

    // Makes room for n bytes plus the terminator (capacity rounds to 512-byte steps).
    void Reserve(uint32_t n);
    // Hands out the buffer, with room for n bytes, for a platform call to fill.
    char* TextBuffer(uint32_t n);
    // Recomputes the length after such a fill.
    void SyncLength();
    void TruncateAt(uint32_t i);

    const char* CText() const { return data_; }
    uint32_t Length() const { return length_; }
    uint32_t Capacity() const { return capacity_; }
    bool Empty() const { return length_ == 0; }
    // Byte access without bounds check; callers keep i < Length().
    unsigned char CharAt(uint32_t i) const { return static_cast<unsigned char>(data_[i]); }
    void SetCharAt(uint32_t i, unsigned char c) { data_[i] = static_cast<char>(c); }

    std::string Std() const { return std::string(data_, length_); }
    std::string_view View() const { return std::string_view(data_, length_); }

private:
    void Append(const char* text, uint32_t n);
    void Assign(const char* text, uint32_t n);

    char* data_ = nullptr;
    uint32_t capacity_ = 0;
    uint32_t length_ = 0;
};

// "Path #"_s + i: a StrValue literal, since a C string and a Number cannot be added in C++.
inline StrValue operator""_s(const char* text, std::size_t) { return StrValue(text); }

// Concatenation: a copy of the left operand with the right one appended.
StrValue operator+(const StrValue& a, const StrValue& b);
StrValue operator+(const StrValue& a, const char* b);
StrValue operator+(const char* a, const StrValue& b);
StrValue operator+(const StrValue& a, int b);
StrValue operator+(int a, const StrValue& b);
StrValue operator+(const StrValue& a, Number b);
StrValue operator+(Number a, const StrValue& b);
StrValue operator+(const StrValue& a, float b);
StrValue operator+(float a, const StrValue& b);

// Text comparison: byte by byte as unsigned bytes; the result is 1.0 or 0.0.
Number operator==(const StrValue& a, const StrValue& b);
Number operator!=(const StrValue& a, const StrValue& b);
Number operator<(const StrValue& a, const StrValue& b);
Number operator>(const StrValue& a, const StrValue& b);
Number operator<=(const StrValue& a, const StrValue& b);
Number operator>=(const StrValue& a, const StrValue& b);
Number operator==(const StrValue& a, const char* b);
Number operator!=(const StrValue& a, const char* b);
Number operator<(const StrValue& a, const char* b);
Number operator>(const StrValue& a, const char* b);
Number operator<=(const StrValue& a, const char* b);
Number operator>=(const StrValue& a, const char* b);
Number operator==(const char* a, const StrValue& b);
Number operator!=(const char* a, const StrValue& b);
Number operator<(const char* a, const StrValue& b);
Number operator>(const char* a, const StrValue& b);
Number operator<=(const char* a, const StrValue& b);
Number operator>=(const char* a, const StrValue& b);

// Numeric comparison: the text goes through TextToNumber first.
#define ZV_NUMERIC_COMPARISONS(T)                  \
    Number operator==(const StrValue& a, T b);     \
    Number operator!=(const StrValue& a, T b);     \
    Number operator<(const StrValue& a, T b);      \
    Number operator>(const StrValue& a, T b);      \
    Number operator<=(const StrValue& a, T b);     \
    Number operator>=(const StrValue& a, T b);     \
    Number operator==(T a, const StrValue& b);     \
    Number operator!=(T a, const StrValue& b);     \
    Number operator<(T a, const StrValue& b);      \
    Number operator>(T a, const StrValue& b);      \
    Number operator<=(T a, const StrValue& b);     \
    Number operator>=(T a, const StrValue& b);
ZV_NUMERIC_COMPARISONS(int)
ZV_NUMERIC_COMPARISONS(Number)
#undef ZV_NUMERIC_COMPARISONS

std::ostream& operator<<(std::ostream& os, const StrValue& s);

// Text functions.
Number TextLength(const StrValue& text);
StrValue MidText(const StrValue& text, Number start, Number count);
Number CharCode(const StrValue& text);
StrValue CharFromCode(Number code);
StrValue FormatNumber(Number width, Number decimals, Number value);
Number SplitText(const StrValue& text, DimArray<StrValue>& tokens, const StrValue& delimiters);
// The number at the start of the text: white space, a sign, digits with at most one
// decimal point, an exponent. No such number gives 0; one too large for a double gives
// the largest finite one of its sign, one too small gives 0.
Number TextToNumber(const StrValue& text);
// TextToNumber of a part of a text.
Number LeadingNumber(std::string_view text);
// At most ten significant digits, exponents with three digits, no trailing point.
StrValue NumberToText(Number value);
