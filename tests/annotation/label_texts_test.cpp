// Label lines of pipes and nodes, and how many lines each label block must hold.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "annotation/view_style.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/view_style.h"
#include "tests/support/xdata.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing::ElementsAre;
using testing::IsEmpty;
using testing_support::ErrorOf;
using testing_support::NetworkBuilder;
using Settings = std::map<int, std::string>;

class LabelTexts : public ::testing::Test {
protected:
    // Every item of the standard style switched off, then `on`.
    Variant Table(const Settings& on) {
        Settings s{{5, "0;;"}, {6, "0;;;2;0"}, {7, "0;;"}, {8, "0;;;2;0;0"}, {19, "0;;"}, {33, "0;;"}, {37, "0;;"}};
        for (const auto& [k, v] : on) s[k] = v;
        return vs_.GetAnnotationFormatArray(testing_support::SettingsVariant(testing_support::ViewStyleSettings(s)));
    }
    std::vector<std::string> LinesOf(acad::AcadEntity& entity, const Settings& on) {
        Variant v = vs_.GetAnnotationStrings(*doc_, entity, Table(on));
        return v.IsEmpty() ? std::vector<std::string>{} : v.Array().ToStrings();
    }
    void ExpectSound() { EXPECT_THAT(testing_support::NetworkFindings(*doc_), IsEmpty()); }

    std::shared_ptr<acad::AcadDocument> doc_ = testing_support::NewProjectDrawing();
    fluvanet::ViewStyle vs_;
};

TEST_F(LabelTexts, CountsUseTheNumericFlagNeverBelowZeroLinesNeedExactlyOne) {
    Settings all;
    for (int k = 5; k <= 42; ++k)
        if (k != 18 && k != 32) all[k] = "1;;;2;0;0";
    EXPECT_EQ(vs_.GetNumberOfAnnotationStrings(Table(all)), (std::vector<int16_t>{13, 13, 6, 6}));

    auto pipe = NetworkBuilder(*doc_, "Main").AddChain({{0, 0}, {10, 0}}).pipes[0];
    Settings loose{{5, " 1;;"}, {6, "1.0;;;2;0"}, {7, "2;;"}, {19, "1;;"}, {20, "-1;;;2;0"}, {41, "1;2;0"}};
    EXPECT_EQ(vs_.GetNumberOfAnnotationStrings(Table(loose)), (std::vector<int16_t>{4, 1, 2, 0}));
    EXPECT_THAT(LinesOf(*pipe.polyline, loose), IsEmpty());
    EXPECT_EQ(ErrorOf([&] { vs_.GetNumberOfAnnotationStrings(Table({{6, "40000;;;2;0"}})); }), ErrorCode::Overflow);
}

TEST_F(LabelTexts, ThirteenPipeLinesInOrderWithPrefixAndSuffix) {
    NetworkBuilder net(*doc_, "Main");
    auto chain = net.AddChain({{0, 0}, {12.25, 0}, {24.6, 0}});
    chain.nodes[0].SetGround(101.5);
    chain.nodes[1].SetGround(101.5);
    chain.pipes[0].SetInverts(100, 99.8).SetSize("SectionShape_Circular", 200, 200);
    ExpectSound();
    Settings all{{5, "1;<;>"},       {6, "1;L=;m;1;1"},  {7, "1;D=;;"},     {8, "1;S=;;0;0;2"},  {9, "1;M:;;"},
                 {10, "1;IS ;;2;0"}, {11, "1;IE ;;2;0"}, {12, "1;GS ;;2;0"}, {13, "1;GE ;;2;0"}, {14, "1;CS ;;2;0"},
                 {15, "1;CE ;;2;0"}, {16, "1;DS ;;2;0"}, {17, "1;DE ;;2;0"}};
    EXPECT_THAT(LinesOf(*chain.pipes[0].polyline, all),
                ElementsAre("<P-1>", "L=12.20m", "D=%%c200", "S=1/60", "M:PVC", "IS 100.00", "IE 99.80", "GS 101.50",
                            "GE 101.50", "CS 1.30", "CE 1.50", "DS 1.50", "DE 1.70"));
    // 12.35 with no decimals; 2.675 to two; a cover of -0.001 without its sign.
    EXPECT_THAT(LinesOf(*chain.pipes[1].polyline, {{6, "1;;;0;0"}}), ElementsAre("12"));
    chain.nodes[0].SetGround(100.199);
    chain.pipes[0].SetInverts(100, 2.675);
    EXPECT_THAT(LinesOf(*chain.pipes[0].polyline, {{11, "1;;;2;0"}, {14, "1;;;2;0"}}), ElementsAre("2.68", "0.00"));
}

TEST_F(LabelTexts, CoversTakeTheRiseInLevelUnits) {
    doc_ = testing_support::NewProjectDrawing({.modelUnits = "US"});
    auto chain = NetworkBuilder(*doc_, "Main").AddChain({{0, 0}, {10, 0}, {20, 0}});
    for (const auto& node : chain.nodes) node.SetGround(101.5);
    chain.pipes[0].SetInverts(100, 100).SetSize("SectionShape_Circular", 12, 12);
    chain.pipes[1].SetInverts(100, 100).SetSize("SectionShape_Box", 12, 12);
    ExpectSound();
    EXPECT_THAT(LinesOf(*chain.pipes[0].polyline, {{14, "1;;;2;0"}}), ElementsAre("0.50"));
    EXPECT_THAT(LinesOf(*chain.pipes[1].polyline, {{14, "1;;;2;0"}}), ElementsAre("-10.50"));
}

TEST_F(LabelTexts, SlopeIsPositiveAndAPipeOfNoLengthHasAnEmptySlopeLine) {
    NetworkBuilder net(*doc_, "Main");
    auto chain = net.AddChain({{0, 0}, {50, 0}, {100, 0}});
    chain.pipes[0].SetInverts(10, 10.5);
    chain.pipes[1].SetInverts(10.5, 10);
    auto flat = net.AddPipe(net.AddNode(200, 0), net.AddNode(200, 0));
    ExpectSound();
    Settings slope{{8, "1;S=;;2;0;1"}};
    EXPECT_THAT(LinesOf(*chain.pipes[0].polyline, slope), ElementsAre("S=1.00%"));
    EXPECT_THAT(LinesOf(*chain.pipes[1].polyline, slope), ElementsAre("S=1.00%"));
    flat.SetInverts(10, 10.5);
    EXPECT_THAT(LinesOf(*flat.polyline, {{5, "1;#;"}, {6, "1;;;2;0"}, {8, "1;S=;;2;0;1"}, {11, "1;;;1;0"}}),
                ElementsAre("#P-3", "0.00", "", "10.5"));
}

TEST_F(LabelTexts, NodeLinesEndWithTheCoordinates) {
    auto node = NetworkBuilder(*doc_, "Main").AddNode(512.125, 300.5, "MH-1");
    node.SetGround(101.5).SetSump(99.25);
    auto hydrant = NetworkBuilder(*doc_, "Water", "Pressure").AddNode(1, 2);
    ExpectSound();
    Settings all{{33, "1;#;"}, {34, "1;G;;2;0"}, {35, "1;S;;1;0"}, {36, "1;D;;2;0"}, {41, "1;2;0"}};
    EXPECT_THAT(LinesOf(*node.block, all), ElementsAre("#MH-1", "G101.50", "S99.2", "D2.25", "E 512.12", "N 300.50"));
    EXPECT_THAT(LinesOf(*node.block, {{37, "1;;"}, {42, "1;2;0"}}), IsEmpty());
    EXPECT_THAT(LinesOf(*hydrant.block, {{37, "1;;"}, {42, "1;0;0"}}), ElementsAre("N-1", "E 1", "N 2"));
}

TEST_F(LabelTexts, BrokenRecordsFailOtherElementsGiveEmpty) {
    auto chain = NetworkBuilder(*doc_, "Main").AddChain({{0, 0}, {10, 0}});
    // Both ends are read before any line: a broken one fails even without a ground line.
    testing_support::SetRecordEntry(chain.pipes[0].polyline, 14, Variant(""));
    EXPECT_TRUE(ErrorOf([&] { LinesOf(*chain.pipes[0].polyline, {{5, "1;;"}}); }).has_value());

    auto labelBlock = doc_->ModelSpace()->AddPoint({0, 0, 0});
    testing_support::SetTextRecord(*labelBlock, {";Main;P-1Annotation", "Annotation"});
    EXPECT_THAT(LinesOf(*labelBlock, {{5, "1;;"}}), IsEmpty());
    auto bare = doc_->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});
    EXPECT_EQ(ErrorOf([&] { LinesOf(*bare, {{5, "1;;"}}); }), ErrorCode::TypeMismatch);

    auto vs = std::make_shared<fluvanet::ViewStyle>();
    EXPECT_TRUE(vs->Supports("GetNumberOfAnnotationStrings"));
    Variant table = Table({{33, "1;;"}});
    EXPECT_EQ(vb::CallByName(vs, "GetAnnotationStrings", com::CallType::Method, Variant(doc_),
                             Variant(chain.nodes[0].block), table),
              Variant(com::SafeArray::FromStrings({"N-1"})));

    // The units are read before the element type: a node fails without a project too.
    doc_->ModelSpace()->SetXData(testing_support::Codes({1001}), testing_support::Values({"Fluvamap"}));
    EXPECT_EQ(ErrorOf([&] { vs_.GetAnnotationStrings(*doc_, *chain.nodes[0].block, table); }),
              ErrorCode::TypeMismatch);
}

}  // namespace
