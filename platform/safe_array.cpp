#include "platform/safe_array.h"

#include "platform/vb_convert.h"

#include <limits>

namespace com {

namespace {

Variant DefaultFor(VarType type) {
    switch (type) {
    case VarType::Boolean: return Variant(false);
    case VarType::Integer: return Variant(int16_t{0});
    case VarType::Long: return Variant(int32_t{0});
    case VarType::Double: return Variant(0.0);
    case VarType::String: return Variant(std::string());
    case VarType::Object: return Variant::Nothing();
    default: return Variant();
    }
}

void CheckBound(const ArrayBound& b) {
    if (b.count < 0) Raise(ErrorCode::SubscriptOutOfRange, "upper bound below lower bound");
}

}  // namespace

SafeArray::SafeArray() : SafeArray(VarType::Empty) {}

SafeArray::SafeArray(VarType elementType)
    : elementType_(elementType == VarType::Empty ? VarType::Empty : elementType), defaultElement_(DefaultFor(elementType)) {
    if (elementType == VarType::Null) Raise(ErrorCode::TypeMismatch, "arrays of Null");
}

SafeArray::SafeArray(VarType elementType, std::vector<ArrayBound> bounds) : SafeArray(elementType) {
    if (elementType == VarType::Record) Raise(ErrorCode::TypeMismatch, "record arrays are made with SafeArray::Records");
    ReDim(std::move(bounds));
}

SafeArray SafeArray::Vector(VarType elementType, int32_t count) { return SafeArray(elementType, {ArrayBound{0, count}}); }

SafeArray SafeArray::Matrix(VarType elementType, int32_t rows, int32_t cols) {
    return SafeArray(elementType, {ArrayBound{0, rows}, ArrayBound{0, cols}});
}

SafeArray SafeArray::FromStrings(const std::vector<std::string>& items) {
    SafeArray a = Vector(VarType::String, static_cast<int32_t>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) a.data_[i] = Variant(items[i]);
    return a;
}

SafeArray SafeArray::FromDoubles(const std::vector<double>& items) {
    SafeArray a = Vector(VarType::Double, static_cast<int32_t>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) a.data_[i] = Variant(items[i]);
    return a;
}

SafeArray SafeArray::FromInt16s(const std::vector<int16_t>& items) {
    SafeArray a = Vector(VarType::Integer, static_cast<int32_t>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) a.data_[i] = Variant(items[i]);
    return a;
}

SafeArray SafeArray::FromVariants(const std::vector<Variant>& items) {
    SafeArray a = Vector(VarType::Empty, static_cast<int32_t>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) a.data_[i] = items[i];
    return a;
}

std::vector<std::string> SafeArray::ToStrings() const {
    if (Dims() > 1) Raise(ErrorCode::TypeMismatch, "two-dimensional array");
    std::vector<std::string> out;
    out.reserve(data_.size());
    for (const Variant& v : data_) out.push_back(vb::CStr(v));
    return out;
}

std::vector<double> SafeArray::ToDoubles() const {
    if (Dims() > 1) Raise(ErrorCode::TypeMismatch, "two-dimensional array");
    std::vector<double> out;
    out.reserve(data_.size());
    for (const Variant& v : data_) out.push_back(vb::CDbl(v));
    return out;
}

std::vector<int16_t> SafeArray::ToInt16s() const {
    if (Dims() > 1) Raise(ErrorCode::TypeMismatch, "two-dimensional array");
    std::vector<int16_t> out;
    out.reserve(data_.size());
    for (const Variant& v : data_) out.push_back(vb::CInt(v));
    return out;
}

std::vector<Variant> SafeArray::ToVariants() const {
    if (Dims() > 1) Raise(ErrorCode::TypeMismatch, "two-dimensional array");
    return data_;
}

int32_t SafeArray::LBound(int dim) const {
    if (dim < 1 || dim > Dims()) Raise(ErrorCode::SubscriptOutOfRange);
    return bounds_[dim - 1].lower;
}

int32_t SafeArray::UBound(int dim) const {
    if (dim < 1 || dim > Dims()) Raise(ErrorCode::SubscriptOutOfRange);
    const ArrayBound& b = bounds_[dim - 1];
    const int64_t upper = int64_t{b.lower} + b.count - 1;
    if (upper > std::numeric_limits<int32_t>::max()) Raise(ErrorCode::Overflow, "upper bound " + std::to_string(upper));
    return static_cast<int32_t>(upper);
}

std::size_t SafeArray::Offset(int32_t i) const {
    if (Dims() != 1) Raise(ErrorCode::SubscriptOutOfRange, "wrong number of dimensions");
    int64_t k = int64_t{i} - bounds_[0].lower;
    if (k < 0 || k >= bounds_[0].count) Raise(ErrorCode::SubscriptOutOfRange);
    return static_cast<std::size_t>(k);
}

std::size_t SafeArray::Offset(int32_t i, int32_t j) const {
    if (Dims() != 2) Raise(ErrorCode::SubscriptOutOfRange, "wrong number of dimensions");
    int64_t a = int64_t{i} - bounds_[0].lower;
    int64_t b = int64_t{j} - bounds_[1].lower;
    if (a < 0 || a >= bounds_[0].count || b < 0 || b >= bounds_[1].count) Raise(ErrorCode::SubscriptOutOfRange);
    return static_cast<std::size_t>(a * bounds_[1].count + b);
}

const Variant& SafeArray::Get(int32_t i) const { return data_[Offset(i)]; }
const Variant& SafeArray::Get(int32_t i, int32_t j) const { return data_[Offset(i, j)]; }
void SafeArray::Put(int32_t i, Variant value) { data_[Offset(i)] = Coerce(std::move(value)); }
void SafeArray::Put(int32_t i, int32_t j, Variant value) { data_[Offset(i, j)] = Coerce(std::move(value)); }
Variant& SafeArray::Ref(int32_t i) { return data_[Offset(i)]; }
Variant& SafeArray::Ref(int32_t i, int32_t j) { return data_[Offset(i, j)]; }

Variant SafeArray::Coerce(Variant value) const {
    switch (elementType_) {
    case VarType::Empty: return value;  // Variant elements take anything
    case VarType::Boolean: return Variant(vb::CBool(value));
    case VarType::Integer: return Variant(vb::CInt(value));
    case VarType::Long: return Variant(vb::CLng(value));
    case VarType::Double: return Variant(vb::CDbl(value));
    case VarType::String: return Variant(vb::CStr(value));
    case VarType::Object:
        if (!value.IsObject()) Raise(ErrorCode::TypeMismatch, "object expected");
        return value;
    case VarType::Record:
        if (!value.IsRecord() || value.Record().TypeName() != defaultElement_.Record().TypeName())
            Raise(ErrorCode::TypeMismatch, "record of another type");
        return value;
    case VarType::Array:
        if (!value.IsArray()) Raise(ErrorCode::TypeMismatch, "array expected");
        return value;
    case VarType::Null: break;
    }
    Raise(ErrorCode::TypeMismatch);
}

void SafeArray::ReDim(std::vector<ArrayBound> bounds) {
    if (bounds.empty() || bounds.size() > 2) Raise(ErrorCode::SubscriptOutOfRange, "one or two dimensions");
    std::size_t total = 1;
    for (const ArrayBound& b : bounds) {
        CheckBound(b);
        total *= static_cast<std::size_t>(b.count);
    }
    bounds_ = std::move(bounds);
    data_.assign(total, defaultElement_);
}

void SafeArray::ReDimPreserve(int32_t newUpperBound) {
    if (!IsSized()) {
        ReDim({ArrayBound{0, newUpperBound + 1}});
        return;
    }
    ArrayBound last = bounds_.back();
    const int64_t count = int64_t{newUpperBound} - last.lower + 1;
    if (count > std::numeric_limits<int32_t>::max()) Raise(ErrorCode::Overflow, "too many elements");
    ArrayBound grown{last.lower, static_cast<int32_t>(count)};
    CheckBound(grown);
    if (Dims() == 1) {
        data_.resize(static_cast<std::size_t>(grown.count), defaultElement_);
    } else {
        std::vector<Variant> data(static_cast<std::size_t>(bounds_[0].count) * grown.count, defaultElement_);
        int32_t keep = std::min(last.count, grown.count);
        for (int32_t r = 0; r < bounds_[0].count; ++r)
            for (int32_t c = 0; c < keep; ++c) data[r * grown.count + c] = std::move(data_[r * last.count + c]);
        data_ = std::move(data);
    }
    bounds_.back() = grown;
}

void RequireLongSubscripts(const Variant& value) {
    // A stack rather than recursion: arrays may nest as deep as a caller likes.
    std::vector<const Variant*> pending{&value};
    while (!pending.empty()) {
        const Variant* v = pending.back();
        pending.pop_back();
        if (!v->IsArray()) continue;
        const SafeArray& a = v->Array();
        for (const ArrayBound& b : a.Bounds()) {
            const int64_t upper = int64_t{b.lower} + b.count - 1;
            if (b.lower == std::numeric_limits<int32_t>::min() || upper >= std::numeric_limits<int32_t>::max())
                Raise(ErrorCode::InvalidInput, "array bounds (" + std::to_string(b.lower) + " To " +
                                                   std::to_string(upper) + ") run past the 32-bit range");
        }
        if (a.ElementType() != VarType::Empty && a.ElementType() != VarType::Array) continue;
        for (std::size_t i = 0; i < a.Size(); ++i) pending.push_back(&a.data_[i]);
    }
}

bool SafeArray::operator==(const SafeArray& other) const {
    return elementType_ == other.elementType_ && bounds_ == other.bounds_ && data_ == other.data_;
}

}  // namespace com
