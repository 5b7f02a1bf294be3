// Turning pipes end for end: geometry, records, the nodes' lists by position, profiles and
// labels following; what a bad pipe leaves; and the two on-screen selections.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "annotation/view_style.h"
#include "bench/drawing_digest.h"
#include "core/general.h"
#include "core/library.h"
#include "core/reference_lists.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "platform/ui_log.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"
#include "tests/support/view_style.h"
#include "tests/support/xdata.h"

namespace {

using namespace testing_support;
using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using testing::IsEmpty;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;
using Entities = std::vector<std::shared_ptr<acad::AcadEntity>>;

std::string Ref(const std::string& key) { return fluvanet::refs::Reference(key); }
constexpr double kPi = 3.14159265358979;

// Converted from (0, 0)-(10, 0), (10, 0)-(15, 5)-(20, 5) and (10, 10)-(10, 0):
// N-1 -P-1-> N-2 -P-2-> N-3, and N-4 -P-3-> N-2.
class Reversal : public testing::Test {
protected:
    Reversal() {
        AddActiveViewStyle(*doc, ViewStyleSettings());
        general.CreateNetworkDefintion(*doc, "Sewer", "Gravity");
        Entities lines{Polyline({0, 0, 10, 0}), Polyline({10, 0, 15, 5, 20, 5}), Polyline({10, 10, 10, 0})};
        auto set = SetOf(lines);
        editing.CreateElementsInNetwork(*doc, *set, false, "Sewer", "Gravity");
        for (const auto& line : lines) {
            auto polyline = acad::Cast<acad::AcadLWPolyline>(line);
            pipes.push_back({polyline, LabelOf(polyline)});
        }
        nodes = {NodeAt(P(1), pe::kStartNodeId), NodeAt(P(1), pe::kEndNodeId), NodeAt(P(2), pe::kEndNodeId),
                 NodeAt(P(3), pe::kStartNodeId)};
    }

    const TestPipe& P(int i) const { return pipes[static_cast<std::size_t>(i - 1)]; }
    const TestNode& N(int i) const { return nodes[static_cast<std::size_t>(i - 1)]; }

    std::shared_ptr<acad::AcadLWPolyline> Polyline(const std::vector<double>& xy) {
        return doc->ModelSpace()->AddLightWeightPolyline(xy);
    }
    std::shared_ptr<acad::AcadSelectionSet> SetOf(const Entities& entities) {
        auto set = general.InitializeSelectionSet(*doc, "Picked");
        set->AddItems(entities);
        return set;
    }
    void Reverse(const std::vector<TestPipe>& reversed) {
        Entities entities;
        for (const auto& p : reversed) entities.push_back(p.polyline);
        editing.ReverseSelectedPipes(*doc, *SetOf(entities));
    }
    static std::string LabelOf(const std::shared_ptr<acad::AcadObject>& element) {
        return vb::Split(RecordText(element, 1), ";").at(2);
    }
    TestNode NodeAt(const TestPipe& pipe, int32_t idEntry) {
        auto block = acad::Cast<acad::AcadBlockReference>(
            fluvanet::ObjectFromId(*doc, fluvanet::refs::ReferenceKey(RecordText(pipe.polyline, idEntry))));
        return {block, LabelOf(block)};
    }
    std::shared_ptr<acad::AcadEntity> Linked(const std::shared_ptr<acad::AcadObject>& owner, int32_t entry) {
        return std::dynamic_pointer_cast<acad::AcadEntity>(
            fluvanet::ObjectFromId(*doc, fluvanet::refs::ReferenceKey(RecordText(owner, entry))));
    }
    static std::vector<std::string> Texts(const std::shared_ptr<acad::AcadObject>& object) {
        std::vector<std::string> texts;
        fluvanet::ElementRecord record = fluvanet::ElementRecord::Read(object);
        for (const Variant& v : record.Values()) texts.push_back(vb::CStr(v));
        return texts;
    }
    // Every record and every polyline's vertices: what a refused reversal leaves alone.
    std::vector<std::string> Drawing() {
        std::vector<std::string> all;
        for (const auto& e : doc->Database()->SpaceEntities()) {
            std::string text;
            for (const std::string& v : Texts(e)) text += v + "|";
            if (auto pl = std::dynamic_pointer_cast<acad::AcadLWPolyline>(e))
                for (double c : pl->Coordinates()) text += vb::CStr(c) + ",";
            all.push_back(text);
        }
        return all;
    }
    void Sound() {
        std::vector<std::string> findings = NetworkFindings(*doc);
        EXPECT_THAT(findings, IsEmpty()) << testing::PrintToString(findings);
    }
    // The host's pipe dialog giving a pipe another label, all else as it is.
    void Relabel(const TestPipe& pipe, const std::string& label) {
        SafeArray circular = library.GetSizesArray(*doc, "Circular"), box = library.GetSizesArray(*doc, "Box"),
                  materials = library.GetMaterialsArray(*doc);
        auto lowHigh = general.InitializeSelectionSet(*doc, "SetNodesForLowHigh");
        editing.UpdatePipeData(*doc, pipe.Id(), label, pipe.Record().Number(pe::kStartInvert),
                               pipe.Record().Number(pe::kEndInvert), "PVC", "Circular - 200", 1, circular, box,
                               materials, *lowHigh);
    }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    fluvanet::General general;
    fluvanet::Library library;
    fluvanet::Editing editing;
    std::vector<TestPipe> pipes;
    std::vector<TestNode> nodes;
};

TEST_F(Reversal, TwiceGivesBackTheGeometryAndTheRecordWithTheNodesListingItLast) {
    P(2).SetInverts(100, 99);
    const std::vector<std::string> before = Texts(P(2).polyline);
    const std::string n2 = N(2).Id(), n3 = N(3).Id();

    Reverse({P(2)});
    EXPECT_EQ(P(2).polyline->Coordinates(), (std::vector<double>{20, 5, 15, 5, 10, 0}));
    fluvanet::ElementRecord turned = P(2).Record();
    EXPECT_EQ(turned.Get(pe::kStartInvert), Variant(99.0));
    EXPECT_EQ(turned.Get(pe::kEndInvert), Variant(100.0));
    EXPECT_EQ(turned.Text(pe::kStartNodeLabel), Ref(N(3).label));
    EXPECT_EQ(turned.Text(pe::kEndNodeLabel), Ref(N(2).label));
    EXPECT_EQ(turned.Text(pe::kStartNodeId), Ref(n3));
    EXPECT_EQ(turned.Text(pe::kEndNodeId), Ref(n2));
    std::vector<std::string> now = Texts(P(2).polyline);
    for (int32_t k : {9, 10, 12, 13, 14, 15}) now[static_cast<std::size_t>(k)] = before[static_cast<std::size_t>(k)];
    EXPECT_EQ(now, before);  // nothing else of the pipe changes
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeLabels), Ref(P(1).label) + Ref(P(3).label) + Ref(P(2).label));
    Sound();

    Reverse({P(2)});
    EXPECT_EQ(P(2).polyline->Coordinates(), (std::vector<double>{10, 0, 15, 5, 20, 5}));
    EXPECT_EQ(Texts(P(2).polyline), before);
    EXPECT_EQ(P(2).Record().Codes(), fluvanet::PipeRecordCodes());
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeLabels), Ref(P(1).label) + Ref(P(3).label));
    Sound();

    // A pipe listed first at its side comes back last.
    Reverse({P(1)});
    Reverse({P(1)});
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeLabels), Ref(P(3).label) + Ref(P(1).label));
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeIds), Ref(P(3).Id()) + Ref(P(1).Id()));
    Sound();

    // An empty set turns nothing.
    const auto untouched = Drawing();
    editing.ReverseSelectedPipes(*doc, *SetOf({}));
    EXPECT_EQ(Drawing(), untouched);
}

TEST_F(Reversal, SeveralPipesAtOnceAndTheirLabelsAndArrowsFollow) {
    P(1).SetInverts(101, 100);
    auto arrow = Linked(P(1).polyline, pe::kArrowId);
    auto label = acad::Cast<acad::AcadBlockReference>(Linked(P(1).polyline, pe::kLabelBlockId));
    auto slope = [&] { return label->GetAttributes().back()->TextString(); };
    const std::string downhill = slope();
    const double heading = acad::Cast<acad::AcadBlockReference>(arrow)->Rotation();

    Reverse({P(1), P(3)});
    EXPECT_EQ(P(1).polyline->Coordinates(), (std::vector<double>{10, 0, 0, 0}));
    EXPECT_EQ(P(3).polyline->Coordinates(), (std::vector<double>{10, 0, 10, 10}));
    // The arrow points the other way and the slope is read from the new start.
    double turned = std::remainder(acad::Cast<acad::AcadBlockReference>(arrow)->Rotation() - heading, 2 * kPi);
    EXPECT_NEAR(std::abs(turned), kPi, 1e-6);
    EXPECT_NE(slope(), downhill);
    EXPECT_EQ(RecordText(N(2).block, ne::kStartPipeLabels), Ref(P(2).label) + Ref(P(1).label) + Ref(P(3).label));
    Sound();
}

TEST_F(Reversal, ANodeLosesOnlyThePositionOfTheReversedPipe) {
    // "XP-1" ends like "P-1": a match by the end of the text would take both.
    Relabel(P(3), "X" + P(1).label);
    Reverse({P(1)});
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeLabels), Ref("X" + P(1).label));
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeIds), Ref(P(3).Id()));
    EXPECT_EQ(RecordText(N(2).block, ne::kStartPipeLabels), Ref(P(2).label) + Ref(P(1).label));
    Sound();
    Reverse({P(1)});
    Sound();

    // Two pipes of one label at the node: the lists stay in step, each label with its pipe.
    Relabel(P(3), P(1).label);
    const std::vector<std::string> duplicates = NetworkFindings(*doc);
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeLabels), Ref(P(1).label) + Ref(P(1).label));
    Reverse({P(3)});
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeLabels), Ref(P(1).label));
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeIds), Ref(P(1).Id()));
    EXPECT_EQ(RecordText(N(2).block, ne::kStartPipeIds), Ref(P(2).Id()) + Ref(P(3).Id()));
    EXPECT_EQ(NetworkFindings(*doc), duplicates);  // the shared label, nothing more
}

TEST_F(Reversal, AProfileDirectionFlipsAndTheProfileIsFlagged) {
    AddProfileStyle(*doc, "Road");
    NetworkBuilder net(*doc, "Sewer", "Gravity");
    TestProfile profile = AddTestProfile(*doc, net, "L-1", "Road", {P(1), P(2)});
    auto stamps = [&] {
        int count = 0;
        for (const auto& e : doc->Blocks()->Item(Variant(profile.block->Name()))->Entities())
            if (auto text = std::dynamic_pointer_cast<acad::AcadText>(e)) count += text->TextString() == "NeedsUpdate";
        return count;
    };
    ASSERT_EQ(profile.Record().Get(15), Variant(int16_t{0}));

    Reverse({P(3)});  // in no profile
    EXPECT_EQ(profile.Record().Text(6), ";0;0");
    EXPECT_EQ(profile.Record().Get(15), Variant(int16_t{0}));

    Reverse({P(2)});
    EXPECT_EQ(profile.Record().Text(6), ";0;1");
    EXPECT_EQ(profile.Record().Get(15), Variant(int16_t{1}));
    EXPECT_EQ(stamps(), 1);
    Sound();
    Reverse({P(2), P(1)});
    EXPECT_EQ(profile.Record().Text(6), ";1;0");
    EXPECT_EQ(stamps(), 1);
    Sound();
}

// A label the user moved stays where it is whatever stops the reversal: a locked layer it
// would write refuses it (its attributes' layer "0", or the active layer, where flagging a
// profile starts the stamp), and a later pipe that fails takes the turned one back.
TEST_F(Reversal, ALabelTheUserMovedStaysWhereverTheReversalStops) {
    auto label = acad::Cast<acad::AcadBlockReference>(Linked(P(1).polyline, pe::kLabelBlockId));
    ASSERT_EQ(label->GetAttributes().front()->Layer(), "0");
    auto unchanged = [&](std::vector<TestPipe> reversed, ErrorCode code) {
        label->Move(label->InsertionPoint(), {3, 4, 0});
        const std::string before = bench_support::DrawingText(*doc);
        EXPECT_EQ(ErrorOf([&] { Reverse(reversed); }), code);
        EXPECT_EQ(bench_support::DrawingText(*doc), before);
    };
    doc->Layers()->Item(Variant("0"))->SetLock(true);
    unchanged({P(1)}, ErrorCode::OnLockedLayer);
    doc->Layers()->Item(Variant("0"))->SetLock(false);

    AddProfileStyle(*doc, "Road");
    NetworkBuilder net(*doc, "Sewer", "Gravity");
    TestProfile profile = AddTestProfile(*doc, net, "L-1", "Road", {P(1), P(2)});
    doc->SetActiveLayer(doc->Layers()->Add("Work"));
    doc->Layers()->Item(Variant("Work"))->SetLock(true);
    unchanged({P(1)}, ErrorCode::OnLockedLayer);
    doc->Layers()->Item(Variant("Work"))->SetLock(false);

    // P-3's profile lists more directions than pipes: found after P-1 has turned and been labelled.
    fluvanet::Profile().FlagProfileForUpdate(*doc, profile.Id());
    TestProfile broken = AddTestProfile(*doc, net, "L-2", "Road", {P(3)});
    SetRecordEntry(broken.block, 6, Variant(";0;0"));
    unchanged({P(1), P(3)}, ErrorCode::SubscriptOutOfRange);
    SetRecordEntry(broken.block, 6, Variant(";0"));

    Reverse({P(1)});
    EXPECT_EQ(profile.Record().Text(6), ";1;0");
    Sound();
}

TEST_F(Reversal, ABadPipeAnywhereInTheSetTurnsNothing) {
    const auto before = Drawing();

    // The end node named by an object that is no node, then by none at all.
    const std::string endNode = RecordText(P(2).polyline, pe::kEndNodeId);
    SetRecordEntry(P(2).polyline, pe::kEndNodeId, Variant(RecordText(N(3).block, ne::kLabelBlockId)));
    const auto labelled = Drawing();
    EXPECT_EQ(ErrorOf([&] { Reverse({P(1), P(2)}); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(Drawing(), labelled);
    SetRecordEntry(P(2).polyline, pe::kEndNodeId, Variant(endNode));
    ASSERT_EQ(Drawing(), before);

    // A record cut short.
    fluvanet::ElementRecord whole = P(3).Record();
    std::vector<int16_t> codes = whole.Codes();
    std::vector<Variant> values = whole.Values();
    codes.pop_back();
    values.pop_back();
    P(3).polyline->SetXData(Codes(codes), Values(values));
    const auto shortened = Drawing();
    EXPECT_EQ(ErrorOf([&] { Reverse({P(1), P(3)}); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(Drawing(), shortened);
    whole.Write();

    // A node in the set, and node lists out of step.
    EXPECT_EQ(ErrorOf([&] { editing.ReverseSelectedPipes(*doc, *SetOf({P(1).polyline, N(1).block})); }),
              ErrorCode::TypeMismatch);
    EXPECT_EQ(Drawing(), before);
    const std::string endLabels = RecordText(N(2).block, ne::kEndPipeLabels);
    SetRecordEntry(N(2).block, ne::kEndPipeLabels, Variant(Ref(P(1).label)));
    const auto stepped = Drawing();
    EXPECT_EQ(ErrorOf([&] { Reverse({P(3)}); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(Drawing(), stepped);
    SetRecordEntry(N(2).block, ne::kEndPipeLabels, Variant(endLabels));

    // The second pipe's label on a locked layer: refused before the first pipe turns.
    auto label = Linked(P(2).polyline, pe::kLabelBlockId);
    const std::string labelLayer = label->Layer();
    doc->Layers()->Item(Variant(labelLayer))->SetLock(true);
    EXPECT_EQ(ErrorOf([&] { Reverse({P(1), P(2)}); }), ErrorCode::OnLockedLayer);
    EXPECT_EQ(Drawing(), before);
    doc->Layers()->Item(Variant(labelLayer))->SetLock(false);

    // The second pipe of no length in plan, its end node moved onto its start: where its
    // labelling raises, the first pipe turns back, arrow and all.
    P(2).polyline->SetCoordinates({10, 0, 10, 0});
    N(3).block->SetInsertionPoint({10, 0, 0});
    const auto collapsed = Drawing();
    auto arrow = acad::Cast<acad::AcadBlockReference>(Linked(P(1).polyline, pe::kArrowId));
    const double heading = arrow->Rotation();
    if (ErrorOf([&] { Reverse({P(1), P(2)}); })) {
        EXPECT_EQ(Drawing(), collapsed);
        EXPECT_EQ(arrow->Rotation(), heading);
    }
    Sound();

    // The end node gone: raised before the first pipe turns.
    N(3).block->Delete();
    const auto gone = Drawing();
    const std::vector<double> first = P(1).polyline->Coordinates();
    EXPECT_TRUE(ErrorOf([&] { Reverse({P(1), P(2)}); }).has_value());
    EXPECT_EQ(Drawing(), gone);
    EXPECT_EQ(P(1).polyline->Coordinates(), first);
}

TEST_F(Reversal, ArcsStayWhereTheyWere) {
    auto arc = Polyline({30, 0, 40, 0, 50, 0});
    arc->SetBulge(0, 0.5);
    editing.CreateElementsInNetwork(*doc, *SetOf({arc}), true, "Sewer", "Gravity");
    // Where the path runs: its extents, arc bulge included.
    auto extents = [&] {
        geom::Box b = arc->Extents();
        return std::vector<double>{b.minX, b.minY, b.maxX, b.maxY};
    };
    const std::vector<double> before = extents();
    TestPipe pipe{arc, LabelOf(arc)};

    Reverse({pipe});
    EXPECT_EQ(arc->Coordinates(), (std::vector<double>{50, 0, 40, 0, 30, 0}));
    EXPECT_EQ(arc->GetBulge(0), 0);
    EXPECT_EQ(arc->GetBulge(1), -0.5);
    EXPECT_EQ(extents(), before);
    Sound();
    Reverse({pipe});
    EXPECT_EQ(arc->GetBulge(0), 0.5);
    EXPECT_EQ(arc->GetBulge(1), 0);
    EXPECT_EQ(extents(), before);
    Sound();

    // However many vertices the pipe has.
    std::vector<double> xy;
    for (int i = 0; i < 20000; ++i) xy.insert(xy.end(), {60.0 + i, 0});
    auto longest = Polyline(xy);
    longest->SetBulge(0, 0.5);
    editing.CreateElementsInNetwork(*doc, *SetOf({longest}), true, "Sewer", "Gravity");
    Reverse({{longest, LabelOf(longest)}});
    const std::vector<double> turned = longest->Coordinates();
    ASSERT_EQ(turned.size(), 40000u);
    EXPECT_EQ(turned.front(), 60.0 + 19999);
    EXPECT_EQ(turned[39998], 60);
    EXPECT_EQ(longest->GetBulge(0), 0);
    EXPECT_EQ(longest->GetBulge(19998), -0.5);
    Sound();
}

TEST_F(Reversal, OneNodeSideAtATimeByIndicator) {
    editing.ReversePipeReferenceInNode(*doc, P(2).label, P(2).Id(), N(2).Id(), 0);
    EXPECT_EQ(RecordText(N(2).block, ne::kStartPipeIds), "");
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeLabels), Ref(P(1).label) + Ref(P(3).label) + Ref(P(2).label));
    editing.ReversePipeReferenceInNode(*doc, P(1).label, P(1).Id(), N(2).Id(), 1);
    EXPECT_EQ(RecordText(N(2).block, ne::kStartPipeLabels), Ref(P(1).label));
    EXPECT_EQ(RecordText(N(2).block, ne::kStartPipeIds), Ref(P(1).Id()));
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeIds), Ref(P(3).Id()) + Ref(P(2).Id()));

    const auto before = Drawing();
    EXPECT_EQ(ErrorOf([&] { editing.ReversePipeReferenceInNode(*doc, P(1).label, P(1).Id(), N(2).Id(), 2); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { editing.ReversePipeReferenceInNode(*doc, P(1).label, P(1).Id(), P(2).Id(), 0); }),
              ErrorCode::TypeMismatch);
    EXPECT_EQ(Drawing(), before);

    // Late-bound, as the host calls it.
    auto server = std::make_shared<fluvanet::Editing>();
    Variant document{doc}, label{P(1).label}, pipe{P(1).Id()}, node{N(2).Id()}, side{int16_t{0}};
    vb::CallByName(server, "ReversePipeReferenceInNode", com::CallType::Method, document, label, pipe, node, side);
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeIds), Ref(P(3).Id()) + Ref(P(2).Id()) + Ref(P(1).Id()));
}

TEST_F(Reversal, APipeFromANodeBackToItStaysListedOnBothSides) {
    // Conversion gives each end a node of its own; a drawing edited since may not.
    NetworkBuilder net(*doc, "Sewer", "Gravity");
    TestNode node = net.AddNode(60, 0);
    TestPipe loop = net.AddPipe(node, node, {{70, 0}, {70, 10}});
    Sound();
    Reverse({loop});
    EXPECT_EQ(loop.polyline->Coordinates(), (std::vector<double>{60, 0, 70, 10, 70, 0, 60, 0}));
    EXPECT_EQ(RecordText(node.block, ne::kStartPipeIds), Ref(loop.Id()));
    EXPECT_EQ(RecordText(node.block, ne::kEndPipeIds), Ref(loop.Id()));
    Sound();
}

// ---- selections -------------------------------------------------------------------------

TEST_F(Reversal, PipesToReverseAreTaggedPolylinesAndACancelGivesAnEmptySet) {
    auto plain = Polyline({0, 30, 5, 30});
    auto node = N(1).block;
    auto labelBlock = Linked(P(1).polyline, pe::kLabelBlockId);
    general.InitializeSelectionSet(*doc, "SetPipesToReverse")->AddItems({plain});
    host::Ui().Clear();
    doc->Utility()->QueueSelection({plain, node, P(2).polyline, labelBlock, P(1).polyline});
    auto set = editing.GetPipesToReverse(*doc);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->Name(), "SetPipesToReverse");
    EXPECT_EQ(set->Members(), (Entities{P(2).polyline, P(1).polyline}));
    const std::vector<host::UiEvent>& ui = host::Ui().Events();
    ASSERT_EQ(ui.size(), 2u);
    EXPECT_EQ(ui[0], (host::UiEvent{host::UiEvent::Kind::Command, "\x1b", 0, ""}));
    EXPECT_EQ(ui[1], (host::UiEvent{host::UiEvent::Kind::Prompt, "Select Pipes to Reverse:", 0, ""}));

    // The host passes the set on late-bound.
    auto server = std::make_shared<fluvanet::Editing>();
    Variant document{doc}, picked{set};
    vb::CallByName(server, "ReverseSelectedPipes", com::CallType::Method, document, picked);
    EXPECT_EQ(P(1).polyline->Coordinates(), (std::vector<double>{10, 0, 0, 0}));
    Sound();

    doc->Utility()->QueueCancel();
    set = editing.GetPipesToReverse(*doc);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->Count(), 0);
    // A set that cannot be made is Nothing, not an error.
    set->Delete();
    doc->SelectionSets()->Add("setpipestoreverse");
    doc->Utility()->QueueSelection({P(1).polyline});
    EXPECT_EQ(editing.GetPipesToReverse(*doc), nullptr);
}

TEST_F(Reversal, GroupEditingTakesTaggedPolylinesAndBlocksOnly) {
    auto plain = Polyline({0, 30, 5, 30});
    auto line = doc->ModelSpace()->AddLine({0, 40, 0}, {5, 40, 0});
    SetTextRecord(*line, {";;Other", "Other"});
    auto untaggedNode = doc->ModelSpace()->InsertBlock({0, 50, 0}, "Fluvamap_Node", 1, 1, 1, 0);
    auto labelBlock = Linked(N(2).block, ne::kLabelBlockId);
    auto arrow = Linked(P(1).polyline, pe::kArrowId);
    host::Ui().Clear();
    doc->Utility()->QueueSelection({plain, line, untaggedNode, P(1).polyline, N(2).block, labelBlock, arrow});
    auto set = editing.GetSelectionForGroupEditing(*doc);
    EXPECT_EQ(set->Name(), "GrEd_SetElementsGroup");
    EXPECT_EQ(set->Members(), (Entities{P(1).polyline, N(2).block, labelBlock, arrow}));
    EXPECT_EQ(host::Ui().Prompts(), (std::vector<std::string>{"Select Elements to Edit:"}));
    EXPECT_EQ(host::Ui().Events().front().text, "\x1b");

    // Nothing is caught here: the host learns of the cancel.
    doc->Utility()->QueueCancel();
    EXPECT_EQ(ErrorOf([&] { editing.GetSelectionForGroupEditing(*doc); }), ErrorCode::UserCancel);
}

}  // namespace
