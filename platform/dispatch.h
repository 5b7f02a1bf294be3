#pragma once
// Late binding. Every automation object (the drawing stand-in's objects, Civil 3D's, the
// host's, and the library's own classes) is a Dispatch: its members are reachable by name
// with Variant arguments passed by reference, as IDispatch::Invoke offers them. The names
// come from one table per class built from the C++ member functions themselves, so the
// typed and the late-bound interface cannot drift apart.

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/safe_array.h"
#include "platform/variant.h"
#include "platform/vb_convert.h"

namespace com {

// VB's CallByName call types.
enum class CallType { Method = 1, Get = 2, Let = 4, Set = 8 };

using ArgRefs = std::span<Variant* const>;

class DispatchTable;

// Automation identifiers (member names, programmatic and class identifiers) are ASCII
// and compared without regard to case.
bool SameIdentifier(std::string_view a, std::string_view b);

class Dispatch : public std::enable_shared_from_this<Dispatch> {
public:
    virtual ~Dispatch() = default;
    // VB's TypeName of the object.
    virtual std::string_view TypeName() const = 0;
    virtual const DispatchTable& Table() const = 0;
    // Member names are matched without regard to case, as automation does. Arguments are
    // by reference: a member that updates a parameter writes the new value back. An
    // unknown member raises "Object doesn't support this property or method" (438).
    virtual Variant Invoke(std::string_view name, CallType type, ArgRefs args);
    bool Supports(std::string_view name) const;
};

// What a type library tells of a method: its parameters, each as whether a value converts
// to the parameter's type.
struct MethodSignature {
    std::vector<std::function<bool(const Variant&)>> converts;
};

class DispatchTable {
public:
    using Thunk = std::function<Variant(Dispatch&, ArgRefs)>;
    using Signature = MethodSignature;
    struct Entry {
        std::string name;
        Thunk method;
        Thunk get;
        Thunk put;
        Signature methodSignature;
    };

    const Entry* Find(std::string_view name) const;
    std::vector<std::string> Names() const;
    Variant Invoke(Dispatch& self, std::string_view name, CallType type, ArgRefs args) const;
    // A later registration of the same name and kind replaces the earlier one, so a
    // derived class can override what it inherits.
    void Add(std::string_view name, CallType type, Thunk thunk, Signature signature = {});
    void Inherit(const DispatchTable& base);

private:
    std::vector<Entry> entries_;
};

// ---- Conversions between Variants and the C++ types of the typed interfaces -------

template <class T>
inline constexpr bool kIsDispatchClass = std::is_class_v<T> && std::is_base_of_v<Dispatch, T>;

template <class T>
struct IsSharedPtr : std::false_type {};
template <class T>
struct IsSharedPtr<std::shared_ptr<T>> : std::true_type {
    using Element = T;
};

template <class T, class = void>
struct Convert;

template <>
struct Convert<Variant> {
    static Variant From(const Variant& v) { return v; }
    static Variant To(const Variant& v) { return v; }
};
template <>
struct Convert<std::string> {
    static std::string From(const Variant& v) { return vb::CStr(v); }
    static Variant To(const std::string& v) { return Variant(v); }
    static Variant To(std::string&& v) { return Variant(std::move(v)); }
};
template <>
struct Convert<bool> {
    static bool From(const Variant& v) { return vb::CBool(v); }
    static Variant To(bool v) { return Variant(v); }
};
template <>
struct Convert<int16_t> {
    static int16_t From(const Variant& v) { return vb::CInt(v); }
    static Variant To(int16_t v) { return Variant(v); }
};
template <>
struct Convert<int32_t> {
    static int32_t From(const Variant& v) { return vb::CLng(v); }
    static Variant To(int32_t v) { return Variant(v); }
};
template <>
struct Convert<double> {
    static double From(const Variant& v) { return vb::CDbl(v); }
    static Variant To(double v) { return Variant(v); }
};
template <>
struct Convert<SafeArray> {
    static SafeArray From(const Variant& v) { return v.Array(); }
    static Variant To(const SafeArray& v) { return Variant(v); }
};
template <>
struct Convert<std::vector<std::string>> {
    static std::vector<std::string> From(const Variant& v) { return v.Array().ToStrings(); }
    static Variant To(const std::vector<std::string>& v) { return Variant(SafeArray::FromStrings(v)); }
};
template <>
struct Convert<std::vector<double>> {
    static std::vector<double> From(const Variant& v) { return v.Array().ToDoubles(); }
    static Variant To(const std::vector<double>& v) { return Variant(SafeArray::FromDoubles(v)); }
};
template <>
struct Convert<std::vector<int16_t>> {
    static std::vector<int16_t> From(const Variant& v) { return v.Array().ToInt16s(); }
    static Variant To(const std::vector<int16_t>& v) { return Variant(SafeArray::FromInt16s(v)); }
};
template <>
struct Convert<std::vector<Variant>> {
    static std::vector<Variant> From(const Variant& v) { return v.Array().ToVariants(); }
    static Variant To(const std::vector<Variant>& v) { return Variant(SafeArray::FromVariants(v)); }
};
// The lower bound of an array that was never sized is 0, as for the vector it gives.
template <class T>
struct Convert<BoundedArray<T>> {
    static BoundedArray<T> From(const Variant& v) {
        const int32_t lower = v.IsArray() && v.Array().Dims() == 1 ? v.Array().LBound() : 0;
        return BoundedArray<T>(Convert<std::vector<T>>::From(v), lower);
    }
};
// Points: an array of exactly N numbers (3 for AutoCAD points); anything else is invalid input.
template <std::size_t N>
struct Convert<std::array<double, N>> {
    static std::array<double, N> From(const Variant& v) {
        if (!v.IsArray()) Raise(ErrorCode::InvalidInput, "a point must be an array of numbers");
        std::vector<double> d = v.Array().ToDoubles();
        if (d.size() != N) Raise(ErrorCode::InvalidInput, "a point must have " + std::to_string(N) + " coordinates");
        std::array<double, N> out{};
        for (std::size_t i = 0; i < N; ++i) out[i] = d[i];
        return out;
    }
    static Variant To(const std::array<double, N>& p) { return Variant(SafeArray::FromDoubles({p.begin(), p.end()})); }
};
// Objects: Empty and Nothing give nullptr; an object of another class is a type mismatch.
template <class T>
struct Convert<std::shared_ptr<T>, std::enable_if_t<kIsDispatchClass<T>>> {
    static std::shared_ptr<T> From(const Variant& v) {
        if (v.IsEmpty() || v.IsNothing()) return nullptr;
        if (!v.IsObject()) Raise(ErrorCode::TypeMismatch, "object expected");
        auto p = std::dynamic_pointer_cast<T>(v.Object());
        if (!p) Raise(ErrorCode::TypeMismatch, "object of another class");
        return p;
    }
    static Variant To(const std::shared_ptr<T>& p) { return Variant(ObjectPtr(p)); }
};
template <class T>
struct Convert<std::vector<std::shared_ptr<T>>, std::enable_if_t<kIsDispatchClass<T>>> {
    static std::vector<std::shared_ptr<T>> From(const Variant& v) {
        std::vector<std::shared_ptr<T>> out;
        for (const Variant& item : v.Array().ToVariants()) out.push_back(Convert<std::shared_ptr<T>>::From(item));
        return out;
    }
    static Variant To(const std::vector<std::shared_ptr<T>>& items) {
        SafeArray a = SafeArray::Vector(VarType::Object, static_cast<int32_t>(items.size()));
        for (std::size_t i = 0; i < items.size(); ++i) a.Put(static_cast<int32_t>(i), Variant(ObjectPtr(items[i])));
        return Variant(std::move(a));
    }
};
template <RecordType T>
struct Convert<T> {
    static T From(const Variant& v) { return v.RecordAs<T>(); }
    static Variant To(const T& v) { return Variant::FromRecord(v); }
};
template <RecordType T>
struct Convert<std::vector<T>> {
    static std::vector<T> From(const Variant& v) {
        std::vector<T> out;
        for (const Variant& item : v.Array().ToVariants()) out.push_back(item.RecordAs<T>());
        return out;
    }
    static Variant To(const std::vector<T>& items) {
        SafeArray a = SafeArray::Records<T>(static_cast<int32_t>(items.size()));
        for (std::size_t i = 0; i < items.size(); ++i) a.Put(static_cast<int32_t>(i), Variant::FromRecord(items[i]));
        return Variant(std::move(a));
    }
};

template <class T>
Variant ToVariant(const T& value) {
    return Convert<T>::To(value);
}
template <class T>
T FromVariant(const Variant& v) {
    return Convert<T>::From(v);
}

namespace detail {

template <class P>
inline constexpr bool kTextByReference = std::is_same_v<P, std::string&>;

// Marks the parameters whose variable also goes to a text parameter by reference, and makes
// each such variable a text. As in VB, those parameters are the caller's one variable.
void TieToTexts(ArgRefs args, std::span<const bool> texts, std::span<bool> tied);

// One argument of a late-bound call: converted in, and written back when the member
// takes it by non-const reference. A text variable passed by reference is the caller's own
// text, as a by-reference string is: taken over without a copy and handed back after the
// call, a failed one too, so the member's changes stand (the erase lists grow with every
// handler call, and copying them in and out would make a long erasure quadratic).
// A variable also given to another parameter is not taken, or that one would read it
// empty: its text parameters are bound to the variable's own text, so each sees what the
// others write; a parameter of another type by reference is a copy that cannot share it,
// written back only when the member changed it, so it never undoes a text's changes.
template <class P>
class ArgHolder {
    using D = std::remove_cvref_t<P>;
    static constexpr bool kObjectRef = kIsDispatchClass<D>;
    static constexpr bool kWriteBack =
        std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>> && !kObjectRef;
    static constexpr bool kTextByReference = detail::kTextByReference<P>;
    static constexpr bool kKeepsBound = kWriteBack && !kTextByReference && std::equality_comparable<D>;

public:
    ArgHolder(ArgRefs args, std::size_t index, bool tied) : slot_(index < args.size() ? args[index] : nullptr) {
        if constexpr (kObjectRef) {
            if (slot_ != nullptr) object_ = Convert<std::shared_ptr<D>>::From(*slot_);
            if (!object_) Raise(ErrorCode::ObjectRequired);
        } else if (slot_ != nullptr && !(kWriteBack && slot_->IsEmpty())) {
            if constexpr (kTextByReference) {
                if (tied) {
                    shared_ = &slot_->Str();
                    return;
                }
                if (slot_->IsString()) {
                    value_ = std::move(slot_->Str());
                    taken_ = true;
                    return;
                }
            }
            // An Empty variable passed by reference is an output still to be filled.
            value_ = Convert<D>::From(*slot_);
        }
        if constexpr (kKeepsBound) {
            if (tied) bound_ = value_;
        }
    }
    ArgHolder(ArgHolder&& other) noexcept
        : slot_(other.slot_), taken_(std::exchange(other.taken_, false)), shared_(other.shared_),
          value_(std::move(other.value_)), bound_(std::move(other.bound_)), object_(std::move(other.object_)) {}
    ArgHolder& operator=(ArgHolder&&) = delete;
    ~ArgHolder() {
        if constexpr (kTextByReference) {
            if (taken_) slot_->Str() = std::move(value_);
        }
    }
    decltype(auto) Get() {
        if constexpr (kObjectRef) {
            return static_cast<P>(*object_);
        } else if constexpr (std::is_lvalue_reference_v<P>) {
            if constexpr (kTextByReference) {
                if (shared_ != nullptr) return static_cast<P>(*shared_);
            }
            return static_cast<P>(value_);
        } else {
            return std::move(value_);
        }
    }
    // Once, after the call: the value is handed over, not copied.
    void WriteBack() {
        if constexpr (kWriteBack) {
            if constexpr (kTextByReference) {
                if (shared_ != nullptr) return;  // written in place
            }
            if constexpr (kKeepsBound) {
                if (bound_ && *bound_ == value_) return;
            }
            if (slot_ != nullptr) *slot_ = Convert<D>::To(std::move(value_));
            if constexpr (kTextByReference) taken_ = false;
        }
    }

private:
    Variant* slot_;
    bool taken_ = false;
    std::string* shared_ = nullptr;
    std::conditional_t<kObjectRef, std::shared_ptr<D>, D> value_{};
    std::conditional_t<kKeepsBound, std::optional<D>, bool> bound_{};
    std::shared_ptr<D> object_;
};

// Whether a value converts to a parameter of type P, as ArgHolder would take it.
template <class P>
bool Converts(const Variant& v) {
    using D = std::remove_cvref_t<P>;
    try {
        if constexpr (kIsDispatchClass<D>) {
            return Convert<std::shared_ptr<D>>::From(v) != nullptr;
        } else {
            constexpr bool kOutput = std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>;
            if (!(kOutput && v.IsEmpty())) Convert<D>::From(v);
            return true;
        }
    } catch (const Error&) {
        return false;
    }
}

template <class F>
struct MemberTraits;
template <class T, class R, class... P>
struct MemberTraits<R (T::*)(P...)> {
    using Class = T;
    using Result = R;
    using Params = std::tuple<P...>;
    static constexpr std::size_t kArity = sizeof...(P);
};
template <class T, class R, class... P>
struct MemberTraits<R (T::*)(P...) const> : MemberTraits<R (T::*)(P...)> {};
template <class T, class R, class... P>
struct MemberTraits<R (T::*)(P...) noexcept> : MemberTraits<R (T::*)(P...)> {};
template <class T, class R, class... P>
struct MemberTraits<R (T::*)(P...) const noexcept> : MemberTraits<R (T::*)(P...)> {};

template <class T, class F, class R, class... P, std::size_t... I>
Variant CallMember(T& self, F fn, ArgRefs args, std::tuple<P...>*, std::index_sequence<I...>) {
    (void)args;  // unused by members without parameters
    std::array<bool, sizeof...(P)> tied{};
    if constexpr ((kTextByReference<P> || ...)) {
        constexpr std::array<bool, sizeof...(P)> texts{kTextByReference<P>...};
        TieToTexts(args, texts, tied);
    }
    std::tuple<ArgHolder<P>...> holders{ArgHolder<P>(args, I, tied[I])...};
    if constexpr (std::is_void_v<R>) {
        (self.*fn)(std::get<I>(holders).Get()...);
        (std::get<I>(holders).WriteBack(), ...);
        return Variant();
    } else {
        Variant result = ToVariant<std::remove_cvref_t<R>>((self.*fn)(std::get<I>(holders).Get()...));
        (std::get<I>(holders).WriteBack(), ...);
        return result;
    }
}

}  // namespace detail

// Builds a class's table from its member functions. `required` is the number of leading
// parameters a late-bound caller must supply; the rest are optional and take the
// parameter type's default when omitted.
template <class T>
class TableBuilder {
public:
    explicit TableBuilder(DispatchTable& table) : table_(table) {}

    TableBuilder& Inherit(const DispatchTable& base) {
        table_.Inherit(base);
        return *this;
    }
    template <class F>
    TableBuilder& Method(std::string_view name, F fn, int required = -1) {
        table_.Add(name, CallType::Method, MakeThunk(fn, required), MakeSignature(fn));
        return *this;
    }
    template <class F>
    TableBuilder& Get(std::string_view name, F fn, int required = -1) {
        table_.Add(name, CallType::Get, MakeThunk(fn, required));
        return *this;
    }
    // The setter's last parameter is the value assigned (Let and Set alike).
    template <class F>
    TableBuilder& Put(std::string_view name, F fn) {
        table_.Add(name, CallType::Let, MakeThunk(fn, -1));
        return *this;
    }
    template <class G, class S>
    TableBuilder& Property(std::string_view name, G getter, S setter) {
        return Get(name, getter).Put(name, setter);
    }

private:
    template <class F>
    static DispatchTable::Thunk MakeThunk(F fn, int required) {
        using Traits = detail::MemberTraits<F>;
        using Owner = typename Traits::Class;
        static_assert(std::is_base_of_v<Owner, T>, "member of another class");
        constexpr int arity = static_cast<int>(Traits::kArity);
        int need = required < 0 ? arity : required;
        return [fn, need](Dispatch& self, ArgRefs args) -> Variant {
            if (static_cast<int>(args.size()) > arity) Raise(ErrorCode::WrongNumberOfArguments);
            if (static_cast<int>(args.size()) < need) Raise(ErrorCode::ArgumentNotOptional);
            auto* owner = dynamic_cast<Owner*>(&self);
            if (owner == nullptr) Raise(ErrorCode::NotApplicable);
            return detail::CallMember<Owner, F, typename Traits::Result>(
                *owner, fn, args, static_cast<typename Traits::Params*>(nullptr),
                std::make_index_sequence<Traits::kArity>{});
        };
    }

    template <class F>
    static DispatchTable::Signature MakeSignature(F) {
        return MakeSignature(static_cast<typename detail::MemberTraits<F>::Params*>(nullptr));
    }
    template <class... P>
    static DispatchTable::Signature MakeSignature(std::tuple<P...>*) {
        return {{&detail::Converts<P>...}};
    }

    DispatchTable& table_;
};

// A class's table, built once: `static const DispatchTable t = BuildTable<X>([](auto& b) {...});`
template <class T, class F>
DispatchTable BuildTable(F build) {
    DispatchTable table;
    TableBuilder<T> builder(table);
    build(builder);
    return table;
}

}  // namespace com

namespace vb {

namespace detail {
template <class A>
com::Variant* ArgPointer(A&& arg, std::deque<com::Variant>& temporaries) {
    using D = std::remove_reference_t<A>;
    if constexpr (std::is_same_v<D, com::Variant> && std::is_lvalue_reference_v<A&&>) {
        return &arg;  // a Variant variable goes by reference
    } else {
        temporaries.emplace_back(com::Variant(std::forward<A>(arg)));
        return &temporaries.back();
    }
}
}  // namespace detail

// VB's CallByName: Variant variables are passed by reference and see the callee's
// updates; other arguments are passed as temporaries. Calling on Nothing raises 91.
template <class... A>
com::Variant CallByName(const com::ObjectPtr& object, std::string_view name, com::CallType type, A&&... args) {
    if (!object) com::Raise(com::ErrorCode::ObjectVariableNotSet);
    std::deque<com::Variant> temporaries;
    std::array<com::Variant*, sizeof...(A)> refs{detail::ArgPointer(std::forward<A>(args), temporaries)...};
    return object->Invoke(name, type, com::ArgRefs(refs.data(), refs.size()));
}

// `Dim x As New T`: the instance is created on first use and kept. Tests may put a
// stand-in in its place before first use.
template <class T>
class AutoNew {
public:
    T& operator*() { return *Get(); }
    T* operator->() { return Get().get(); }
    const std::shared_ptr<T>& Get() {
        if (!instance_) instance_ = std::make_shared<T>();
        return instance_;
    }
    void Set(std::shared_ptr<T> instance) { instance_ = std::move(instance); }
    bool Created() const noexcept { return instance_ != nullptr; }

private:
    std::shared_ptr<T> instance_;
};

}  // namespace vb
