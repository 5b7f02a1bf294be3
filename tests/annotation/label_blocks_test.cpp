// The label block definitions and the arrow block: their lines, rebuilding, text style
// and the checks made before a block is emptied.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "annotation/view_style.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/view_style.h"

namespace {

using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using testing::ElementsAre;
using testing::IsEmpty;
using testing_support::ErrorOf;

const std::vector<std::string> kBlocks = {"Fluvamap_GravityPipeAttribute", "Fluvamap_PressurePipeAttribute",
                                          "Fluvamap_GravityNodeAttribute", "Fluvamap_PressureNodeAttribute",
                                          "Fluvamap_DirectionArrow"};

class LabelBlocks : public ::testing::Test {
protected:
    Variant Table(const std::map<int, std::string>& overrides = {{4, "2"}}) {
        return vs_.GetAnnotationFormatArray(
            testing_support::SettingsVariant(testing_support::ViewStyleSettings(overrides)));
    }
    static Variant Counts(std::vector<int16_t> counts) { return Variant(SafeArray::FromInt16s(counts)); }
    void Build(std::vector<int16_t> counts, const std::string& height = "2") {
        vs_.InitializeAttributeBlocks(*doc_, Counts(counts), Table({{4, height}}));
    }
    std::shared_ptr<acad::AcadBlock> Block(const std::string& name) { return doc_->Blocks()->Item(Variant(name)); }
    std::vector<std::shared_ptr<acad::AcadAttribute>> Attributes(const std::string& name) {
        std::vector<std::shared_ptr<acad::AcadAttribute>> result;
        for (const auto& e : Block(name)->Entities())
            if (auto a = std::dynamic_pointer_cast<acad::AcadAttribute>(e)) result.push_back(a);
        return result;
    }
    std::vector<double> LineYs(const std::string& name) {
        std::vector<double> ys;
        for (const auto& a : Attributes(name)) {
            EXPECT_EQ(a->InsertionPoint()[0], 0);
            ys.push_back(a->InsertionPoint()[1]);
        }
        return ys;
    }
    // What a block holds, one word per entity, so that a comparison shows leftovers.
    std::vector<std::string> Contents(const std::string& name) {
        std::vector<std::string> words;
        for (const auto& e : Block(name)->Entities()) words.push_back(e->ObjectName());
        return words;
    }
    void ExpectSound() { EXPECT_THAT(testing_support::NetworkFindings(*doc_), IsEmpty()); }

    std::shared_ptr<acad::AcadDocument> doc_ = testing_support::NewProjectDrawing();
    fluvanet::ViewStyle vs_;
};

TEST_F(LabelBlocks, LinesAroundTheGapOfAPipeAndAboveANode) {
    Build({5, 5, 3, 3});
    EXPECT_THAT(LineYs(kBlocks[0]), ElementsAre(6, 3, -3, -6, -9));
    EXPECT_THAT(LineYs(kBlocks[1]), ElementsAre(9, 6, 3, -3, -6));
    EXPECT_THAT(LineYs(kBlocks[2]), ElementsAre(9, 6, 3));
    EXPECT_THAT(LineYs(kBlocks[3]), ElementsAre(9, 6, 3));
    for (const auto& a : Attributes(kBlocks[1])) {
        EXPECT_EQ(a->TagString(), a->PromptString());
        EXPECT_EQ(a->TextString(), "");
        EXPECT_EQ(a->Mode(), 0);
        EXPECT_EQ(a->Layer(), "0");
        EXPECT_EQ(a->Height(), 2);
    }
    EXPECT_EQ(Attributes(kBlocks[1]).back()->TagString(), "Attribute 5");
    for (const auto& name : kBlocks) EXPECT_EQ(Block(name)->Origin(), (acad::Point3{0, 0, 0}));

    // One line: below a gravity pipe, above a pressure pipe; halves of even counts agree.
    Build({1, 1, 0, 0});
    EXPECT_THAT(LineYs(kBlocks[0]), ElementsAre(-3));
    EXPECT_THAT(LineYs(kBlocks[1]), ElementsAre(3));
    Build({4, 9, 1, 0});
    EXPECT_THAT(LineYs(kBlocks[0]), ElementsAre(6, 3, -3, -6));
    EXPECT_THAT(LineYs(kBlocks[1]), ElementsAre(15, 12, 9, 6, 3, -3, -6, -9, -12));
    EXPECT_THAT(LineYs(kBlocks[2]), ElementsAre(3));
    ExpectSound();
}

TEST_F(LabelBlocks, ARebuildEmptiesTheSameDefinitionsAndLeavesReferencesAlone) {
    Build({3, 3, 3, 3});
    std::vector<int32_t> ids;
    for (const auto& name : kBlocks) ids.push_back(Block(name)->ObjectID());
    int32_t tableSize = doc_->Blocks()->Count();
    auto label = doc_->ModelSpace()->InsertBlock({10, 10, 0}, kBlocks[0], 1, 1, 1, 0);
    label->GetAttributes()[0]->SetTextString("P-1");

    Build({1, 2, 0, 0});
    for (std::size_t i = 0; i < kBlocks.size(); ++i) EXPECT_EQ(Block(kBlocks[i])->ObjectID(), ids[i]);
    EXPECT_EQ(doc_->Blocks()->Count(), tableSize);
    EXPECT_THAT(Contents(kBlocks[0]), ElementsAre("AcDbAttributeDefinition"));
    EXPECT_THAT(Contents(kBlocks[1]), ElementsAre("AcDbAttributeDefinition", "AcDbAttributeDefinition"));
    // Present, and empty.
    EXPECT_THAT(Contents(kBlocks[2]), IsEmpty());
    EXPECT_THAT(Contents(kBlocks[3]), IsEmpty());
    EXPECT_THAT(Contents(kBlocks[4]), ElementsAre("AcDbPolyline", "AcDbHatch")) << "the arrow is drawn once";

    ASSERT_EQ(label->GetAttributes().size(), 3u);
    EXPECT_EQ(label->GetAttributes()[0]->TextString(), "P-1");
    ExpectSound();
}

TEST_F(LabelBlocks, TheArrowIsATriangleFilledSolidWhateverTheArrowFlags) {
    doc_->TextStyles()->Add("Romans");
    vs_.DefineAttributeBlocks(*doc_, Table({{3, "Romans"}, {4, "2"}, {18, "0"}, {32, "0"}}));
    auto entities = Block(kBlocks[4])->Entities();
    ASSERT_EQ(entities.size(), 2u);
    auto outline = std::dynamic_pointer_cast<acad::AcadLWPolyline>(entities[0]);
    auto fill = std::dynamic_pointer_cast<acad::AcadHatch>(entities[1]);
    ASSERT_TRUE(outline && fill);
    EXPECT_THAT(outline->Coordinates(), ElementsAre(-1.5, -1, -1.5, 1, 1.5, 0));
    EXPECT_TRUE(outline->Closed());
    EXPECT_EQ(fill->PatternType(), 1);
    EXPECT_EQ(fill->PatternName(), "SOLID");
    EXPECT_TRUE(fill->AssociativeHatch());
    EXPECT_EQ(fill->NumberOfLoops(), 1);
    EXPECT_EQ(outline->Layer(), "0");
    EXPECT_EQ(fill->Layer(), "0");
}

TEST_F(LabelBlocks, DefiningCountsTheLinesInTheStylesTextStyleAndRestoresTheActiveOne) {
    doc_->TextStyles()->Add("Romans");
    auto previous = doc_->TextStyles()->Add("Previous");
    doc_->SetActiveTextStyle(previous);
    auto work = doc_->Layers()->Add("Work");
    doc_->SetActiveLayer(work);

    // The standard style: four gravity pipe lines, one of each other kind.
    vs_.DefineAttributeBlocks(*doc_, Table({{3, "ROMANS"}, {4, "2.5"}}));
    EXPECT_EQ(Attributes(kBlocks[0]).size(), 4u);
    EXPECT_EQ(Attributes(kBlocks[1]).size(), 1u);
    EXPECT_EQ(Attributes(kBlocks[2]).size(), 1u);
    EXPECT_EQ(Attributes(kBlocks[3]).size(), 1u);
    for (const auto& a : Attributes(kBlocks[0])) {
        EXPECT_EQ(a->StyleName(), "Romans");
        EXPECT_EQ(a->Layer(), "0") << "not the active layer";
        EXPECT_EQ(a->Height(), 2.5);
    }
    EXPECT_EQ(doc_->ActiveTextStyle(), previous);

    // InitializeAttributeBlocks itself takes whatever style is active.
    Build({1, 0, 0, 0});
    EXPECT_EQ(Attributes(kBlocks[0])[0]->StyleName(), "Previous");
}

TEST_F(LabelBlocks, BadInputFailsBeforeAnyBlockOrTheStyleIsTouched) {
    Build({2, 2, 2, 2});
    auto before = [&] {
        std::vector<std::vector<std::string>> all;
        for (const auto& name : kBlocks) all.push_back(Contents(name));
        return all;
    }();
    auto unchanged = [&] {
        for (std::size_t i = 0; i < kBlocks.size(); ++i) EXPECT_EQ(Contents(kBlocks[i]), before[i]) << kBlocks[i];
    };
    auto standard = doc_->ActiveTextStyle();
    doc_->TextStyles()->Add("Romans");

    EXPECT_EQ(ErrorOf([&] { vs_.DefineAttributeBlocks(*doc_, Table({{3, "Missing"}, {4, "2"}})); }),
              ErrorCode::KeyNotFound);
    for (const char* height : {"", "0", "-1", "abc"}) {
        EXPECT_EQ(ErrorOf([&] { vs_.DefineAttributeBlocks(*doc_, Table({{3, "Romans"}, {4, height}})); }),
                  ErrorCode::InvalidProcedureCall)
            << height;
        EXPECT_EQ(doc_->ActiveTextStyle(), standard) << height;
    }
    unchanged();

    Variant table = Table();
    EXPECT_EQ(ErrorOf([&] { vs_.InitializeAttributeBlocks(*doc_, Counts({1, 1, 1}), table); }),
              ErrorCode::SubscriptOutOfRange);
    SafeArray fromOne(com::VarType::Integer, {com::ArrayBound{1, 4}});
    EXPECT_EQ(ErrorOf([&] { vs_.InitializeAttributeBlocks(*doc_, Variant(fromOne), table); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { vs_.InitializeAttributeBlocks(*doc_, Counts({1, -1, 1, 1}), table); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { vs_.InitializeAttributeBlocks(*doc_, Variant("4"), table); }), ErrorCode::TypeMismatch);
    unchanged();

    // Locked layers: the old lines cannot be erased, new ones not moved off the active layer.
    auto zero = doc_->Layers()->Item(Variant("0"));
    auto work = doc_->Layers()->Add("Work");
    doc_->SetActiveLayer(work);
    zero->SetLock(true);
    EXPECT_EQ(ErrorOf([&] { Build({1, 1, 1, 1}); }), ErrorCode::OnLockedLayer);
    unchanged();
    zero->SetLock(false);
    work->SetLock(true);
    EXPECT_EQ(ErrorOf([&] { Build({1, 1, 1, 1}); }), ErrorCode::OnLockedLayer);
    unchanged();
}

TEST_F(LabelBlocks, ACaseVariantIsEmptiedAndReusedNeverFilledTwice) {
    auto arrow = doc_->Blocks()->Add({0, 0, 0}, "fluvamap_directionarrow");
    arrow->AddLine({0, 0, 0}, {1, 1, 0});
    auto gravity = doc_->Blocks()->Add({0, 0, 0}, "FLUVAMAP_GRAVITYPIPEATTRIBUTE");
    gravity->AddAttribute(1, 0, "Old", {0, 0, 0}, "Old", "");
    int32_t tableSize = doc_->Blocks()->Count();

    Build({1, 1, 1, 1});
    EXPECT_EQ(doc_->Blocks()->Count(), tableSize + 3);
    EXPECT_THAT(Contents("fluvamap_directionarrow"), ElementsAre("AcDbPolyline", "AcDbHatch"));
    ASSERT_EQ(Attributes("FLUVAMAP_GRAVITYPIPEATTRIBUTE").size(), 1u);
    EXPECT_EQ(Attributes("FLUVAMAP_GRAVITYPIPEATTRIBUTE")[0]->TagString(), "Attribute 1");
    EXPECT_EQ(Block(kBlocks[4]), arrow);
}

TEST_F(LabelBlocks, LateBoundMembers) {
    auto vs = std::make_shared<fluvanet::ViewStyle>();
    EXPECT_TRUE(vb::CallByName(vs, "InitializeAttributeBlocks", com::CallType::Method, Variant(doc_),
                               Variant(SafeArray::FromStrings({"2", "0", "0", "0"})), Table())
                    .IsEmpty());
    EXPECT_EQ(Attributes(kBlocks[0]).size(), 2u);
    EXPECT_TRUE(vb::CallByName(vs, "DefineAttributeBlocks", com::CallType::Method, Variant(doc_), Table()).IsEmpty());
    EXPECT_EQ(Attributes(kBlocks[0]).size(), 4u);
}

}  // namespace
