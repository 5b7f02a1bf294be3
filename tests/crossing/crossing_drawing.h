#pragma once
// Gravity networks "A" and "B" for the crossing tests: pipes of their own between two new
// nodes, picked into a selection set, and the annotations, leaders and texts of a drawing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/general.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "crossing/crossing_records.h"
#include "editing/pipe_node_records.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"

namespace crossing_testing {

using namespace testing_support;
using com::ErrorCode;
using com::Variant;
using fluvanet::CrossPoint;
using testing::ElementsAre;
using testing::IsEmpty;
namespace pe = fluvanet::pipe_entry;
namespace ce = fluvanet::crossing_entry;

inline std::string Ref(const std::string& key) { return ";RelatedTo" + key; }

// A second annotation of an annotated pipe pair, at another point, under the same label: what
// a merge leaves when two pipes that each crossed one pipe become one.
inline std::shared_ptr<acad::AcadBlockReference> DrawTwinCrossing(acad::AcadDocument& doc,
                                                                  const std::shared_ptr<acad::AcadObject>& annotation,
                                                                  double easting, double northing) {
    fluvanet::ElementRecord r = fluvanet::ElementRecord::Read(annotation);
    auto key = [&](int32_t entry) { return fluvanet::refs::ReferenceKey(r.Text(entry)); };
    CrossPoint twin;
    twin.Pipe1Net = r.Text(ce::kPipe1Net);
    twin.Pipe2Net = r.Text(ce::kPipe2Net);
    twin.Pipe1Label = key(ce::kPipe1Label);
    twin.Pipe2Label = key(ce::kPipe2Label);
    twin.Pipe1OID = key(ce::kPipe1Id);
    twin.Pipe2OID = key(ce::kPipe2Id);
    twin.Pipe1SizeString = r.Text(ce::kPipe1Size);
    twin.Pipe2SizeString = r.Text(ce::kPipe2Size);
    twin.Easting = easting;
    twin.Northing = northing;
    auto drawn = fluvanet::Crossing().DrawCrossingPoints(doc, {twin});
    return acad::Cast<acad::AcadBlockReference>(drawn->Item(0));
}

class CrossingDrawing : public testing::Test {
protected:
    // A pipe between two new nodes, with the inverts given.
    TestPipe Pipe(NetworkBuilder& net, geom::Point2 from, geom::Point2 to, double startInvert = 0,
                  double endInvert = 0, const std::vector<geom::Point2>& inner = {}) {
        TestPipe pipe = net.AddPipe(net.AddNode(from.x, from.y), net.AddNode(to.x, to.y), inner);
        pipe.SetInverts(startInvert, endInvert);
        return pipe;
    }
    std::shared_ptr<acad::AcadSelectionSet> Picked(const std::vector<TestPipe>& pipes) {
        auto set = general.InitializeSelectionSet(*doc, "Picked");
        for (const TestPipe& p : pipes) set->AddItems({p.polyline});
        return set;
    }
    std::vector<CrossPoint> Search(const std::vector<TestPipe>& pipes) {
        return crossing.GetCrossingPointsArrayForSetOfPipes(*doc, *Picked(pipes));
    }
    void Build(const std::vector<TestPipe>& pipes) {
        crossing.BuildCrossingPointsAfterImporting(*doc, *Picked(pipes), "US");
        Sound();
    }
    void Sound() { EXPECT_THAT(NetworkFindings(*doc), IsEmpty()); }

    std::vector<std::shared_ptr<acad::AcadBlockReference>> Annotations() {
        std::vector<std::shared_ptr<acad::AcadBlockReference>> found;
        for (const auto& e : crossing.GetExistingCrossingPointsSet(*doc, "")->Members())
            found.push_back(acad::Cast<acad::AcadBlockReference>(e));
        return found;
    }
    std::shared_ptr<acad::AcadBlockReference> Only() {
        auto all = Annotations();
        EXPECT_EQ(all.size(), 1u);
        return all.empty() ? nullptr : all[0];
    }
    std::shared_ptr<acad::AcadLine> Leader(const std::shared_ptr<acad::AcadBlockReference>& annotation) {
        std::string key = fluvanet::refs::ReferenceKey(RecordText(annotation, ce::kLineId));
        return acad::Cast<acad::AcadLine>(fluvanet::ObjectFromId(*doc, key));
    }
    static std::vector<std::string> Texts(const std::shared_ptr<acad::AcadBlockReference>& annotation) {
        std::vector<std::string> texts;
        for (const auto& a : annotation->GetAttributes()) texts.push_back(a->TextString());
        return texts;
    }
    void SetCrossingEntry(const std::string& text) { SetRecordEntry(doc->ModelSpace(), 8, Variant(text)); }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    NetworkBuilder a{*doc, "A"};
    NetworkBuilder b{*doc, "B"};
    fluvanet::General general;
    fluvanet::Crossing crossing;
};

}  // namespace crossing_testing
