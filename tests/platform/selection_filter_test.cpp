// Selection filters: the pairs the library passes to Select, groups and the validation.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/safe_array.h"
#include "platform/selection_filter.h"
#include "platform/wildcard.h"
#include "tests/support/error_code.h"

namespace {

using acad::SelectionFilter;
using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using testing_support::ErrorOf;

using XData = std::vector<std::pair<std::string, std::vector<std::string>>>;

struct FakeEntity : acad::FilterSubject {
    FakeEntity(std::string dxf, XData xdata = {}, std::string block = "", std::string layer = "0")
        : dxf(std::move(dxf)), block(std::move(block)), layer(std::move(layer)), xdata(std::move(xdata)) {}
    std::string dxf, block, layer;
    XData xdata;

    std::string DxfName() const override { return dxf; }
    std::string BlockName() const override { return block; }
    std::string LayerName() const override { return layer; }
    std::vector<std::string> XDataApplications() const override {
        std::vector<std::string> apps;
        for (const auto& [app, texts] : xdata) apps.push_back(app);
        return apps;
    }
    std::vector<std::string> XDataTexts(std::string_view application) const override {
        for (const auto& [app, texts] : xdata)
            if (app == application) return texts;
        return {};
    }
};
using Pairs = std::vector<std::pair<int16_t, Variant>>;

SelectionFilter Filter(const Pairs& pairs) {
    std::vector<int16_t> codes;
    std::vector<Variant> values;
    for (const auto& [code, value] : pairs) {
        codes.push_back(code);
        values.push_back(value);
    }
    return SelectionFilter(codes, values);
}

TEST(SelectionFilter, PipeTextsAreMatchedCaseSensitively) {
    FakeEntity pipe("LWPOLYLINE", {{"Fluvamap", {"Node;N-1", "Pipe;Main;P-1"}}});
    auto filter = Filter({{1001, "Fluvamap"}, {1000, "Pipe;Main;*"}});
    EXPECT_TRUE(filter.Matches(pipe));
    EXPECT_FALSE(filter.Matches(FakeEntity("LWPOLYLINE", {{"Fluvamap", {"Pipe;Main2;P-1"}}})));
    EXPECT_FALSE(filter.Matches(FakeEntity("LWPOLYLINE")));
    EXPECT_FALSE(Filter({{1001, "Fluvamap"}, {1000, "pipe;main;*"}}).Matches(pipe));
    EXPECT_TRUE(Filter({{1001, "FLUVAMAP"}, {1000, "Pipe;Main;*"}}).Matches(pipe));
}

TEST(SelectionFilter, TypeBlockAndLayerNames) {
    auto node = Filter({{1001, "Fluvamap"}, {0, "INSERT"}, {2, "Fluvamap_Node"}});
    EXPECT_TRUE(node.Matches(FakeEntity("INSERT", {{"Fluvamap", {}}}, "FLUVAMAP_NODE")));
    EXPECT_FALSE(node.Matches(FakeEntity("INSERT", {{"Fluvamap", {}}}, "Other")));
    EXPECT_FALSE(node.Matches(FakeEntity("INSERT", {{"Other", {}}}, "Fluvamap_Node")));
    EXPECT_FALSE(node.Matches(FakeEntity("LINE", {{"Fluvamap", {}}}, "Fluvamap_Node")));
    EXPECT_TRUE(Filter({{0, "insert"}}).Matches(FakeEntity("INSERT")));
    // Only block references have a block name, so even "~X" leaves other entities out.
    EXPECT_FALSE(Filter({{2, "*"}}).Matches(FakeEntity("LINE")));
    EXPECT_FALSE(Filter({{2, "~X"}}).Matches(FakeEntity("LINE")));
    EXPECT_TRUE(Filter({{2, "~X"}}).Matches(FakeEntity("INSERT", {}, "Y")));

    FakeEntity e("LINE", {}, "", "Main - Network");
    EXPECT_TRUE(Filter({{8, "main - *"}}).Matches(e));
    EXPECT_FALSE(Filter({{8, "Storm - *"}}).Matches(e));
}

TEST(SelectionFilter, OrGroupsInAnyOperatorCase) {
    for (auto [open, close] : {std::pair{"<OR", "OR>"}, std::pair{"<or", "or>"}, std::pair{"<Or", "oR>"}}) {
        auto filter = Filter({{1001, "Fluvamap"}, {-4, open}, {0, "LWPOLYLINE"}, {0, "LINE"}, {-4, close}});
        EXPECT_TRUE(filter.Matches(FakeEntity("LINE", {{"Fluvamap", {}}}))) << open;
        EXPECT_TRUE(filter.Matches(FakeEntity("LWPOLYLINE", {{"Fluvamap", {}}}))) << open;
        EXPECT_FALSE(filter.Matches(FakeEntity("POINT", {{"Fluvamap", {}}}))) << open;
        EXPECT_FALSE(filter.Matches(FakeEntity("LINE"))) << open;
    }
}

TEST(SelectionFilter, NestedAndEmptyGroups) {
    FakeEntity lineA("LINE", {}, "", "A"), lineB("LINE", {}, "", "B"), pointB("POINT", {}, "", "B");
    auto filter = Filter({{-4, "<OR"},
                          {-4, "<and"}, {0, "LINE"}, {8, "A"}, {-4, "and>"},
                          {-4, "<AND"}, {0, "POINT"}, {-4, "<OR"}, {8, "B"}, {8, "C"}, {-4, "OR>"}, {-4, "AND>"},
                          {-4, "OR>"}});
    EXPECT_TRUE(filter.Matches(lineA));
    EXPECT_FALSE(filter.Matches(lineB));
    EXPECT_TRUE(filter.Matches(pointB));

    EXPECT_FALSE(Filter({{-4, "<OR"}, {-4, "OR>"}}).Matches(lineA));
    EXPECT_TRUE(Filter({{-4, "<AND"}, {-4, "AND>"}}).Matches(lineA));
    EXPECT_TRUE(Filter({{-4, "<OR"}, {-4, "<AND"}, {-4, "AND>"}, {-4, "OR>"}}).Matches(lineA));
}

TEST(SelectionFilter, TextsAreScopedToTheNearestEarlierApplication) {
    FakeEntity e("LINE", {{"Fluvamap", {"Pipe;Main;P-1"}}, {"Other", {"Tag"}}});
    EXPECT_TRUE(Filter({{1000, "Tag"}}).Matches(e)) << "no application named: every application";
    EXPECT_TRUE(Filter({{1000, "Pipe;*"}}).Matches(e));
    EXPECT_FALSE(Filter({{1001, "Fluvamap"}, {1000, "Tag"}}).Matches(e));
    EXPECT_TRUE(Filter({{1001, "Other"}, {1000, "Tag"}}).Matches(e));
    EXPECT_TRUE(Filter({{1001, "O*"}, {1000, "Tag"}}).Matches(e)) << "the scope is the 1001 pattern";
    EXPECT_TRUE(Filter({{1001, "Other"}, {1001, "Fluvamap"}, {1000, "Pipe*"}}).Matches(e));
    EXPECT_FALSE(Filter({{1001, "Fluvamap"}, {1001, "Other"}, {1000, "Pipe*"}}).Matches(e));
    EXPECT_TRUE(Filter({{1000, "Tag"}, {1001, "Fluvamap"}}).Matches(e)) << "a later 1001 does not scope it";

    // The scope runs through the pairs in order, whatever group they sit in.
    EXPECT_FALSE(Filter({{-4, "<OR"}, {1001, "Fluvamap"}, {0, "POINT"}, {-4, "OR>"}, {1000, "Tag"}}).Matches(e));
    EXPECT_TRUE(Filter({{-4, "<OR"}, {1001, "Other"}, {0, "POINT"}, {-4, "OR>"}, {1000, "Tag"}}).Matches(e));
    EXPECT_FALSE(Filter({{-4, "<OR"}, {1001, "Missing"}, {1000, "Tag"}, {-4, "OR>"}}).Matches(e));
}

TEST(SelectionFilter, ALongNameIsParsedOnceForTheWholeSelection) {
    // Parsed for every text of every entity, as before, this took minutes.
    const std::string name(100000, 'W');
    auto filter = Filter({{1001, "Fluvamap"}, {1000, "Pipe;" + acad::WildcardEscape(name + ".") + ";*"}});
    const std::vector<std::string> texts(12, "Pipe;" + name.substr(0, 20) + ";P-1");
    std::size_t matched = 0;
    for (int i = 0; i < 3000; ++i) matched += filter.Matches(FakeEntity("LWPOLYLINE", {{"Fluvamap", texts}}));
    EXPECT_EQ(matched, 0u);
    EXPECT_TRUE(filter.Matches(FakeEntity("LWPOLYLINE", {{"Fluvamap", {"Node", "Pipe;" + name + ".;P-1"}}})));
    EXPECT_FALSE(filter.Matches(FakeEntity("LWPOLYLINE", {{"Fluvamap", {"Pipe;" + name + "x;P-1"}}})));
}

TEST(SelectionFilter, InvalidFiltersAreRejectedWhenBuilt) {
    EXPECT_EQ(ErrorOf([] { SelectionFilter({0, 8}, {Variant("LINE")}); }), ErrorCode::InvalidInput);
    const std::vector<Pairs> invalid = {
        {{62, "1"}}, {{0, int16_t{1}}}, {{8, Variant()}}, {{-4, int32_t{1}}},
        {{-4, "<XOR"}, {0, "LINE"}, {-4, "XOR>"}}, {{-4, "OR"}}, {{-4, " <OR"}, {-4, "OR>"}},
        {{-4, "<OR"}, {0, "LINE"}}, {{0, "LINE"}, {-4, "OR>"}}, {{-4, "<OR"}, {0, "LINE"}, {-4, "AND>"}},
        {{-4, "<OR"}, {-4, "<AND"}, {-4, "OR>"}, {-4, "AND>"}}, {{-4, "<AND"}, {-4, "AND>"}, {-4, "AND>"}}};
    for (std::size_t i = 0; i < invalid.size(); ++i)
        EXPECT_EQ(ErrorOf([&] { Filter(invalid[i]); }), ErrorCode::InvalidInput) << "filter " << i;
}

TEST(SelectionFilter, FromVariantsTakesParallelOneDimensionalArrays) {
    FakeEntity pipe("LWPOLYLINE", {{"Fluvamap", {"Pipe;Main;P-1"}}});
    auto filter = SelectionFilter::FromVariants(Variant(SafeArray::FromInt16s({1001, 1000})),
                                                Variant(SafeArray::FromStrings({"Fluvamap", "Pipe;Main;*"})));
    EXPECT_TRUE(filter.Matches(pipe));
    EXPECT_FALSE(filter.Matches(FakeEntity("LWPOLYLINE", {{"Fluvamap", {"Pipe;Main2;P-1"}}})));

    // Variant elements, codes converted as CInt does, other lower bounds.
    SafeArray codes(com::VarType::Empty, {com::ArrayBound{1, 2}});
    codes.Put(1, Variant("0"));
    codes.Put(2, Variant(7.9));
    SafeArray values(com::VarType::Empty, {com::ArrayBound{1, 2}});
    values.Put(1, Variant("LWPOLYLINE"));
    values.Put(2, Variant("0"));
    EXPECT_TRUE(SelectionFilter::FromVariants(Variant(codes), Variant(values)).Matches(pipe));

    EXPECT_TRUE(SelectionFilter::FromVariants(Variant(), Variant()).Matches(pipe));
    EXPECT_TRUE(SelectionFilter::FromVariants(Variant(SafeArray::FromInt16s({})), Variant(SafeArray::FromStrings({})))
                    .Matches(pipe));

    auto bad = [](const Variant& t, const Variant& d) { return ErrorOf([&] { SelectionFilter::FromVariants(t, d); }); };
    Variant twoCodes(SafeArray::FromInt16s({0, 8}));
    Variant twoTexts(SafeArray::FromStrings({"LINE", "0"}));
    EXPECT_EQ(bad(twoCodes, Variant()), ErrorCode::InvalidInput);
    EXPECT_EQ(bad(Variant(), twoTexts), ErrorCode::InvalidInput);
    EXPECT_EQ(bad(twoCodes, Variant(SafeArray::FromStrings({"LINE"}))), ErrorCode::InvalidInput);
    EXPECT_EQ(bad(Variant(int16_t{0}), Variant("LINE")), ErrorCode::InvalidInput);
    EXPECT_EQ(bad(Variant(SafeArray(com::VarType::Integer)), Variant(SafeArray(com::VarType::String))),
              ErrorCode::InvalidInput);
    EXPECT_EQ(bad(Variant(SafeArray::Matrix(com::VarType::Integer, 1, 2)), twoTexts), ErrorCode::InvalidInput);
    EXPECT_EQ(bad(Variant(SafeArray::FromStrings({"zero", "8"})), twoTexts), ErrorCode::InvalidInput);
    EXPECT_EQ(bad(twoCodes, Variant(SafeArray::FromDoubles({1.0, 2.0}))), ErrorCode::InvalidInput);
}

}  // namespace
