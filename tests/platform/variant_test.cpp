// Variants and arrays: value semantics, strict access, bounds, growth and coercion.

#include "platform/variant.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch.h"
#include "platform/safe_array.h"
#include "tests/support/error_code.h"

namespace {

using com::ArrayBound;
using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using com::VarType;
using testing_support::ErrorOf;

struct Station {
    static constexpr std::string_view kRecordName = "Station";
    std::string name;
    double chainage = 0;
    bool operator==(const Station&) const = default;
};

struct Level {
    static constexpr std::string_view kRecordName = "Level";
    double z = 0;
    bool operator==(const Level&) const = default;
};

class Thing : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Thing"; }
    const com::DispatchTable& Table() const override {
        static const com::DispatchTable table;
        return table;
    }
};

class OtherThing : public Thing {};

TEST(Variant, CopiesArraysAndRecordsButSharesObjects) {
    Variant a(SafeArray::FromDoubles({1, 2}));
    Variant b = a;
    b.Array().Put(0, 9.0);
    EXPECT_EQ(a.Array().Get(0), Variant(1.0));
    EXPECT_EQ(b.Array().Get(0), Variant(9.0));
    Variant c;
    c = b;
    c.Array().ReDimPreserve(4);
    EXPECT_EQ(b.Array().UBound(), 1);

    // Arrays nested in Variant elements are copied too.
    SafeArray outer = SafeArray::FromVariants({Variant(SafeArray::FromStrings({"x"}))});
    SafeArray copy = outer;
    copy.Ref(0).Array().Put(0, "y");
    EXPECT_EQ(outer.Get(0).Array().Get(0), Variant("x"));

    Variant r = Variant::FromRecord(Station{"S1", 10});
    Variant s = r;
    s.RecordAs<Station>().chainage = 20;
    EXPECT_EQ(r.RecordAs<Station>().chainage, 10);
    EXPECT_NE(r, s);
    s.RecordAs<Station>().chainage = 10;
    EXPECT_EQ(r, s);

    auto thing = std::make_shared<Thing>();
    Variant o(thing), p = o;
    EXPECT_EQ(p.Object().get(), thing.get());
    EXPECT_EQ(o, p);
    EXPECT_NE(o, Variant(std::make_shared<Thing>()));
    EXPECT_EQ(p.ObjectAs<Thing>(), thing);
    EXPECT_EQ(ErrorOf([&] { p.ObjectAs<OtherThing>(); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([] { Variant::Nothing().ObjectAs<Thing>(); }), ErrorCode::ObjectRequired);
    EXPECT_TRUE(Variant::Nothing().IsNothing());
    EXPECT_FALSE(o.IsNothing());
}

TEST(Variant, AssignsFromItsOwnElements) {
    Variant v(SafeArray::FromDoubles({4.5, 5.5}));
    v = v.Array().Get(1);
    EXPECT_EQ(v, Variant(5.5));

    auto thing = std::make_shared<Thing>();
    Variant w(SafeArray::FromVariants({Variant(thing), Variant("x")}));
    w = w.Array().Get(0);
    EXPECT_EQ(w.Object(), thing);

    Variant m(SafeArray::FromVariants({Variant(int32_t{7})}));
    m = std::move(m.Array().Ref(0));
    EXPECT_EQ(m, Variant(int32_t{7}));

}

TEST(Variant, StrictAccessAndEquality) {
    const std::vector<Variant> kinds = {Variant(),          Variant(com::Null),
                                        Variant(true),      Variant(int16_t{1}),
                                        Variant(int32_t{1}), Variant(1.0),
                                        Variant("1"),       Variant::Nothing(),
                                        Variant(SafeArray()), Variant::FromRecord(Level{1})};
    // Accessor k reads kind k + 2 (Boolean ... Record); every other kind is a Type mismatch.
    const std::vector<std::function<void(const Variant&)>> accessors = {
        [](const Variant& v) { v.Bool(); },   [](const Variant& v) { v.Int(); },
        [](const Variant& v) { v.Long(); },   [](const Variant& v) { v.Dbl(); },
        [](const Variant& v) { v.Str(); },    [](const Variant& v) { v.Object(); },
        [](const Variant& v) { v.Array(); },  [](const Variant& v) { v.Record(); }};
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        EXPECT_EQ(static_cast<std::size_t>(kinds[i].Type()), i);
        for (std::size_t k = 0; k < accessors.size(); ++k) {
            auto error = ErrorOf([&] { accessors[k](kinds[i]); });
            EXPECT_EQ(error, i == k + 2 ? std::nullopt : std::optional(ErrorCode::TypeMismatch)) << i << ", " << k;
        }
        for (std::size_t j = 0; j < kinds.size(); ++j) EXPECT_EQ(kinds[i] == kinds[j], i == j) << i << " vs " << j;
    }
    EXPECT_TRUE(Variant(1.0).IsNumber());
    EXPECT_FALSE(Variant("1").IsNumber());
    EXPECT_EQ(ErrorOf([] { Variant::FromRecord(Level{}).RecordAs<Station>(); }), ErrorCode::TypeMismatch);
    EXPECT_NE(Variant::FromRecord(Level{1}), Variant::FromRecord(Level{2}));
    EXPECT_EQ(Variant(SafeArray::FromDoubles({1, 2})), Variant(SafeArray::FromDoubles({1, 2})));
    EXPECT_NE(Variant(SafeArray::FromDoubles({1, 2})), Variant(SafeArray::FromDoubles({1, 3})));
    // Same values, different element types or bounds: different arrays.
    EXPECT_NE(SafeArray::FromDoubles({1}), SafeArray::FromVariants({Variant(1.0)}));
    EXPECT_NE(SafeArray::Vector(VarType::Double, 0), SafeArray(VarType::Double));
}

TEST(SafeArray, NeverSizedIsNotEmpty) {
    SafeArray never(VarType::String);
    EXPECT_FALSE(never.IsSized());
    EXPECT_EQ(never.Size(), 0u);
    EXPECT_EQ(ErrorOf([&] { never.UBound(); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { never.LBound(); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { never.Get(0); }), ErrorCode::SubscriptOutOfRange);

    SafeArray empty = SafeArray::Vector(VarType::String, 0);
    EXPECT_TRUE(empty.IsSized());
    EXPECT_EQ(empty.LBound(), 0);
    EXPECT_EQ(empty.UBound(), -1);
    EXPECT_EQ(ErrorOf([&] { empty.Get(0); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { empty.UBound(2); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_TRUE(SafeArray::FromStrings({}).IsSized());

    never.ReDimPreserve(1);
    EXPECT_EQ(never.UBound(), 1);
    EXPECT_EQ(never.Get(1), Variant(""));
    empty.ReDimPreserve(0);
    EXPECT_EQ(empty.Get(0), Variant(""));

    EXPECT_EQ(ErrorOf([] { SafeArray::Vector(VarType::Double, -1); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([] { SafeArray(VarType::Double, {{0, 1}, {0, 1}, {0, 1}}); }), ErrorCode::SubscriptOutOfRange);
}

TEST(SafeArray, ReDimPreserveGrowsTheLastDimension) {
    SafeArray v(VarType::Long, {ArrayBound{1, 3}});
    for (int32_t i = 1; i <= 3; ++i) v.Put(i, Variant(i * 10));
    v.ReDimPreserve(5);
    EXPECT_EQ(v.LBound(), 1);
    EXPECT_EQ(v.UBound(), 5);
    EXPECT_EQ(v.ToVariants(), (std::vector<Variant>{Variant(10), Variant(20), Variant(30), Variant(0), Variant(0)}));
    v.ReDimPreserve(1);
    EXPECT_EQ(v.ToVariants(), std::vector<Variant>{Variant(10)});
    v.ReDimPreserve(0);
    EXPECT_EQ(v.UBound(), 0);
    EXPECT_EQ(v.Size(), 0u);
    EXPECT_EQ(ErrorOf([&] { v.ReDimPreserve(-1); }), ErrorCode::SubscriptOutOfRange);

    SafeArray m(VarType::Double, {ArrayBound{1, 2}, ArrayBound{-1, 2}});
    for (int32_t i = 1; i <= 2; ++i)
        for (int32_t j = -1; j <= 0; ++j) m.Put(i, j, Variant(i * 10.0 + j));
    m.ReDimPreserve(2);
    EXPECT_EQ(m.UBound(1), 2);
    EXPECT_EQ(m.LBound(2), -1);
    EXPECT_EQ(m.UBound(2), 2);
    for (int32_t i = 1; i <= 2; ++i) {
        for (int32_t j = -1; j <= 0; ++j) EXPECT_EQ(m.Get(i, j), Variant(i * 10.0 + j)) << i << "," << j;
        for (int32_t j = 1; j <= 2; ++j) EXPECT_EQ(m.Get(i, j), Variant(0.0)) << i << "," << j;
    }
    m.ReDimPreserve(-1);
    EXPECT_EQ(m.Get(2, -1), Variant(19.0));
    EXPECT_EQ(ErrorOf([&] { m.Get(2, 0); }), ErrorCode::SubscriptOutOfRange);

    m.ReDim({ArrayBound{0, 1}});
    EXPECT_EQ(m.Dims(), 1);
    EXPECT_EQ(m.Get(0), Variant(0.0));
}

TEST(SafeArray, TwoDimensionalBounds) {
    SafeArray m = SafeArray::Matrix(VarType::Integer, 2, 3);
    for (int32_t i = 0; i < 2; ++i)
        for (int32_t j = 0; j < 3; ++j) m.Put(i, j, Variant(int16_t(i * 3 + j)));
    for (int32_t i = 0; i < 2; ++i)
        for (int32_t j = 0; j < 3; ++j) EXPECT_EQ(m.Get(i, j), Variant(int16_t(i * 3 + j)));
    EXPECT_EQ(m.UBound(1), 1);
    EXPECT_EQ(m.UBound(2), 2);
    EXPECT_EQ(ErrorOf([&] { m.UBound(3); }), ErrorCode::SubscriptOutOfRange);
    for (auto [i, j] : std::vector<std::pair<int32_t, int32_t>>{{2, 0}, {0, 3}, {-1, 0}, {0, -1}, {1, 3}})
        EXPECT_EQ(ErrorOf([&] { m.Get(i, j); }), ErrorCode::SubscriptOutOfRange) << i << "," << j;
    EXPECT_EQ(ErrorOf([&] { m.Get(0); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { m.Put(1, Variant(int16_t{1})); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { SafeArray::Vector(VarType::Integer, 2).Get(0, 0); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { m.ToDoubles(); }), ErrorCode::TypeMismatch);
}

TEST(SafeArray, BoundsPastTheLongRangeAreRefusedNotWrapped) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
    SafeArray past(VarType::String, {ArrayBound{kMax, 2}, ArrayBound{0, 3}});
    EXPECT_EQ(past.LBound(1), kMax);
    EXPECT_EQ(ErrorOf([&] { past.UBound(1); }), ErrorCode::Overflow);
    EXPECT_EQ(past.UBound(2), 2);
    SafeArray grown(VarType::Long, {ArrayBound{-2000000000, 1}});
    EXPECT_EQ(ErrorOf([&] { grown.ReDimPreserve(2000000000); }), ErrorCode::Overflow);

    // What a caller hands in: one before the first and one past the last subscript are Longs.
    auto check = [](const Variant& v) { return ErrorOf([&] { com::RequireLongSubscripts(v); }); };
    EXPECT_EQ(check(Variant(past)), ErrorCode::InvalidInput);
    EXPECT_EQ(check(Variant(SafeArray(VarType::Double, {ArrayBound{kMax, 1}}))), ErrorCode::InvalidInput);
    EXPECT_EQ(check(Variant(SafeArray(VarType::Double, {ArrayBound{kMin, 1}}))), ErrorCode::InvalidInput);
    EXPECT_EQ(check(Variant(SafeArray::FromVariants({Variant(1.0), Variant(past)}))), ErrorCode::InvalidInput);
    EXPECT_EQ(check(Variant(SafeArray(VarType::Double, {ArrayBound{kMax - 1, 1}}))), std::nullopt);
    EXPECT_EQ(check(Variant(SafeArray(VarType::Double, {ArrayBound{kMin + 1, 0}}))), std::nullopt);
    EXPECT_EQ(check(Variant("text")), std::nullopt);
}

TEST(SafeArray, PutCoercesToTheElementType) {
    SafeArray s = SafeArray::Vector(VarType::String, 4);
    s.Put(0, Variant(1.5));
    s.Put(1, Variant(true));
    s.Put(2, Variant(int16_t{-3}));
    EXPECT_EQ(s.ToStrings(), (std::vector<std::string>{"1.5", "True", "-3", ""}));
    EXPECT_EQ(ErrorOf([&] { s.Put(0, Variant(com::Null)); }), ErrorCode::InvalidUseOfNull);

    SafeArray d = SafeArray::Vector(VarType::Double, 3);
    d.Put(0, Variant(" 2.5 "));
    d.Put(1, Variant(int32_t{7}));
    d.Put(2, Variant(true));
    EXPECT_EQ(d.Get(0), Variant(2.5));
    EXPECT_EQ(d.Get(1), Variant(7.0));
    EXPECT_EQ(d.Get(2), Variant(-1.0));
    EXPECT_EQ(ErrorOf([&] { d.Put(0, Variant("2,5")); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(d.Get(0), Variant(2.5));  // a failed Put leaves the element alone

    SafeArray n = SafeArray::Vector(VarType::Integer, 3);
    n.Put(0, Variant(2.5));
    n.Put(1, Variant("12.6"));
    n.Put(2, Variant(int32_t{-32768}));
    EXPECT_EQ(n.ToInt16s(), (std::vector<int16_t>{2, 13, -32768}));
    EXPECT_EQ(ErrorOf([&] { n.Put(0, Variant(int32_t{32768})); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([&] { n.Put(0, Variant(32767.5)); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([&] { n.Put(0, Variant("x")); }), ErrorCode::TypeMismatch);

    SafeArray o = SafeArray::Vector(VarType::Object, 1);
    EXPECT_TRUE(o.Get(0).IsNothing());
    EXPECT_EQ(ErrorOf([&] { o.Put(0, Variant(1.0)); }), ErrorCode::TypeMismatch);

    EXPECT_EQ(SafeArray::FromStrings({"1.5", "2"}).ToDoubles(), (std::vector<double>{1.5, 2}));
    EXPECT_EQ(ErrorOf([] { SafeArray::FromStrings({"a"}).ToDoubles(); }), ErrorCode::TypeMismatch);
}

TEST(SafeArray, RecordElements) {
    SafeArray a = SafeArray::Records<Station>(2, Station{"?", -1});
    EXPECT_EQ(a.Get(1).RecordAs<Station>(), (Station{"?", -1}));
    a.RecordAt<Station>(1).chainage = 25;
    a.RecordAt<Station>(1).name = "B";
    EXPECT_EQ(a.Get(1).RecordAs<Station>(), (Station{"B", 25}));
    EXPECT_EQ(a.Get(0).RecordAs<Station>(), (Station{"?", -1}));  // elements are not shared

    SafeArray b = a;
    b.RecordAt<Station>(1).chainage = 30;
    EXPECT_EQ(a.RecordAt<Station>(1).chainage, 25);

    a.ReDimPreserve(3);
    EXPECT_EQ(a.RecordAt<Station>(1).name, "B");
    EXPECT_EQ(a.RecordAt<Station>(3), (Station{"?", -1}));

    a.Put(0, Variant::FromRecord(Station{"A", 0}));
    EXPECT_EQ(a.RecordAt<Station>(0).name, "A");
    EXPECT_EQ(ErrorOf([&] { a.Put(0, Variant::FromRecord(Level{})); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { a.Put(0, Variant(1.0)); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { a.RecordAt<Level>(0); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { a.RecordAt<Station>(4); }), ErrorCode::SubscriptOutOfRange);

    SafeArray u = SafeArray::UnsizedRecords<Level>(Level{3});
    EXPECT_EQ(ErrorOf([&] { u.UBound(); }), ErrorCode::SubscriptOutOfRange);
    u.ReDimPreserve(1);
    EXPECT_EQ(u.RecordAt<Level>(1).z, 3);
    EXPECT_EQ(SafeArray::Records<Level>(0).UBound(), -1);
}

}  // namespace
