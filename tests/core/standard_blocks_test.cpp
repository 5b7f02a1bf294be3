// The node symbol, the low/high markers and the crossing tables the library draws itself,
// and the emptied blocks that profiles are drawn into.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/general.h"
#include "host/new_project.h"
#include "tests/support/error_code.h"

namespace {

using acad::Point3;
using com::CallType;
using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

constexpr const char* kLines = "Crossing Point Annotation Lines";
constexpr const char* kText = "Crossing Point Annotation Text";

template <class T>
std::vector<std::shared_ptr<T>> All(const acad::AcadBlock& block) {
    std::vector<std::shared_ptr<T>> out;
    for (const auto& e : block.Entities())
        if (auto t = std::dynamic_pointer_cast<T>(e)) out.push_back(t);
    return out;
}

void ExpectAt(const Point3& p, double x, double y) {
    EXPECT_DOUBLE_EQ(p[0], x);
    EXPECT_DOUBLE_EQ(p[1], y);
    EXPECT_EQ(p[2], 0);
}

struct StandardBlocksTest : ::testing::Test {
    std::shared_ptr<acad::AcadDocument> doc = acad::NewDrawing();
    std::shared_ptr<fluvanet::General> general = std::make_shared<fluvanet::General>();
    std::shared_ptr<acad::AcadLayer> user;

    void Project(const std::string& units) {
        host::ProjectOptions options;
        options.modelUnits = units;
        host::CreateProjectRecord(*doc, options);
        // The user works on a layer of their own, which every call leaves active.
        user = doc->Layers()->Add("User");
        doc->SetActiveLayer(user);
    }
    std::shared_ptr<acad::AcadBlock> Block(const std::string& name) { return doc->Blocks()->Item(Variant(name)); }
    std::shared_ptr<acad::AcadLayer> Layer(const std::string& name) { return doc->Layers()->Item(Variant(name)); }
    bool Exists(const std::string& name) { return general->CheckBlockExists(*doc, name); }
};

TEST_F(StandardBlocksTest, NodeIsAFilledCircleOnLayerZeroSizedByTheUnits) {
    for (const auto& [units, radius] : {std::pair{"Metric", 0.5}, {"US", 1.5}, {"metric", 1.5}}) {
        doc = acad::NewDrawing();
        Project(units);
        general->CreateStandardBlock(*doc, "Node");
        auto node = Block("Fluvamap_Node");
        ExpectAt(node->Origin(), 0, 0);
        ASSERT_EQ(node->Count(), 2) << units;
        auto circle = std::dynamic_pointer_cast<acad::AcadCircle>(node->Item(0));
        auto hatch = std::dynamic_pointer_cast<acad::AcadHatch>(node->Item(1));
        ASSERT_TRUE(circle && hatch);
        EXPECT_EQ(circle->Radius(), radius) << units;
        ExpectAt(circle->Center(), 0, 0);
        EXPECT_EQ(circle->Layer(), "0");
        EXPECT_EQ(hatch->PatternType(), 1);
        EXPECT_EQ(hatch->PatternName(), "SOLID");
        EXPECT_TRUE(hatch->AssociativeHatch());
        EXPECT_EQ(hatch->NumberOfLoops(), 1);
        EXPECT_EQ(hatch->Layer(), "0");
        EXPECT_EQ(doc->ActiveLayer(), user);
    }
}

TEST_F(StandardBlocksTest, MarkersAreFourColouredRingsOnLayerZero) {
    Project("US");
    general->CreateStandardBlock(*doc, "LowHighPoint");
    for (const auto& [name, color] : {std::pair{"Fluvamap_LowPoint", 1}, {"Fluvamap_HighPoint", 3}}) {
        auto circles = All<acad::AcadCircle>(*Block(name));
        ASSERT_EQ(circles.size(), 4u) << name;
        for (std::size_t r = 0; r < 4; ++r) {
            EXPECT_EQ(circles[r]->Radius(), 3.0 * static_cast<double>(r + 1)) << name;
            EXPECT_EQ(circles[r]->TrueColor()->ColorIndex(), color) << name;
            EXPECT_EQ(circles[r]->Layer(), "0");
        }
    }
    EXPECT_FALSE(Exists("Fluvamap_Node"));
    EXPECT_EQ(doc->ActiveLayer(), user);
}

TEST_F(StandardBlocksTest, CrossingTablesHaveTheirLinesAndAttributesOnTheCrossingLayers) {
    Project("US");
    general->CreateStandardBlock(*doc, "CrossingPoint");
    EXPECT_EQ(doc->ActiveLayer(), user);
    EXPECT_EQ(Layer(kLines)->TrueColor()->ColorIndex(), 2);
    EXPECT_EQ(Layer(kText)->TrueColor()->ColorIndex(), 3);

    // S1 in feet: W 112.5, C 55.5, rows 12 high.
    auto s1 = Block("Fluvamap_CrossingAnno_S1");
    auto lines = All<acad::AcadLine>(*s1);
    ASSERT_EQ(lines.size(), 7u);
    const double expected[7][4] = {{0, 0, 0, 36},       {0, 36, 112.5, 36}, {112.5, 36, 112.5, 0}, {112.5, 0, 0, 0},
                                   {0, 24, 112.5, 24}, {0, 12, 112.5, 12}, {55.5, 36, 55.5, 12}};
    for (std::size_t i = 0; i < 7; ++i) {
        ExpectAt(lines[i]->StartPoint(), expected[i][0], expected[i][1]);
        ExpectAt(lines[i]->EndPoint(), expected[i][2], expected[i][3]);
        EXPECT_EQ(lines[i]->Layer(), kLines);
    }
    auto attributes = All<acad::AcadAttribute>(*s1);
    ASSERT_EQ(attributes.size(), 5u);
    const std::vector<std::string> prompts{"stPipeSize", "1st Pipe Invert", "2nd Pipe Size", "2nd Pipe Invert",
                                           "Clearance"};
    const double points[5][2] = {{3.75, 27}, {59.25, 27}, {3.75, 15}, {59.25, 15}, {26.25, 3}};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(attributes[i]->PromptString(), prompts[i]);
        ExpectAt(attributes[i]->InsertionPoint(), points[i][0], points[i][1]);
        EXPECT_EQ(attributes[i]->Height(), 6);
        EXPECT_EQ(attributes[i]->Mode(), 0);
        EXPECT_EQ(attributes[i]->Alignment(), 0);
        EXPECT_EQ(attributes[i]->TagString(), "");
        EXPECT_EQ(attributes[i]->TextString(), "");
        EXPECT_EQ(attributes[i]->Layer(), kText);
    }
    // Lines first, then the attribute definitions.
    EXPECT_NE(std::dynamic_pointer_cast<acad::AcadLine>(s1->Item(6)), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<acad::AcadAttribute>(s1->Item(7)), nullptr);

    for (const auto& [name, divider, clearanceX] :
         {std::tuple{"Fluvamap_CrossingAnno_S2", 88.5, 42.75}, {"Fluvamap_CrossingAnno_S3", 118.5, 57.75}}) {
        auto a = All<acad::AcadAttribute>(*Block(name));
        ASSERT_EQ(a.size(), 5u);
        EXPECT_EQ(a[0]->PromptString(), "1st Pipe Size");
        ExpectAt(a[1]->InsertionPoint(), divider + 3.75, 27);
        ExpectAt(a[4]->InsertionPoint(), clearanceX, 3);
    }
}

TEST_F(StandardBlocksTest, MetricCrossingTablesUseBlockUnitsOfOne) {
    Project("Metric");
    general->CreateStandardBlock(*doc, "CrossingPoint");
    auto a = All<acad::AcadAttribute>(*Block("Fluvamap_CrossingAnno_S2"));
    ASSERT_EQ(a.size(), 5u);
    ExpectAt(a[0]->InsertionPoint(), 1.25, 9);
    ExpectAt(a[1]->InsertionPoint(), 30.75, 9);
    ExpectAt(a[3]->InsertionPoint(), 30.75, 5);
    ExpectAt(a[4]->InsertionPoint(), 14.25, 1);
    EXPECT_EQ(a[0]->Height(), 2);
    auto lines = All<acad::AcadLine>(*Block("Fluvamap_CrossingAnno_S3"));
    ASSERT_EQ(lines.size(), 7u);
    ExpectAt(lines[2]->StartPoint(), 58.5, 12);
    ExpectAt(lines[6]->StartPoint(), 39.5, 12);
}

TEST_F(StandardBlocksTest, OnlyMissingTablesAreMadeAndTheCrossingLayersComeBackAsTheyWere) {
    Project("Metric");
    auto linesLayer = general->CreateStandardLayer(*doc, "", "CrossingPointLine");
    auto textLayer = general->CreateStandardLayer(*doc, "", "CrossingPointText");
    linesLayer->SetLock(true);
    textLayer->SetFreeze(true);
    auto s1 = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_CrossingAnno_S1");
    s1->AddLine({0, 0, 0}, {1, 1, 0});

    general->CreateStandardBlock(*doc, "CrossingPoint");
    EXPECT_EQ(s1->Count(), 1) << "an existing standard block is never redrawn";
    EXPECT_EQ(Block("Fluvamap_CrossingAnno_S2")->Count(), 12);
    EXPECT_EQ(Block("Fluvamap_CrossingAnno_S3")->Count(), 12);
    EXPECT_EQ(All<acad::AcadAttribute>(*Block("Fluvamap_CrossingAnno_S3"))[0]->Layer(), kText);
    EXPECT_EQ(doc->ActiveLayer(), user);
    EXPECT_TRUE(linesLayer->Lock());
    EXPECT_FALSE(linesLayer->Freeze());
    EXPECT_TRUE(textLayer->Freeze()) << "the text layer was active while drawing, and is frozen again";
    EXPECT_FALSE(textLayer->Lock());

    // A second call changes nothing, and still opens and restores the layers.
    int32_t blocks = doc->Blocks()->Count();
    general->CreateStandardBlock(*doc, "CrossingPoint");
    EXPECT_EQ(doc->Blocks()->Count(), blocks);
    EXPECT_EQ(Block("Fluvamap_CrossingAnno_S2")->Count(), 12);
    EXPECT_TRUE(linesLayer->Lock());
    EXPECT_TRUE(textLayer->Freeze());
    EXPECT_EQ(doc->ActiveLayer(), user);
}

TEST_F(StandardBlocksTest, ElementTypesAreExactAndPresentBlocksStayAsTheyAre) {
    Project("Metric");
    int32_t blocks = doc->Blocks()->Count();
    for (const char* type : {"node", "NODE", "crossingpoint", "LowHigh", ""}) general->CreateStandardBlock(*doc, type);
    EXPECT_EQ(doc->Blocks()->Count(), blocks);
    EXPECT_EQ(ErrorOf([&] { Layer(kLines); }), ErrorCode::KeyNotFound);

    // A block named so but for case counts as present: nothing is drawn into it.
    auto lower = doc->Blocks()->Add({0, 0, 0}, "fluvamap_node");
    EXPECT_FALSE(Exists("Fluvamap_Node"));
    EXPECT_TRUE(Exists("fluvamap_node"));
    general->CreateStandardBlock(*doc, "Node");
    EXPECT_EQ(lower->Count(), 0);
    EXPECT_EQ(doc->Blocks()->Count(), blocks + 1);

    // The low point present: only the high point is made.
    auto low = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_LowPoint");
    general->CreateStandardBlock(*doc, "LowHighPoint");
    EXPECT_EQ(low->Count(), 0);
    EXPECT_EQ(Block("Fluvamap_HighPoint")->Count(), 4);

    // The late-bound result is Empty.
    EXPECT_TRUE(vb::CallByName(general, "CreateStandardBlock", CallType::Method, Variant(doc), "Node").IsEmpty());
}

TEST_F(StandardBlocksTest, AFailedCallLeavesNoHalfDrawnBlockAndTheActiveLayerAsItWas) {
    Project("Metric");
    user->SetLock(true);  // new circles stand on the locked active layer and cannot move to "0"
    EXPECT_EQ(ErrorOf([&] { general->CreateStandardBlock(*doc, "Node"); }), ErrorCode::OnLockedLayer);
    EXPECT_FALSE(Exists("Fluvamap_Node"));
    EXPECT_EQ(doc->ActiveLayer(), user);
    EXPECT_EQ(ErrorOf([&] { general->CreateStandardBlock(*doc, "LowHighPoint"); }), ErrorCode::OnLockedLayer);
    EXPECT_FALSE(Exists("Fluvamap_LowPoint"));
    EXPECT_FALSE(Exists("Fluvamap_HighPoint"));

    user->SetLock(false);
    general->CreateStandardBlock(*doc, "Node");
    EXPECT_EQ(All<acad::AcadCircle>(*Block("Fluvamap_Node")).size(), 1u);
    EXPECT_EQ(All<acad::AcadHatch>(*Block("Fluvamap_Node")).size(), 1u);

    // Without a project record there are no units, and nothing is made.
    auto bare = acad::NewDrawing();
    EXPECT_EQ(ErrorOf([&] { general->CreateStandardBlock(*bare, "Node"); }), ErrorCode::TypeMismatch);
    EXPECT_FALSE(general->CheckBlockExists(*bare, "Fluvamap_Node"));
}

TEST_F(StandardBlocksTest, CheckBlockExistsComparesExactlyIncludingTheSpaces) {
    EXPECT_TRUE(Exists("*Model_Space"));
    EXPECT_TRUE(Exists("*Paper_Space"));
    EXPECT_FALSE(Exists("*model_space"));
    EXPECT_FALSE(Exists(""));
    doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Profile_Main_P1");
    EXPECT_TRUE(Exists("Fluvamap_Profile_Main_P1"));
    EXPECT_FALSE(Exists("Fluvamap_Profile_Main_P"));
    EXPECT_EQ(vb::CallByName(general, "CheckBlockExists", CallType::Method, Variant(doc), "Fluvamap_Profile_Main_P1"),
              Variant(true));
}

TEST_F(StandardBlocksTest, InitializeBlockDefinitionEmptiesTheExactBlockOrAddsOne) {
    auto inner = doc->Blocks()->Add({0, 0, 0}, "Inner");
    inner->AddCircle({0, 0, 0}, 1);
    auto profile = doc->Blocks()->Add({5, 5, 0}, "Fluvamap_Profile_Main_P1");
    profile->AddLine({0, 0, 0}, {10, 0, 0});
    profile->AddText("Datum", {0, 0, 0}, 2);
    profile->AddAttribute(2, 0, "Name", {0, 0, 0}, "", "");
    auto nested = profile->InsertBlock({0, 0, 0}, "Inner", 1, 1, 1, 0);

    auto same = general->InitializeBlockDefinition(*doc, "Fluvamap_Profile_Main_P1");
    EXPECT_EQ(same, profile);
    EXPECT_EQ(same->Count(), 0);
    EXPECT_TRUE(nested->Erased());
    EXPECT_EQ(inner->Count(), 1) << "a nested definition is not emptied";

    int32_t blocks = doc->Blocks()->Count();
    auto fresh = general->InitializeBlockDefinition(*doc, "Fluvamap_PlanAnno_Main_P1");
    EXPECT_EQ(doc->Blocks()->Count(), blocks + 1);
    EXPECT_EQ(fresh->Name(), "Fluvamap_PlanAnno_Main_P1");
    ExpectAt(fresh->Origin(), 0, 0);
    Variant late = vb::CallByName(general, "InitializeBlockDefinition", CallType::Method, Variant(doc),
                                  "Fluvamap_PlanAnno_Main_P1");
    EXPECT_EQ(late.Object(), fresh);
}

TEST_F(StandardBlocksTest, InitializeBlockDefinitionRefusesANameThatDiffersInCaseAndTheSpaces) {
    auto main = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Profile_Main_P1");
    main->AddLine({0, 0, 0}, {10, 0, 0});
    EXPECT_EQ(ErrorOf([&] { general->InitializeBlockDefinition(*doc, "Fluvamap_Profile_main_P1"); }),
              ErrorCode::DuplicateName);
    EXPECT_EQ(main->Count(), 1);

    doc->ModelSpace()->AddPoint({0, 0, 0});
    doc->PaperSpace()->AddPoint({0, 0, 0});
    int32_t blocks = doc->Blocks()->Count();
    for (const char* layout : {"*Model_Space", "*Paper_Space", "*model_space"})
        EXPECT_EQ(ErrorOf([&] { general->InitializeBlockDefinition(*doc, layout); }),
                  ErrorCode::InvalidProcedureCall)
            << layout;
    EXPECT_EQ(doc->ModelSpace()->Count(), 1);
    EXPECT_EQ(doc->PaperSpace()->Count(), 1);
    EXPECT_EQ(doc->Blocks()->Count(), blocks);
}

}  // namespace
