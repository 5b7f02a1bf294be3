// A merge carried through: the merged pipe's record and label, its end nodes, the library
// counts, crossings and profiles, and what goes with events off.

#include <functional>

#include "bench/drawing_digest.h"
#include "crossing/crossing_records.h"
#include "crossing/low_high.h"
#include "tests/annotation/label_drawing.h"
#include "tests/editing/merging.h"
#include "tests/support/profile_builder.h"

namespace {

using namespace merge_testing;
using fluvanet::ElementRecord;
using fluvanet::IdText;
using V = std::vector<double>;
namespace ce = fluvanet::crossing_entry;

class MergedPipe : public Merging {
protected:
    std::string PvcCount() { return Count(library.GetMaterialsArray(*doc), "PVC"); }
    std::string SizeCount() { return Count(library.GetSizesArray(*doc, "Circular"), "200"); }
    std::vector<std::string> Keys(const std::shared_ptr<acad::AcadObject>& object, int32_t entry) {
        return fluvanet::refs::LeadingKeys(RecordText(object, entry));
    }
    // The merge up to its record step, and that step's error; `drawn` runs once the merged
    // pipe is drawn.
    std::optional<ErrorCode> AssignFails(const Pipes& picked, const std::function<void()>& drawn = [] {}) {
        doc->Utility()->QueueSelection({picked.begin(), picked.end()});
        set = Call("GetPipesToMerge");
        merged = Call("CreateMergedPipe", set, chain, crossingLabels, crossingIds);
        drawn();
        return ErrorOf([&] {
            Call("AssignMergedXdata", merged, chain, crossingLabels, crossingIds, first, last, startLabel, endLabel,
                 elementType, network, lowHigh);
        });
    }
};

TEST_F(MergedPipe, TwoPipesBecomeTheFirstBetweenTheFreeEnds) {
    // N-1 -P-1-> N-2 -P-2-> N-3 -P-3-> N-4, and P-4 from N-1, renamed XP-1; a pipe of Cross over P-2.
    Pipes p = Convert({{0, 0, 10, 0}, {10, 0, 20, 0}, {20, 0, 30, 0}, {0, 0, 0, -10}});
    Convert({{15, -5, 15, 5}}, "Cross");
    com::SafeArray circular = library.GetSizesArray(*doc, "Circular"), box = library.GetSizesArray(*doc, "Box"),
                   materials = library.GetMaterialsArray(*doc);
    editing->UpdatePipeData(*doc, IdText(*p[3]), "XP-1", 0, 0, "PVC", "Circular - 200", 1, circular, box, materials,
                            *general.InitializeSelectionSet(*doc, "SetNodesForLowHigh"));
    TestPipe{p[0], "P-1"}.SetInverts(101, 100.5);
    TestPipe{p[1], "P-2"}.SetInverts(100.5, 100);
    auto n1 = Referenced(p[0], pe::kStartNodeId), n2 = Referenced(p[0], pe::kEndNodeId);
    auto n3 = Referenced(p[1], pe::kEndNodeId), n2Label = Referenced(n2, ne::kLabelBlockId);
    auto annotation = fluvanet::ObjectFromId(*doc, Keys(p[1], pe::kCrossingIds).at(0));
    ASSERT_EQ(PvcCount(), "5");
    Sound();

    auto merged = Merge({p[1], p[0]});
    const std::string id = IdText(*merged);
    EXPECT_EQ(LabelOf(merged), "P-1");
    EXPECT_EQ(merged->Coordinates(), (V{0, 0, 10, 0, 20, 0}));
    ElementRecord r = ElementRecord::Read(merged);
    EXPECT_EQ(r.Codes(), fluvanet::PipeRecordCodes());
    EXPECT_EQ(r.Get(pe::kStartInvert), Variant(101.0));
    EXPECT_EQ(r.Get(pe::kEndInvert), Variant(100.0));
    EXPECT_EQ(r.Text(pe::kStartNodeLabel), Ref("N-1"));
    EXPECT_EQ(r.Text(pe::kEndNodeLabel), Ref("N-3"));
    EXPECT_TRUE(p[0]->Erased() && p[1]->Erased() && n2->Erased() && n2Label->Erased());
    EXPECT_EQ(vb::CStr(startLabel), Ref("N-1"));
    EXPECT_EQ(vb::CStr(endLabel), Ref("N-3"));
    EXPECT_EQ(vb::CStr(elementType), "GravityPipe");
    EXPECT_EQ(vb::CStr(network), "Main");
    auto nodes = std::dynamic_pointer_cast<acad::AcadSelectionSet>(lowHigh.Object());
    EXPECT_EQ(nodes->Name(), "SetNodesForLowHigh");
    EXPECT_THAT(nodes->Members(), ElementsAre(n1, n3));

    // XP-1 keeps its place; the merged pipe comes last.
    EXPECT_EQ(RecordText(n1, ne::kStartPipeLabels), Ref("XP-1") + Ref("P-1"));
    EXPECT_THAT(Keys(n1, ne::kStartPipeIds), ElementsAre(IdText(*p[3]), id));
    EXPECT_EQ(RecordText(n3, ne::kEndPipeLabels), Ref("P-1"));
    EXPECT_THAT(Keys(n3, ne::kEndPipeIds), ElementsAre(id));

    // The crossing names the merged pipe under its label.
    EXPECT_THAT(Keys(merged, pe::kCrossingIds), ElementsAre(IdText(*annotation)));
    EXPECT_TRUE(RecordText(annotation, ce::kPipe1Id) == Ref(id) || RecordText(annotation, ce::kPipe2Id) == Ref(id));
    EXPECT_NE(RecordText(annotation, ce::kCombinedLabel).find("MainP-1"), std::string::npos);
    EXPECT_EQ(PvcCount(), "4");
    EXPECT_EQ(SizeCount(), "4");
}

TEST_F(MergedPipe, ThreePipesLeaveOneInEveryProfileAndCountTwoLess) {
    // N-1 -P-1-> N-2 -P-2-> N-3 <-P-3- N-4 -P-4-> N-5; the chain starts at P-4, against its drawing.
    Pipes p = Convert({{0, 0, 10, 0}, {10, 0, 20, 0}, {30, 0, 20, 0}, {30, 0, 40, 0}});
    std::vector<TestPipe> t;
    for (int i = 0; i < 4; ++i) t.push_back({p[static_cast<std::size_t>(i)], "P-" + std::to_string(i + 1)});
    t[1].SetInverts(99.8, 99.6);
    t[2].SetInverts(99.6, 99.4);
    t[3].SetInverts(100, 99.2);
    auto n2 = Referenced(p[1], pe::kStartNodeId), n5 = Referenced(p[3], pe::kEndNodeId);
    AddProfileStyle(*doc, "Road");
    NetworkBuilder net(*doc, "Main");
    TestProfile l1 = AddTestProfile(*doc, net, "L-1", "Road", {t[0], t[1], t[2]}, {.directions = {"0", "1", "0"}});
    TestProfile l2 = AddTestProfile(*doc, net, "L-2", "Road", {t[2], t[3]});

    auto merged = Merge({p[1], p[2], p[3]});
    const std::string id = IdText(*merged);
    EXPECT_EQ(LabelOf(merged), "P-4");
    EXPECT_EQ(merged->Coordinates(), (V{40, 0, 30, 0, 20, 0, 10, 0}));
    EXPECT_EQ(ElementRecord::Read(merged).Get(pe::kStartInvert), Variant(99.2));
    EXPECT_EQ(ElementRecord::Read(merged).Get(pe::kEndInvert), Variant(99.8));
    EXPECT_EQ(RecordText(n5, ne::kStartPipeLabels), Ref("P-4"));
    EXPECT_EQ(RecordText(n5, ne::kEndPipeLabels), "");
    EXPECT_EQ(RecordText(n2, ne::kEndPipeLabels), Ref("P-1") + Ref("P-4"));
    EXPECT_EQ(RecordText(n2, ne::kStartPipeLabels), "");

    // In place of the first old pipe each profile lists, running against it.
    EXPECT_EQ(RecordText(l1.block, 4), Ref("P-1") + Ref("P-4"));
    EXPECT_THAT(Keys(l1.block, 5), ElementsAre(IdText(*p[0]), id));
    EXPECT_EQ(RecordText(l1.block, 6), ";0;0");
    EXPECT_EQ(RecordText(l2.block, 4), Ref("P-4"));
    EXPECT_EQ(RecordText(l2.block, 6), ";0");
    for (const TestProfile& l : {l1, l2}) EXPECT_EQ(l.Record().Get(15), Variant(int16_t{1}));
    EXPECT_EQ(RecordText(merged, pe::kProfileLabels), Ref("L-2") + Ref("L-1"));
    EXPECT_EQ(PvcCount(), "2");
    EXPECT_EQ(SizeCount(), "2");
}

TEST_F(MergedPipe, DeletionsRunWithEventsOffAndPutTheFlagBack) {
    Pipes p = Convert(
        {{0, 0, 10, 0}, {10, 0, 20, 0}, {50, 0, 60, 0}, {60, 0, 70, 0}, {0, 50, 10, 50}, {10, 50, 20, 50}});
    auto flags = std::make_shared<label_testing::FlagsAtErasure>(*doc);
    doc->SetEraseObserver(flags);
    Merge({p[0], p[1]});
    EXPECT_THAT(flags->flags, testing::AllOf(testing::SizeIs(testing::Gt(4u)), testing::Each(int16_t{0})));
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);

    // A label block already gone counts as deleted.
    general.TurnEventsOff(*doc);
    acad::Cast<acad::AcadEntity>(Referenced(p[3], pe::kLabelBlockId))->Delete();
    Merge({p[2], p[3]});
    EXPECT_TRUE(p[3]->Erased());
    EXPECT_EQ(general.CheckEventsFlag(*doc), 0);
    doc->SetEraseObserver(nullptr);

    general.TurnEventsOn(*doc);
    for (std::size_t i : {4u, 5u}) TestPipe{p[i], LabelOf(p[i])}.SetSize("SectionShape_Box", 1200, 800);
    Prepare({p[4], p[5]});
    EXPECT_EQ(Count(library.GetSizesArray(*doc, "Box"), "1200 x 800"), "-1");
    const std::size_t before = EntityCount();
    const std::string label = RecordText(p[5], pe::kLabelBlockId);
    SetRecordEntry(p[5], pe::kLabelBlockId, Variant(RecordText(p[5], pe::kStartNodeId)));
    EXPECT_EQ(ErrorOf([&] { Delete(); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(EntityCount(), before);
    SetRecordEntry(p[5], pe::kLabelBlockId, Variant(label));
    doc->Layers()->Item(Variant("Main - Annotation"))->SetLock(true);
    EXPECT_EQ(ErrorOf([&] { Delete(); }), ErrorCode::OnLockedLayer);
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    doc->Layers()->Item(Variant("Main - Annotation"))->SetLock(false);
    Delete();
    Sound();

    // A locked label layer, where the merged pipe's label could not go in: nothing changes.
    Pipes q = Convert({{0, 100, 10, 100}, {10, 100, 20, 100}});
    auto records = [&] {
        std::vector<std::string> all;
        for (const auto& e : doc->Database()->SpaceEntities())
            if (ElementRecord r = ElementRecord::Read(e); r.Exists()) all.push_back(testing::PrintToString(r.Values()));
        return all;
    };
    const auto unmerged = records();
    // Locked after the first step, which would have refused, the record step refuses too.
    EXPECT_EQ(AssignFails(q, [&] { doc->Layers()->Item(Variant("Main - Annotation"))->SetLock(true); }),
              ErrorCode::OnLockedLayer);
    EXPECT_FALSE(ElementRecord::Read(merged.ObjectAs<acad::AcadObject>()).Exists());
    EXPECT_EQ(records(), unmerged);
    Sound();
    doc->Layers()->Item(Variant("Main - Annotation"))->SetLock(false);

    // A pipe at the line's end whose [18] names its node fails its labels once the merged pipe
    // is in: the merged pipe goes out again and nothing else changed.
    Pipes r = Convert({{0, 200, 10, 200}, {10, 200, 20, 200}, {20, 200, 30, 200}});
    SetRecordEntry(r[2], pe::kLabelBlockId, Variant(RecordText(r[2], pe::kStartNodeId)));
    const auto findings = NetworkFindings(*doc);
    const auto damaged = records();
    EXPECT_EQ(AssignFails({r[0], r[1]}), ErrorCode::TypeMismatch);
    EXPECT_FALSE(ElementRecord::Read(merged.ObjectAs<acad::AcadObject>()).Exists());
    EXPECT_EQ(records(), damaged);
    EXPECT_EQ(NetworkFindings(*doc), findings);
}

TEST_F(MergedPipe, ALockedLayerAnywhereInTheSequenceStopsItsFirstDrawingStep) {
    // Each locked in turn: the host's whole merge goes through, or its first step refuses
    // with the drawing as it was; a lock met later would leave the merge half done.
    const std::vector<std::string> locked{"Main - Network", "Main - Annotation", "Main - Arrow",
                                          "Main - Low&High Points", "Crossing Point Annotation Lines",
                                          "Crossing Point Annotation Text", "0", "Drafting", "Profiles",
                                          "Cross - Network", "Cross Profiles", "Cross - Annotation"};
    for (const std::string& layer : locked) {
        SCOPED_TRACE(layer);
        doc = NewProjectDrawing();
        AddActiveViewStyle(*doc, ViewStyleSettings({{32, "1"}}));  // arrows on pressure pipes
        // Main: N-1 -P-1-> N-2 -P-2-> N-3 -P-3-> N-4, every node marked; Cross over P-1 and P-3.
        std::vector<TestPipe> main =
            ConvertPolylines(*doc, "Main", "Pressure", {{0, 0, 10, 0}, {10, 0, 20, 0}, {20, 0, 30, 0}});
        std::vector<TestPipe> cross = ConvertPolylines(*doc, "Cross", "Gravity", {{5, -5, 5, 5}, {25, -5, 25, 5}});
        AddProfileStyle(*doc, "Road");
        const TestProfile l1 = AddTestProfile(*doc, NetworkBuilder(*doc, "Main", "Pressure"), "L-1", "Road",
                                              {main[1], main[2]});
        const TestProfile l2 = AddTestProfile(*doc, NetworkBuilder(*doc, "Cross"), "L-2", "Road", {cross[1]});
        l1.block->SetLayer(doc->Layers()->Add("Profiles")->Name());
        l2.block->SetLayer(doc->Layers()->Add("Cross Profiles")->Name());
        doc->SetActiveLayer(doc->Layers()->Add("Drafting"));
        Sound();
        doc->Layers()->Item(Variant(layer))->SetLock(true);
        const std::string before = bench_support::DrawingText(*doc);

        doc->Utility()->QueueSelection({main[0].polyline, main[1].polyline});
        auto picked = editing->GetPipesToMerge(*doc);
        ASSERT_EQ(picked->Count(), 2);
        std::vector<std::shared_ptr<acad::AcadEntity>> sequence;
        std::string labels, ids;
        std::shared_ptr<acad::AcadLWPolyline> pipe;
        try {
            pipe = editing->CreateMergedPipe(*doc, *picked, sequence, labels, ids);
        } catch (const com::Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::OnLockedLayer);
            EXPECT_THAT(e.Description(), testing::HasSubstr(layer));
            EXPECT_EQ(bench_support::DrawingText(*doc), before);
            continue;
        }
        std::string step = "AssignMergedXdata";
        try {
            std::shared_ptr<acad::AcadEntity> firstPipe, lastPipe;
            std::string start, end, type, net;
            auto nodes = general.InitializeSelectionSet(*doc, "SetNodesForLowHigh");
            editing->AssignMergedXdata(*doc, *pipe, sequence, labels, ids, firstPipe, lastPipe, start, end, type, net,
                                       nodes);
            step = "UpdateLibrariesAfterMerging";
            editing->UpdateLibrariesAfterMerging(*doc, *firstPipe, int16_t{2});
            step = "UpdateCrossingsAfterMerging";
            editing->UpdateCrossingsAfterMerging(*doc, labels, ids, *pipe, *picked);
            step = "UpdateProfilesAfterMerging";
            editing->UpdateProfilesAfterMerging(*doc, *pipe, *picked);
            step = "DeleteOldMergedPipes";
            editing->DeleteOldMergedPipes(*doc, *picked, start, end);
            step = "the low/high classification";
            fluvanet::LowHigh lowHigh;
            lowHigh.BuildLowHighPointsAfterImporting(*doc, lowHigh.GetInitialNodesOIDArrayForLowHigh(*doc, *nodes),
                                                     net);
        } catch (const com::Error& e) {
            ADD_FAILURE() << step << ": " << e.Description();
        }
        Sound();
    }
}

}  // namespace
