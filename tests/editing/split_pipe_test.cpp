// Splitting a pipe as the host drives it: the prompts, the records and levels of the halves
// and the new node, crossings and profiles handed to the halves, and the last deletion.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "bench/drawing_digest.h"
#include "core/general.h"
#include "core/library.h"
#include "core/reference_lists.h"
#include "crossing/crossing_records.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "platform/ui_log.h"
#include "platform/vb_convert.h"
#include "tests/crossing/crossing_drawing.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"
#include "tests/support/view_style.h"

namespace {

using namespace testing_support;
using com::ErrorCode;
using com::Variant;
using Line = std::shared_ptr<acad::AcadLWPolyline>;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;

std::string Ref(const std::string& key) { return fluvanet::refs::Reference(key); }
std::string Id(const std::shared_ptr<acad::AcadEntity>& e) { return fluvanet::IdText(*e); }

// Sewer: P-1 from N-1 (0, 0) to N-2 (50, 0); P-2 from N-2 by (80, 0) to N-3 (80, 30); P-3
// from N-4 (50, 30) to N-2.
class Splitting : public testing::Test {
protected:
    Splitting() {
        AddActiveViewStyle(*doc, ViewStyleSettings());
        general.CreateNetworkDefintion(*doc, "Sewer", "Gravity");
        pipes = Convert("Sewer", {{0, 0, 50, 0}, {50, 0, 80, 0, 80, 30}, {50, 30, 50, 0}});
    }
    std::vector<Line> Convert(const std::string& net, const std::vector<std::vector<double>>& lines) {
        auto set = general.InitializeSelectionSet(*doc, "Picked");
        std::vector<Line> made;
        for (const auto& xy : lines) made.push_back(doc->ModelSpace()->AddLightWeightPolyline(xy));
        for (const auto& p : made) set->AddItems({p});
        editing.CreateElementsInNetwork(*doc, *set, false, net, "Gravity");
        return made;
    }
    struct Halves {
        Line first, second;
        std::shared_ptr<acad::AcadBlockReference> node;
    };
    Halves Split(const Line& pipe, const acad::Point3& at) {
        Halves h;
        editing.CreateSplitEntities(*doc, *pipe, at, h.first, h.second, h.node);
        editing.AssignSplitXdata(*doc, *pipe, at, *h.first, *h.second, *h.node);
        editing.UpdateLibrariesAfterSplitting(*doc, *pipe);
        editing.UpdateCrossingsAfterSplitting(*doc, *pipe, *h.first, *h.second);
        editing.UpdateProfilesAfterSplitting(*doc, *pipe, *h.first, *h.second);
        editing.DeleteSplitPipe(*doc, *pipe);
        return h;
    }
    std::shared_ptr<acad::AcadObject> Named(const std::shared_ptr<acad::AcadObject>& e, int32_t entry) {
        return fluvanet::ObjectFromId(*doc, fluvanet::refs::ReferenceKey(RecordText(e, entry)));
    }
    std::string Count(const com::SafeArray& table, const std::string& name) {
        for (int32_t i = 0; i <= table.UBound(1); ++i)
            if (vb::CStr(table.Get(i, 0)) == name) return vb::CStr(table.Get(i, 1));
        return "none";
    }
    void SetPipeData(const Line& pipe, const std::string& label, double from, double to, const std::string& size) {
        auto set = general.InitializeSelectionSet(*doc, "SetNodesForLowHigh");
        auto circular = library.GetSizesArray(*doc, "Circular"), box = library.GetSizesArray(*doc, "Box");
        auto materials = library.GetMaterialsArray(*doc);
        editing.UpdatePipeData(*doc, Id(pipe), label, from, to, "PVC", size, 1, circular, box, materials, *set);
    }
    std::string BoxCount() { return Count(library.GetSizesArray(*doc, "Box"), "1200 x 800"); }
    std::size_t Entities() { return doc->Database()->SpaceEntities().size(); }
    void Sound() { EXPECT_THAT(NetworkFindings(*doc), testing::IsEmpty()); }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    fluvanet::General general;
    fluvanet::Library library;
    fluvanet::Editing editing;
    std::vector<Line> pipes;
};

TEST_F(Splitting, ThePromptsAskAgainUntilAPipeAndAPointInsideItArePicked) {
    auto line = doc->ModelSpace()->AddLine({0, 5, 0}, {9, 5, 0});
    auto node = Named(pipes[0], pe::kStartNodeId);
    auto user = doc->Utility();
    user->QueuePick(line);
    user->QueuePick(acad::Cast<acad::AcadEntity>(node));
    user->QueuePick(pipes[0]);
    for (acad::Point3 p : {acad::Point3{0, 0, 0}, acad::Point3{25, 5, 0}, acad::Point3{25, 0, 0}}) user->QueuePoint(p);
    host::Ui().Clear();
    Line picked;
    acad::Point3 at{};
    EXPECT_TRUE(editing.GetSplitPipeAndPoint(*doc, picked, at));
    EXPECT_EQ(picked, pipes[0]);
    EXPECT_EQ(at, (acad::Point3{25, 0, 0}));
    using K = host::UiEvent::Kind;
    const host::UiEvent escape{K::Command, "\x1b", 0, ""}, pipe{K::Prompt, "Select pipe to split:", 0, ""},
        point{K::Prompt, "Pick split point:", 0, ""};
    auto box = [](const char* text) { return host::UiEvent{K::MessageBox, text, 16, "Fluvamap"}; };
    EXPECT_THAT(host::Ui().Events(),
                testing::ElementsAre(escape, pipe, box("The selected entity is not a pipe!"), pipe,
                                     box("The selected entity is not a pipe!"), pipe, escape, point,
                                     box("The picked point lies at the pipe end!"), point,
                                     box("The picked point doesn't lie on the pipe!"), point));

    const std::size_t before = Entities();
    user->QueueCancel();
    EXPECT_FALSE(editing.GetSplitPipeAndPoint(*doc, picked, at));
    user->QueuePick(pipes[1]);
    user->QueueCancel();
    EXPECT_FALSE(editing.GetSplitPipeAndPoint(*doc, picked, at));
    EXPECT_FALSE(editing.GetSplitPipeAndPoint(*doc, picked, at)) << "a script that has run out";
    EXPECT_EQ(Entities(), before);
    Sound();
}

TEST_F(Splitting, TheHalvesAndTheNodeTakeInterpolatedLevelsAndTheSplitPipesPlaces) {
    SetPipeData(pipes[0], "P-1", 100, 99, "Box - 1200 x 800");
    // A second P-1 at the end node, and number 3 free again.
    SetPipeData(pipes[2], "P-1", 0, 0, "Circular - 200");
    auto set = general.InitializeSelectionSet(*doc, "SetNodesForLowHigh");
    auto start = Named(pipes[0], pe::kStartNodeId), end = Named(pipes[0], pe::kEndNodeId);
    editing.UpdateNodeData(*doc, fluvanet::IdText(*start), "N-1", 110, 100, "Match Inverts", *set);
    editing.UpdateNodeData(*doc, fluvanet::IdText(*end), "N-2", 105, 0, "No Matching", *set);
    auto label = Named(pipes[0], pe::kLabelBlockId), arrow = Named(pipes[0], pe::kArrowId);
    ASSERT_EQ(BoxCount(), "1");

    Halves h = Split(pipes[0], {10, 0, 0});
    EXPECT_EQ(h.first->Coordinates(), (std::vector<double>{0, 0, 10, 0}));
    EXPECT_EQ(h.second->Coordinates(), (std::vector<double>{10, 0, 50, 0}));
    for (const auto& e : std::vector<std::shared_ptr<acad::AcadEntity>>{h.first, h.second, h.node})
        EXPECT_EQ(e->Layer(), "Sewer - Network");
    using fluvanet::ElementRecord;
    ElementRecord one = ElementRecord::Read(h.first), two = ElementRecord::Read(h.second),
                  node = ElementRecord::Read(h.node);
    EXPECT_EQ(one.Text(pe::kCombinedLabel), "Pipe;Sewer;P-1");
    EXPECT_EQ(two.Text(pe::kCombinedLabel), "Pipe;Sewer;P-3");
    EXPECT_EQ(node.Text(ne::kCombinedLabel), "Node;Sewer;N-5");
    EXPECT_DOUBLE_EQ(one.Number(pe::kEndInvert), 99.8);
    EXPECT_DOUBLE_EQ(two.Number(pe::kStartInvert), 99.8);
    EXPECT_DOUBLE_EQ(node.Number(ne::kSumpLevel), 99.8);
    EXPECT_DOUBLE_EQ(node.Number(ne::kGroundLevel), 109);
    EXPECT_EQ(two.Text(pe::kSectionShape), "SectionShape_Box");
    EXPECT_EQ(two.Number(pe::kRise), 800);
    EXPECT_EQ(one.Codes(), fluvanet::PipeRecordCodes());
    EXPECT_EQ(two.Codes(), fluvanet::PipeRecordCodes());
    EXPECT_EQ(node.Codes(), fluvanet::NodeRecordCodes());
    EXPECT_EQ(node.Text(ne::kElementType), "GravityNode");
    EXPECT_EQ(node.Get(ne::kMatchingCode), Variant(int16_t{3}));
    EXPECT_EQ(node.Text(ne::kLowHighLabel) + node.Text(ne::kLowHighId), "");
    EXPECT_EQ(node.Text(ne::kStartPipeIds) + node.Text(ne::kEndPipeIds), Ref(Id(h.second)) + Ref(Id(h.first)));
    EXPECT_EQ(RecordText(start, ne::kStartPipeIds), Ref(Id(h.first)));
    EXPECT_EQ(RecordText(start, ne::kStartPipeLabels), Ref("P-1"));
    EXPECT_EQ(RecordText(end, ne::kEndPipeLabels), Ref("P-3") + Ref("P-1"));
    EXPECT_EQ(RecordText(end, ne::kEndPipeIds), Ref(Id(h.second)) + Ref(Id(pipes[2])));
    EXPECT_EQ(BoxCount(), "2");
    EXPECT_EQ(Count(library.GetMaterialsArray(*doc), "PVC"), "4");
    EXPECT_TRUE(pipes[0]->Erased() && label->Erased() && arrow->Erased());
    // Both P-1 are the user's doing; nothing else is amiss.
    EXPECT_THAT(NetworkFindings(*doc), testing::Each(testing::HasSubstr("label is used by 2 elements")));
    EXPECT_EQ(NetworkFindings(*doc).size(), 2u);
}

TEST_F(Splitting, TheHostRunsTheStepsLateBoundAndAnInnerVertexStartsTheSecondHalfTwice) {
    doc->Utility()->QueuePick(pipes[1]);
    doc->Utility()->QueuePoint({80, 0, 0});
    auto server = std::make_shared<fluvanet::Editing>();
    Variant document{doc}, pipe, point, first, second, node;
    ASSERT_TRUE(vb::CBool(vb::CallByName(server, "GetSplitPipeAndPoint", com::CallType::Method, document, pipe, point)));
    vb::CallByName(server, "CreateSplitEntities", com::CallType::Method, document, pipe, point, first, second, node);
    vb::CallByName(server, "AssignSplitXdata", com::CallType::Method, document, pipe, point, first, second, node);
    vb::CallByName(server, "UpdateLibrariesAfterSplitting", com::CallType::Method, document, pipe);
    for (const char* step : {"UpdateCrossingsAfterSplitting", "UpdateProfilesAfterSplitting"})
        vb::CallByName(server, step, com::CallType::Method, document, pipe, first, second);
    vb::CallByName(server, "DeleteSplitPipe", com::CallType::Method, document, pipe);
    EXPECT_EQ(first.ObjectAs<acad::AcadLWPolyline>()->Coordinates(), (std::vector<double>{50, 0, 80, 0}));
    auto half = second.ObjectAs<acad::AcadLWPolyline>();
    EXPECT_EQ(half->Coordinates(), (std::vector<double>{80, 0, 80, 0, 80, 30}));
    EXPECT_FALSE(RecordText(half, pe::kLabelBlockId).empty());
    Sound();
}

TEST_F(Splitting, AnArcPartsIntoTwoArcsOfItsCircleAndLevelsRunAlongIt) {
    // A half circle about (110, 0) of radius 10 below its chord, then 10 straight on.
    auto drawn = doc->ModelSpace()->AddLightWeightPolyline({100, 0, 120, 0, 130, 0});
    drawn->SetBulge(0, 1);
    auto set = general.InitializeSelectionSet(*doc, "Picked");
    set->AddItems({drawn});
    editing.CreateElementsInNetwork(*doc, *set, false, "Sewer", "Gravity");
    SetPipeData(drawn, "P-4", 10, 0, "Circular - 200");
    general.CreateNetworkDefintion(*doc, "Storm", "Gravity");
    Convert("Storm", {{105, -20, 105, -5}});
    const double pi = std::acos(-1.0), length = drawn->Length();
    ASSERT_NEAR(length, 10 * pi + 10, 1e-12);

    Halves h = Split(drawn, {110, -10, 0});
    EXPECT_EQ(h.first->Coordinates(), (std::vector<double>{100, 0, 110, -10}));
    EXPECT_EQ(h.second->Coordinates(), (std::vector<double>{110, -10, 120, 0, 130, 0}));
    EXPECT_NEAR(h.first->GetBulge(0), std::tan(pi / 8), 1e-12);
    EXPECT_NEAR(h.second->GetBulge(0), std::tan(pi / 8), 1e-12);
    EXPECT_EQ(h.second->GetBulge(1), 0);
    EXPECT_NEAR(h.first->Length() + h.second->Length(), length, 1e-9);
    const double invert = 10 - 10 * (5 * pi) / length;
    EXPECT_NEAR(fluvanet::ElementRecord::Read(h.first).Number(pe::kEndInvert), invert, 1e-9);
    EXPECT_NEAR(fluvanet::ElementRecord::Read(h.node).Number(ne::kSumpLevel), invert, 1e-9);
    // The crossing on the first quarter circle stays with the first half.
    EXPECT_EQ(fluvanet::refs::LeadingKeys(RecordText(h.first, pe::kCrossingIds)).size(), 1u);
    EXPECT_EQ(RecordText(h.second, pe::kCrossingIds), "");
    Sound();
}

TEST_F(Splitting, EachCrossingGoesToTheHalfItsPointLiesOnElseToTheSecond) {
    general.CreateNetworkDefintion(*doc, "Storm", "Gravity");
    Convert("Storm", {{5, -10, 5, 10}, {7, -10, 7, 10}, {30, -10, 30, 10}});
    const std::vector<std::string> crossings = fluvanet::refs::LeadingKeys(RecordText(pipes[0], pe::kCrossingIds));
    ASSERT_EQ(crossings.size(), 3u);
    auto annotationAt = [&](double x) {
        for (const std::string& id : crossings) {
            auto a = fluvanet::ObjectFromId(*doc, id);
            if (vb::Val(RecordText(a, fluvanet::crossing_entry::kPoint)) == x) return a;
        }
        return std::shared_ptr<acad::AcadObject>();
    };
    // Off by more than the first half's 8-decimal test allows.
    SetRecordEntry(annotationAt(7), fluvanet::crossing_entry::kPoint, Variant("7;0.001"));
    Halves h = Split(pipes[0], {10, 0, 0});
    auto listed = [&](const Line& p) {
        std::vector<std::string> ids = fluvanet::refs::LeadingKeys(RecordText(p, pe::kCrossingIds));
        std::sort(ids.begin(), ids.end());
        return ids;
    };
    EXPECT_EQ(listed(h.first), (std::vector<std::string>{fluvanet::IdText(*annotationAt(5))}));
    std::vector<std::string> second{fluvanet::IdText(*annotationAt(7)), fluvanet::IdText(*annotationAt(30))};
    std::sort(second.begin(), second.end());
    EXPECT_EQ(listed(h.second), second);
    EXPECT_THAT(RecordText(annotationAt(30), 1), testing::HasSubstr("SewerP-4"));
    Sound();
}

TEST_F(Splitting, TwoCrossingsOfOnePairUnderOneLabelEachKeepTheirOwnPlaceWhenSplitApart) {
    general.CreateNetworkDefintion(*doc, "Storm", "Gravity");
    const Line storm = Convert("Storm", {{10, -10, 10, 10, 30, 10, 30, -10}}).at(0);
    auto annotation = fluvanet::ObjectFromId(*doc, fluvanet::refs::ReferenceKey(RecordText(storm, pe::kCrossingIds)));
    auto twin = crossing_testing::DrawTwinCrossing(*doc, annotation, 30, 0);
    Sound();
    Halves h = Split(pipes[0], {20, 0, 0});
    EXPECT_EQ(RecordText(storm, pe::kCrossingIds), Ref(Id(acad::Cast<acad::AcadEntity>(annotation))) + Ref(Id(twin)));
    EXPECT_EQ(RecordText(storm, pe::kCrossingLabels),
              Ref("StormP-1SewerP-1Annotation") + Ref("StormP-1SewerP-4Annotation"));
    EXPECT_EQ(RecordText(h.second, pe::kCrossingLabels), Ref("StormP-1SewerP-4Annotation"));
    Sound();
}

TEST_F(Splitting, AProfileListsBothHalvesInItsDirectionAndIsFlagged) {
    NetworkBuilder net(*doc, "Sewer");
    AddProfileStyle(*doc, "Road");
    TestProfileOptions options;
    options.directions = {"0", "1"};
    TestProfile profile = AddTestProfile(*doc, net, "L-1", "Road", {{pipes[0], "P-1"}, {pipes[1], "P-2"}}, options);
    Halves h = Split(pipes[1], {80, 10, 0});
    auto record = profile.Record();
    EXPECT_EQ(record.Text(4), Ref("P-1") + Ref("P-4") + Ref("P-2"));
    EXPECT_EQ(record.Text(5), Ref(Id(pipes[0])) + Ref(Id(h.second)) + Ref(Id(h.first)));
    EXPECT_EQ(record.Text(6), ";0;1;1");
    EXPECT_EQ(record.Get(15), Variant(int16_t{1}));
    Sound();
}

TEST_F(Splitting, TheHalvesMustBeTwoEntitiesOtherThanTheSplitPipe) {
    general.CreateNetworkDefintion(*doc, "Storm", "Gravity");
    Convert("Storm", {{5, -10, 5, 10}});
    NetworkBuilder net(*doc, "Sewer");
    AddProfileStyle(*doc, "Road");
    TestProfile profile = AddTestProfile(*doc, net, "L-1", "Road", {{pipes[0], "P-1"}});
    const std::string crossings = RecordText(pipes[0], pe::kCrossingIds), listed = profile.Record().Text(5);
    // Each call listed the split pipe's crossings and profile places again, doubling them.
    Halves h;
    editing.CreateSplitEntities(*doc, *pipes[0], {10, 0, 0}, h.first, h.second, h.node);
    for (int i = 0; i < 3; ++i) {
        for (auto [one, two] : {std::pair{pipes[0], h.second}, std::pair{h.first, pipes[0]}, std::pair{h.first, h.first}}) {
            EXPECT_EQ(ErrorOf([&] { editing.UpdateCrossingsAfterSplitting(*doc, *pipes[0], *one, *two); }),
                      ErrorCode::InvalidProcedureCall);
            EXPECT_EQ(ErrorOf([&] { editing.UpdateProfilesAfterSplitting(*doc, *pipes[0], *one, *two); }),
                      ErrorCode::InvalidProcedureCall);
            EXPECT_EQ(ErrorOf([&] { editing.AssignSplitXdata(*doc, *pipes[0], {10, 0, 0}, *one, *two, *h.node); }),
                      ErrorCode::InvalidProcedureCall);
        }
    }
    // A split point that is no number.
    const std::size_t entities = Entities();
    for (const acad::Point3& at : {acad::Point3{std::nan(""), 0, 0}, acad::Point3{10, HUGE_VAL, 0}}) {
        EXPECT_EQ(ErrorOf([&] { editing.AssignSplitXdata(*doc, *pipes[0], at, *h.first, *h.second, *h.node); }),
                  ErrorCode::InvalidProcedureCall);
        Halves more;
        EXPECT_EQ(ErrorOf([&] { editing.CreateSplitEntities(*doc, *pipes[0], at, more.first, more.second, more.node); }),
                  ErrorCode::InvalidProcedureCall);
    }
    EXPECT_EQ(Entities(), entities);
    for (const auto& half : {std::static_pointer_cast<acad::AcadObject>(h.first), std::static_pointer_cast<acad::AcadObject>(h.node)})
        EXPECT_FALSE(fluvanet::ElementRecord::Read(half).Exists());
    EXPECT_EQ(RecordText(pipes[0], pe::kCrossingIds), crossings);
    EXPECT_EQ(profile.Record().Text(5), listed);

    // A locked label layer, where the labels could not go in: the halves and the node stay
    // bare, the end nodes as they were.
    auto n1 = Named(pipes[0], pe::kStartNodeId), n2 = Named(pipes[0], pe::kEndNodeId);
    const fluvanet::ElementRecord n1Before = fluvanet::ElementRecord::Read(n1),
                                  n2Before = fluvanet::ElementRecord::Read(n2);
    const std::size_t drawn = Entities();
    doc->Layers()->Item(Variant("Sewer - Annotation"))->SetLock(true);
    EXPECT_EQ(ErrorOf([&] { editing.AssignSplitXdata(*doc, *pipes[0], {10, 0, 0}, *h.first, *h.second, *h.node); }),
              ErrorCode::OnLockedLayer);
    for (const std::shared_ptr<acad::AcadEntity>& e : {std::shared_ptr<acad::AcadEntity>(h.first),
                                                       std::shared_ptr<acad::AcadEntity>(h.second),
                                                       std::shared_ptr<acad::AcadEntity>(h.node)})
        EXPECT_FALSE(fluvanet::ElementRecord::Read(e).Exists());
    EXPECT_EQ(fluvanet::ElementRecord::Read(n1).Values(), n1Before.Values());
    EXPECT_EQ(fluvanet::ElementRecord::Read(n2).Values(), n2Before.Values());
    EXPECT_EQ(Entities(), drawn);
    Sound();
    doc->Layers()->Item(Variant("Sewer - Annotation"))->SetLock(false);
}

TEST_F(Splitting, TheLastStepDeletesWithEventsOffAndPutsTheFlagBack) {
    struct FlagWatch : acad::EraseObserver {
        acad::AcadDocument* doc = nullptr;
        std::vector<int16_t> flags;
        void Erasing(const acad::AcadEntity&, Phase phase) override {
            if (phase == Phase::Before) flags.push_back(fluvanet::General().CheckEventsFlag(*doc));
        }
    };
    auto watch = std::make_shared<FlagWatch>();
    watch->doc = doc.get();
    doc->SetEraseObserver(watch);
    Split(pipes[0], {10, 0, 0});
    EXPECT_THAT(watch->flags, testing::ElementsAre(0, 0, 0));  // label block, arrow, pipe
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    general.TurnEventsOff(*doc);
    Split(pipes[1], {60, 0, 0});
    EXPECT_EQ(general.CheckEventsFlag(*doc), 0);
    Sound();

    // Refused whole: nothing goes when the label block's layer is locked, or when [18]
    // names no label block.
    general.TurnEventsOn(*doc);
    auto label = Named(pipes[2], pe::kLabelBlockId);
    doc->Layers()->Item(Variant("Sewer - Annotation"))->SetLock(true);
    EXPECT_EQ(ErrorOf([&] { editing.DeleteSplitPipe(*doc, *pipes[2]); }), ErrorCode::OnLockedLayer);
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    doc->Layers()->Item(Variant("Sewer - Annotation"))->SetLock(false);
    SetRecordEntry(pipes[2], pe::kLabelBlockId, Variant(RecordText(pipes[2], pe::kStartNodeId)));
    EXPECT_EQ(ErrorOf([&] { editing.DeleteSplitPipe(*doc, *pipes[2]); }), ErrorCode::TypeMismatch);
    EXPECT_FALSE(pipes[2]->Erased() || label->Erased());

    // A label block already gone counts as gone.
    acad::Cast<acad::AcadEntity>(label)->Delete();
    SetRecordEntry(pipes[2], pe::kArrowId, Variant(""));
    const std::size_t before = Entities();
    SetRecordEntry(pipes[2], pe::kLabelBlockId, Variant(Ref(fluvanet::IdText(*label))));
    editing.DeleteSplitPipe(*doc, *pipes[2]);
    EXPECT_TRUE(pipes[2]->Erased());
    EXPECT_EQ(Entities(), before - 1);
}

TEST(SplitEntities, AFailedInsertionTakesOutTheHalvesAgain) {
    auto doc = NewProjectDrawing();
    auto pipe = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 10, 0});
    fluvanet::NewPipeRecord(pipe, "Sewer", "Gravity", "P-1", "Metric", {}).Write();
    const std::size_t before = doc->Database()->SpaceEntities().size();
    Line first, second;
    std::shared_ptr<acad::AcadBlockReference> node;
    EXPECT_TRUE(ErrorOf([&] { fluvanet::Editing().CreateSplitEntities(*doc, *pipe, {5, 0, 0}, first, second, node); })
                    .has_value());
    EXPECT_EQ(doc->Database()->SpaceEntities().size(), before) << "no node block in this drawing";
    EXPECT_FALSE(first || second || node);
}

TEST_F(Splitting, ALockedLayerAnywhereInTheSequenceStopsItsFirstDrawingStep) {
    // Each locked in turn: the host's whole split goes through, or its first step refuses
    // with the drawing as it was; a lock met later would leave the split half done.
    const std::vector<std::string> locked{"Sewer - Network", "Sewer - Annotation", "Sewer - Arrow",
                                          "Crossing Point Annotation Lines", "Crossing Point Annotation Text", "0",
                                          "Drafting", "Profiles", "Storm - Network", "Storm - Annotation"};
    for (const std::string& layer : locked) {
        SCOPED_TRACE(layer);
        doc = NewProjectDrawing();
        AddActiveViewStyle(*doc, ViewStyleSettings({{18, "1"}}));  // arrows on gravity pipes
        general.CreateNetworkDefintion(*doc, "Sewer", "Gravity");
        pipes = Convert("Sewer", {{0, 0, 50, 0}, {50, 0, 80, 0, 80, 30}, {50, 30, 50, 0}});
        general.CreateNetworkDefintion(*doc, "Storm", "Gravity");
        Convert("Storm", {{30, -10, 30, 10}});
        AddProfileStyle(*doc, "Road");
        const TestProfile l1 =
            AddTestProfile(*doc, NetworkBuilder(*doc, "Sewer"), "L-1", "Road", {{pipes[0], "P-1"}, {pipes[1], "P-2"}});
        l1.block->SetLayer(doc->Layers()->Add("Profiles")->Name());
        doc->SetActiveLayer(doc->Layers()->Add("Drafting"));
        Sound();
        doc->Layers()->Item(Variant(layer))->SetLock(true);
        const std::string before = bench_support::DrawingText(*doc);

        const acad::Point3 at{10, 0, 0};
        Halves h;
        try {
            editing.CreateSplitEntities(*doc, *pipes[0], at, h.first, h.second, h.node);
        } catch (const com::Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::OnLockedLayer);
            EXPECT_THAT(e.Description(), testing::HasSubstr(layer));
            EXPECT_EQ(bench_support::DrawingText(*doc), before);
            continue;
        }
        std::string step = "AssignSplitXdata";
        try {
            editing.AssignSplitXdata(*doc, *pipes[0], at, *h.first, *h.second, *h.node);
            step = "UpdateLibrariesAfterSplitting";
            editing.UpdateLibrariesAfterSplitting(*doc, *pipes[0]);
            step = "UpdateCrossingsAfterSplitting";
            editing.UpdateCrossingsAfterSplitting(*doc, *pipes[0], *h.first, *h.second);
            step = "UpdateProfilesAfterSplitting";
            editing.UpdateProfilesAfterSplitting(*doc, *pipes[0], *h.first, *h.second);
            step = "DeleteSplitPipe";
            editing.DeleteSplitPipe(*doc, *pipes[0]);
        } catch (const com::Error& e) {
            ADD_FAILURE() << step << ": " << e.Description();
        }
        Sound();
    }
}

}  // namespace
