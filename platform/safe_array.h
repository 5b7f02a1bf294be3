#pragma once
// Automation arrays of one or two dimensions with lower bounds, typed elements and
// ReDim Preserve growth. An array that was never sized (Dims() == 0) is distinct from an
// empty one: its bounds cannot be read (Subscript out of range), as in VB.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/variant.h"

namespace com {

struct ArrayBound {
    int32_t lower = 0;
    int32_t count = 0;  // elements in the dimension; upper bound = lower + count - 1
    bool operator==(const ArrayBound&) const = default;
};

class SafeArray {
public:
    // Never sized, Variant elements.
    SafeArray();
    // Never sized, with the given element type.
    explicit SafeArray(VarType elementType);
    SafeArray(VarType elementType, std::vector<ArrayBound> bounds);

    // 0 To count - 1; count 0 gives an empty array (UBound -1).
    static SafeArray Vector(VarType elementType, int32_t count);
    // (0 To rows - 1, 0 To cols - 1)
    static SafeArray Matrix(VarType elementType, int32_t rows, int32_t cols);
    template <RecordType T>
    static SafeArray Records(int32_t count, const T& prototype = T{}) {
        SafeArray a(VarType::Record);
        a.defaultElement_ = Variant::FromRecord(prototype);
        a.ReDim({ArrayBound{0, count}});
        return a;
    }

    template <RecordType T>
    static SafeArray UnsizedRecords(const T& prototype = T{}) {
        SafeArray a(VarType::Record);
        a.defaultElement_ = Variant::FromRecord(prototype);
        return a;
    }

    static SafeArray FromStrings(const std::vector<std::string>& items);
    static SafeArray FromDoubles(const std::vector<double>& items);
    static SafeArray FromInt16s(const std::vector<int16_t>& items);
    static SafeArray FromVariants(const std::vector<Variant>& items);
    // Element conversions with the VB rules (vb::CStr, vb::CDbl, vb::CInt) for 1-D arrays.
    std::vector<std::string> ToStrings() const;
    std::vector<double> ToDoubles() const;
    std::vector<int16_t> ToInt16s() const;
    std::vector<Variant> ToVariants() const;

    VarType ElementType() const noexcept { return elementType_; }
    int Dims() const noexcept { return static_cast<int>(bounds_.size()); }
    bool IsSized() const noexcept { return !bounds_.empty(); }
    const std::vector<ArrayBound>& Bounds() const noexcept { return bounds_; }
    // dim counts from 1; an unsized array or a dimension it lacks raises Subscript out of range.
    // An upper bound past the 32-bit range (an array from outside, see RequireLongSubscripts)
    // raises Overflow.
    int32_t LBound(int dim = 1) const;
    int32_t UBound(int dim = 1) const;
    // Number of elements in all dimensions together (0 when never sized).
    std::size_t Size() const noexcept { return data_.size(); }

    const Variant& Get(int32_t i) const;
    const Variant& Get(int32_t i, int32_t j) const;
    // Stores the value converted to the element type (Type mismatch / Overflow as VB).
    void Put(int32_t i, Variant value);
    void Put(int32_t i, int32_t j, Variant value);
    // In-place access for Variant and Record elements (records updated by reference).
    Variant& Ref(int32_t i);
    Variant& Ref(int32_t i, int32_t j);
    template <RecordType T>
    T& RecordAt(int32_t i) {
        return Ref(i).RecordAs<T>();
    }

    // ReDim: new bounds, elements reset to the element type's default value.
    void ReDim(std::vector<ArrayBound> bounds);
    // ReDim Preserve: only the upper bound of the last dimension changes; kept elements
    // keep their values, new ones take the default value. An unsized array becomes 1-D.
    void ReDimPreserve(int32_t newUpperBound);

    bool operator==(const SafeArray& other) const;

private:
    friend void RequireLongSubscripts(const Variant& value);

    std::size_t Offset(int32_t i) const;
    std::size_t Offset(int32_t i, int32_t j) const;
    Variant Coerce(Variant value) const;

    VarType elementType_;
    std::vector<ArrayBound> bounds_;
    std::vector<Variant> data_;  // row-major: (i, j) at (i - l1) * n2 + (j - l2)
    Variant defaultElement_;
};

// A one-dimensional host array handed to a member as a vector, with its lower bound kept, for
// members that index it by subscripts given in another argument. A vector from C++ converts
// with lower bound 0.
template <class T>
class BoundedArray {
public:
    BoundedArray() = default;
    BoundedArray(std::vector<T> items, int32_t lower = 0) : items_(std::move(items)), lower_(lower) {}
    BoundedArray(std::initializer_list<T> items) : items_(items) {}

    int32_t LBound() const noexcept { return lower_; }
    // Below LBound for an array without elements.
    int64_t UBound() const noexcept { return int64_t{lower_} + static_cast<int64_t>(items_.size()) - 1; }
    const std::vector<T>& Items() const noexcept { return items_; }
    bool Holds(int64_t subscript) const noexcept { return subscript >= lower_ && subscript <= UBound(); }
    // A subscript outside the bounds raises Subscript out of range.
    const T& At(int64_t subscript) const {
        if (!Holds(subscript))
            Raise(ErrorCode::SubscriptOutOfRange, "subscript " + std::to_string(subscript) + " outside (" +
                                                      std::to_string(lower_) + " To " + std::to_string(UBound()) + ")");
        return items_[static_cast<std::size_t>(subscript - lower_)];
    }

private:
    std::vector<T> items_;
    int32_t lower_ = 0;
};

// An array a caller hands in, and every array inside its Variant elements, must have its
// subscripts, one before the first and one past the last included, within the 32-bit range,
// so that no walk over it overflows; other arrays raise Invalid input. Other values pass.
void RequireLongSubscripts(const Variant& value);

}  // namespace com
