// DimArray: the runtime's checked array of up to eight dimensions.
//
// Arrays of Number, StrValue and record types share one header: extents, strides
// (first index fastest) and a capacity that is the element count rounded down to a
// multiple of 8, plus 8. Capacity survives shrinking Dims, and Number arrays of up
// to 16 elements live inside the header. Every access is checked; a failed check
// records end code 8 (empty array) or 9 (index out of range) and ends the program.
//
// Usage: DimArray<Number> pos; pos.Dim(10, 4); pos(3, 2) = 1.5;
//
// Dependencies: strvalue, program.
#pragma once

#include <algorithm>   // Required for: std::min, std::fill
#include <array>
#include <cstdint>
#include <memory>      // Required for: std::unique_ptr
#include <new>         // Required for: std::bad_alloc
#include <type_traits>

#include "runtime/frame/program.h"    // Required for: RaiseRuntimeError, EndProgram
#include "runtime/frame/strvalue.h"   // Required for: Number, ToInt

namespace dimarray_detail {
// Element counts above this are refused as storage that cannot be had (end code 7).
constexpr int64_t kMaxElements = int64_t(1) << 31;
[[noreturn]] inline void Fail(int code) {
    RaiseRuntimeError(code);
    EndProgram();
}
}  // namespace dimarray_detail

template <class T>
class DimArray {
    static constexpr bool kInline = std::is_same_v<T, Number>;
    static constexpr int kInlineCount = kInline ? 16 : 1;

public:
    DimArray() = default;
    DimArray(const DimArray& other) { CopyFrom(other); }
    DimArray& operator=(const DimArray& other) {
        if (this != &other) CopyFrom(other);
        return *this;
    }
    DimArray(DimArray&& other) noexcept { MoveFrom(other); }
    DimArray& operator=(DimArray&& other) noexcept {
        if (this != &other) MoveFrom(other);
        return *this;
    }

    // Sizes the array and clears its elements; d0 < 1 empties it.
    void Dim(Number d0, Number d1 = 0, Number d2 = 0, Number d3 = 0, Number d4 = 0, Number d5 = 0,
             Number d6 = 0, Number d7 = 0) {
        const Number in[8] = {d0, d1, d2, d3, d4, d5, d6, d7};
        int32_t dims[8];
        bool empty = ToInt(d0) < 1;
        int64_t n = 1;
        for (int k = 0; k < 8; ++k) {
            dims[k] = empty ? 0 : std::max<int32_t>(0, ToInt(in[k]));
            n *= std::max<int64_t>(1, dims[k]);
            if (n > dimarray_detail::kMaxElements) dimarray_detail::Fail(kEndStorageMissing);
        }
        const int64_t needed = (n / 8) * 8 + 8;
        const bool fresh = needed > capacity_ || empty;
        if (fresh) Allocate(needed);
        if (!elements_) dimarray_detail::Fail(kEndStorageMissing);
        if constexpr (kInline) {
            std::fill(elements_, elements_ + capacity_, 0.0);
        } else if (!fresh) {
            for (int64_t i = 0; i < needed; ++i) elements_[i] = T();
        }
        SetShape(dims);
    }

    // Resizes keeping every element whose indices lie inside both the old and new extents.
    void Redim(Number d0, Number d1 = 0, Number d2 = 0, Number d3 = 0, Number d4 = 0, Number d5 = 0,
               Number d6 = 0, Number d7 = 0) {
        DimArray tmp;
        tmp.Dim(d0, d1, d2, d3, d4, d5, d6, d7);
        if (elements_ && dims_[0] > 0 && tmp.dims_[0] > 0) {
            int32_t lim[8];
            int depth = 8;
            for (int k = 0; k < 8; ++k) {
                lim[k] = std::min(std::max(1, dims_[k]), std::max(1, tmp.dims_[k]));
                // The nesting stops at the first dimension whose smaller extent is 0.
                if (k > 0 && std::min(dims_[k], tmp.dims_[k]) == 0 && depth == 8) depth = k;
            }
            for (int k = depth; k < 8; ++k) lim[k] = 1;
            int32_t idx[8] = {0, 0, 0, 0, 0, 0, 0, 0};
            for (;;) {
                tmp.elements_[tmp.Offset(idx)] = elements_[Offset(idx)];
                int k = 0;
                while (k < 8 && ++idx[k] >= lim[k]) idx[k++] = 0;
                if (k == 8) break;
            }
        }
        MoveFrom(tmp);
    }

    // The extent of dimension k (0 ... 7); any other k gives 0.
    Number Extent(Number k) const {
        const int32_t i = ToInt(k);
        return (i >= 0 && i < 8) ? dims_[i] : 0;
    }

    // Checked access with the runtime's order of checks.
    T& Element(Number i0, Number i1 = 0, Number i2 = 0, Number i3 = 0, Number i4 = 0, Number i5 = 0,
               Number i6 = 0, Number i7 = 0) {
        const Number in[8] = {i0, i1, i2, i3, i4, i5, i6, i7};
        if (dims_[0] == 0) dimarray_detail::Fail(kEndArrayEmpty);
        if (!elements_) dimarray_detail::Fail(kEndIndexOutOfRange);
        int64_t offset = 0;
        for (int k = 0; k < 8; ++k) {
            // An unused dimension holds exactly one index, 0; anything more would leave the
            // storage. The untruncated index is compared, and NaN fails too.
            const Number limit = dims_[k] != 0 ? dims_[k] : 1;
            if (!(in[k] >= 0 && in[k] < limit)) dimarray_detail::Fail(kEndIndexOutOfRange);
            offset += static_cast<int64_t>(in[k]) * strides_[k];
        }
        return elements_[offset];
    }
    const T& Element(Number i0, Number i1 = 0, Number i2 = 0, Number i3 = 0, Number i4 = 0,
                     Number i5 = 0, Number i6 = 0, Number i7 = 0) const {
        return const_cast<DimArray*>(this)->Element(i0, i1, i2, i3, i4, i5, i6, i7);
    }
    T& operator()(Number i0, Number i1 = 0, Number i2 = 0, Number i3 = 0, Number i4 = 0,
                  Number i5 = 0, Number i6 = 0, Number i7 = 0) {
        return Element(i0, i1, i2, i3, i4, i5, i6, i7);
    }
    const T& operator()(Number i0, Number i1 = 0, Number i2 = 0, Number i3 = 0, Number i4 = 0,
                        Number i5 = 0, Number i6 = 0, Number i7 = 0) const {
        return Element(i0, i1, i2, i3, i4, i5, i6, i7);
    }

    // Header facts, for tests and for code that checks before indexing.
    int32_t Capacity() const { return static_cast<int32_t>(capacity_); }
    int32_t DimCount() const { return dimCount_; }
    bool UsesInlineStore() const {
        if constexpr (kInline) return elements_ == inlineStore_.data();
        return false;
    }
    // Unchecked storage, for bulk operations that already know their bounds.
    T* Data() { return elements_; }
    const T* Data() const { return elements_; }

private:
    void Allocate(int64_t capacity) {
        heap_.reset();
        elements_ = nullptr;
        capacity_ = 0;
        if (kInline && capacity <= kInlineCount) {
            elements_ = inlineStore_.data();
        } else {
            try {
                heap_.reset(new T[capacity]);
            } catch (const std::bad_alloc&) {
                dimarray_detail::Fail(kEndStorageMissing);
            }
            elements_ = heap_.get();
        }
        capacity_ = capacity;
    }

    void SetShape(const int32_t dims[8]) {
        dimCount_ = 1;
        for (int k = 0; k < 8; ++k) {
            dims_[k] = dims[k];
            if (k > 0 && dims[k] != 0) dimCount_ = k + 1;
        }
        int64_t stride = 1;
        for (int k = 0; k < 8; ++k) {
            strides_[k] = stride;
            stride *= std::max(1, dims_[k]);
        }
    }

    int64_t Offset(const int32_t idx[8]) const {
        int64_t o = 0;
        for (int k = 0; k < 8; ++k) o += int64_t(idx[k]) * strides_[k];
        return o;
    }

    void CopyFrom(const DimArray& other) {
        heap_.reset();
        elements_ = nullptr;
        capacity_ = 0;
        if (other.elements_) {
            Allocate(other.capacity_);
            std::copy(other.elements_, other.elements_ + other.capacity_, elements_);
        }
        CopyHeader(other);
    }

    void MoveFrom(DimArray& other) {
        if (other.UsesInlineStore()) {
            heap_.reset();
            inlineStore_ = other.inlineStore_;
            elements_ = inlineStore_.data();
        } else {
            heap_ = std::move(other.heap_);
            elements_ = heap_.get();
        }
        capacity_ = other.capacity_;
        CopyHeader(other);
        other.elements_ = nullptr;
        other.capacity_ = 0;
        other.heap_.reset();
        std::fill(std::begin(other.dims_), std::end(other.dims_), 0);
        other.dimCount_ = 1;
    }

    void CopyHeader(const DimArray& other) {
        std::copy(std::begin(other.dims_), std::end(other.dims_), std::begin(dims_));
        std::copy(std::begin(other.strides_), std::end(other.strides_), std::begin(strides_));
        dimCount_ = other.dimCount_;
    }

    T* elements_ = nullptr;
    std::array<T, kInlineCount> inlineStore_{};
    std::unique_ptr<T[]> heap_;
    int64_t strides_[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    int32_t dims_[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int32_t dimCount_ = 1;
    int64_t capacity_ = 0;
};

// The runtime's free-function forms.
template <class T, class... D>
void Dim(DimArray<T>& a, Number d0, D... d) { a.Dim(d0, Number(d)...); }
template <class T, class... D>
void Redim(DimArray<T>& a, Number d0, D... d) { a.Redim(d0, Number(d)...); }
template <class T>
Number Extent(const DimArray<T>& a, Number k) { return a.Extent(k); }
