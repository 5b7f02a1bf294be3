#include "platform/dispatch.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/support/error_code.h"

namespace {

using com::CallType;
using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

class Counter : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Counter"; }
    const com::DispatchTable& Table() const override {
        static const com::DispatchTable table = com::BuildTable<Counter>([](auto& b) {
            b.Property("Value", &Counter::Value, &Counter::SetValue)
                .Method("Add", &Counter::Add, 1)
                .Method("Twice", &Counter::Twice)
                .Method("Adopt", &Counter::Adopt)
                .Method("Pick", &Counter::Pick)
                .Method("Relay", &Counter::Relay)
                .Method("Mix", &Counter::Mix);
        });
        return table;
    }
    int32_t Value() const { return value_; }
    void SetValue(int32_t v) { value_ = v; }
    // by-reference text updated in place; the step is optional and never negative
    int32_t Add(std::string& log, int16_t step) {
        log += "+";
        if (step < 0) com::Raise(ErrorCode::InvalidProcedureCall);
        value_ += step == 0 ? 1 : step;
        return value_;
    }
    double Twice(double x) const { return 2 * x; }
    std::string Adopt(Counter& other) { return std::to_string(other.value_); }
    double Pick(const com::BoundedArray<double>& items, int32_t subscript) {
        ++picks;
        return items.At(subscript);
    }
    // What both texts read, then what the second reads once the first is written to.
    std::string Relay(std::string& first, std::string& second, int16_t fail) {
        std::string seen = first + "|" + second + "|";
        first += "+";
        seen += second;
        if (fail != 0) com::Raise(ErrorCode::InvalidProcedureCall);
        return seen;
    }
    std::string Mix(std::string& text, Variant& any) {
        std::string seen = text + "|" + vb::CStr(any);
        text += "+";
        return seen;
    }
    int picks = 0;

private:
    int32_t value_ = 0;
};

TEST(Dispatch, CallsMembersByNameWithCoercionAndByRefWriteBack) {
    auto c = std::make_shared<Counter>();
    Variant log("");
    EXPECT_EQ(vb::CallByName(c, "add", CallType::Method, log, Variant("5")), Variant(int32_t{5}));
    EXPECT_EQ(log, Variant("+"));
    EXPECT_EQ(vb::CallByName(c, "ADD", CallType::Method, log), Variant(int32_t{6}));  // optional step omitted
    EXPECT_EQ(log, Variant("++"));
    // The text is the caller's own: what the member did to it stands when it then fails.
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(c, "Add", CallType::Method, log, int16_t{-1}); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(log, Variant("+++"));
    // One variable given for two texts is one text: each reads it and sees what the other wrote.
    Variant both("ab");
    EXPECT_EQ(vb::CallByName(c, "Relay", CallType::Method, both, both, int16_t{0}), Variant("ab|ab|ab+"));
    EXPECT_EQ(both, Variant("ab+"));
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(c, "Relay", CallType::Method, both, both, int16_t{1}); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(both, Variant("ab++"));
    Variant output;
    EXPECT_EQ(vb::CallByName(c, "Relay", CallType::Method, output, output, int16_t{0}), Variant("||+"));
    EXPECT_EQ(output, Variant("+"));
    // A Variant parameter given the same variable reads what the caller holds, and being left
    // alone, does not undo what was written through the text.
    EXPECT_EQ(vb::CallByName(c, "Mix", CallType::Method, both, both), Variant("ab++|ab++"));
    EXPECT_EQ(both, Variant("ab+++"));
    vb::CallByName(c, "Value", CallType::Let, int32_t{40});
    EXPECT_EQ(vb::CallByName(c, "Value", CallType::Get), Variant(int32_t{40}));
    EXPECT_EQ(vb::CallByName(c, "Twice", CallType::Get, 1.25), Variant(2.5));
}

TEST(Dispatch, ReportsArgumentAndMemberErrors) {
    auto c = std::make_shared<Counter>();
    auto code = [&](auto&& call) {
        try {
            call();
        } catch (const com::Error& e) {
            return e.Code();
        }
        return ErrorCode::ServerError;
    };
    EXPECT_EQ(code([&] { vb::CallByName(c, "Missing", CallType::Method); }), ErrorCode::NotApplicable);
    EXPECT_EQ(code([&] { vb::CallByName(c, "Add", CallType::Method); }), ErrorCode::ArgumentNotOptional);
    EXPECT_EQ(code([&] { vb::CallByName(c, "Twice", CallType::Method, 1.0, 2.0); }), ErrorCode::WrongNumberOfArguments);
    EXPECT_EQ(code([&] { vb::CallByName(c, "Twice", CallType::Method, "abc"); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(code([&] { vb::CallByName(c, "Adopt", CallType::Method, Variant()); }), ErrorCode::ObjectRequired);
    EXPECT_EQ(code([&] { vb::CallByName(nullptr, "Value", CallType::Get); }), ErrorCode::ObjectVariableNotSet);
    EXPECT_EQ(code([&] { vb::CallByName(c, "Twice", CallType::Let, 1.0); }), ErrorCode::NotApplicable);
}

TEST(Dispatch, ArraysKeepTheirBoundsAndMustHaveLongSubscripts) {
    auto c = std::make_shared<Counter>();
    com::SafeArray oneToThree(com::VarType::Double, {com::ArrayBound{1, 3}});
    for (int32_t i = 1; i <= 3; ++i) oneToThree.Put(i, Variant(i * 10.0));
    Variant items(oneToThree);
    EXPECT_EQ(vb::CallByName(c, "Pick", CallType::Method, items, int32_t{1}), Variant(10.0));
    EXPECT_EQ(vb::CallByName(c, "Pick", CallType::Method, items, int32_t{3}), Variant(30.0));
    for (int32_t outside : {0, 4})
        EXPECT_EQ(ErrorOf([&] { vb::CallByName(c, "Pick", CallType::Method, items, outside); }),
                  ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(c->Pick({5.0, 6.0}, 0), 5.0);  // from C++ a vector counts from 0

    Variant past(com::SafeArray(com::VarType::Double, {com::ArrayBound{std::numeric_limits<int32_t>::max(), 2}}));
    const int before = c->picks;
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(c, "Pick", CallType::Method, past, int32_t{1}); }), ErrorCode::InvalidInput);
    EXPECT_EQ(c->picks, before);
}

TEST(Dispatch, PassesObjectsByIdentity) {
    auto a = std::make_shared<Counter>();
    auto b = std::make_shared<Counter>();
    b->SetValue(-7);
    EXPECT_EQ(vb::CallByName(a, "Adopt", CallType::Method, b), Variant("-7"));
}

}  // namespace
