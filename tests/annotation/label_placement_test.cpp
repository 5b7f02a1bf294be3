// Where a label and an arrow stand on a pipe or node, and how they are turned.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "annotation/view_style.h"
#include "tests/support/error_code.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

// The host's constants, which stored labels carry.
constexpr double P = 3.141592654;
constexpr double kFullTurn = 6.283185308;
constexpr double kThreeQuarter = 4.712388981;

class LabelPlacement : public ::testing::Test {
protected:
    std::shared_ptr<acad::AcadLWPolyline> Pipe(std::vector<double> vertices) {
        return doc_->ModelSpace()->AddLightWeightPolyline(vertices);
    }
    std::vector<double> Anchor(acad::AcadEntity& entity, const std::string& type = "Pipe", double correction = 0) {
        Variant v = vs_.GetAnnoXYTheta(entity, type, correction);
        EXPECT_EQ(v.Array().UBound(1), 3);
        return v.Array().ToDoubles();
    }

    std::shared_ptr<acad::AcadDocument> doc_ = acad::NewDrawing();
    fluvanet::ViewStyle vs_;
};

TEST_F(LabelPlacement, StraightPipesInEveryDirection) {
    EXPECT_EQ(Anchor(*Pipe({0, 0, 10, 0})), (std::vector<double>{5, 0, 0, 0}));

    // Read right to left, the text turns a whole half turn on and is not wrapped to 0.
    EXPECT_EQ(Anchor(*Pipe({10, 0, 0, 0})), (std::vector<double>{5, 0, kFullTurn, P}));

    std::vector<double> up = Anchor(*Pipe({0, 0, 0, 10}));
    EXPECT_EQ(up[1], 5);
    EXPECT_EQ(up[2], P / 2) << "a quarter turn exactly is not turned";
    EXPECT_LT(up[3], P / 2);
    EXPECT_GT(up[3], P / 2 - 1e-9);

    std::vector<double> down = Anchor(*Pipe({0, 10, 0, 0}));
    EXPECT_EQ(down[2], kThreeQuarter - P) << "three quarters exactly is turned";
    EXPECT_GT(down[3], kThreeQuarter);
    EXPECT_LT(down[3], kThreeQuarter + 1e-9);

    EXPECT_EQ(vs_.GetArrowRotation(3, 3, 3, 3), 0);
    EXPECT_NEAR(vs_.GetArrowRotation(0, 0, -1, -1), 5 * P / 4, 1e-9);
    EXPECT_NEAR(vs_.GetArrowRotation(0, 0, 1, -1), 7 * P / 4, 1e-9);
}

TEST_F(LabelPlacement, HalfTheLengthWalkedAlongThePipe) {
    std::vector<double> bend = Anchor(*Pipe({0, 0, 4, 0, 4, 6}));
    EXPECT_EQ(bend[0], 4);
    EXPECT_EQ(bend[1], 1);
    EXPECT_EQ(bend[2], P / 2);
    EXPECT_NEAR(bend[3], P / 2, 1e-9);

    // Half on the inner vertex: the earlier segment holds it.
    EXPECT_EQ(Anchor(*Pipe({0, 0, 5, 0, 5, 5})), (std::vector<double>{5, 0, 0, 0}));

    // An arc far longer than its chord: its middle, half the chord times the bulge below a
    // counter-clockwise chord, turned as the chord is.
    auto arc = Pipe({0, 0, 10, 0});
    arc->SetBulge(0, 3);
    std::vector<double> onArc = Anchor(*arc);
    EXPECT_NEAR(onArc[0], 5, 1e-12);
    EXPECT_NEAR(onArc[1], -15, 1e-12);
    EXPECT_EQ(onArc[2], 0);
    EXPECT_EQ(onArc[3], 0);
    // Half a circle of length 5 pi, then 30 straight: half the length lies on the straight
    // part, as far beyond the arc as the arc's length leaves.
    auto after = Pipe({0, 0, 10, 0, 40, 0});
    after->SetBulge(0, 1);
    const double half = (5 * std::acos(-1.0) + 30) / 2;
    std::vector<double> beyond = Anchor(*after);
    EXPECT_NEAR(beyond[0], 10 + half - 5 * std::acos(-1.0), 1e-12);
    EXPECT_EQ(beyond[1], 0);

    // No length in plan: its one point, turned as a segment without direction.
    EXPECT_EQ(Anchor(*Pipe({2, 2, 2, 2})), (std::vector<double>{2, 2, P / 2, 0}));
    auto line = doc_->ModelSpace()->AddLine({0, 0, 0}, {10, 0, 0});
    EXPECT_EQ(ErrorOf([&] { Anchor(*line); }), ErrorCode::NotApplicable);
}

TEST_F(LabelPlacement, TheWalkReachesTheLastSegmentOfAPipeOfAnyLength) {
    // Tiny steps, then one long segment, so that the walk reaches the very last segment.
    std::vector<double> vertices;
    for (int i = 0; i < 20000; ++i) vertices.insert(vertices.end(), {i * 0.001, 0});
    vertices.insert(vertices.end(), {1000000, 0});
    auto longest = Pipe(vertices);
    std::vector<double> anchor = Anchor(*longest);
    EXPECT_NEAR(anchor[0], longest->Length() / 2, 1e-6);
    EXPECT_EQ(anchor[1], 0);
}

TEST_F(LabelPlacement, NodesStandAtTheirInsertionPointAlongTheCorrection) {
    doc_->Blocks()->Add({0, 0, 0}, "Fluvamap_Node")->AddPoint({0, 0, 0});
    auto node = doc_->ModelSpace()->InsertBlock({12.5, -3, 7}, "Fluvamap_Node", 1, 1, 1, 0.4);
    EXPECT_EQ(Anchor(*node, "Node", 1.570796327), (std::vector<double>{12.5, -3, 1.570796327, 0}));
    // Only "Pipe" walks a polyline; anything else is read as a node.
    EXPECT_EQ(ErrorOf([&] { Anchor(*Pipe({0, 0, 10, 0}), "pipe"); }), ErrorCode::NotApplicable);
}

TEST_F(LabelPlacement, TextTurnsUprightInTheUserSystemAddingAFullTurnOnce) {
    // Seen from a system turned a quarter: right to left reads upright untouched.
    EXPECT_EQ(vs_.GetTextRotation(10, 0, 0, 0, P / 2), P);
    // s in (P/2, P]: half a turn on, even past a full turn.
    EXPECT_NEAR(vs_.GetTextRotation(0, 0, std::cos(4.0), std::sin(4.0), 1.5), 4 + P, 1e-9);
    // s in (P, 3P/2]: half a turn back.
    EXPECT_NEAR(vs_.GetTextRotation(0, 0, std::cos(4.5), std::sin(4.5), 1), 4.5 - P, 1e-9);
    // Above three quarters: the segment's own angle.
    EXPECT_NEAR(vs_.GetTextRotation(0, 0, std::cos(5.0), std::sin(5.0), 0), 5, 1e-9);
    // A correction below the angle by more than a full turn: s stays negative after one
    // full turn and the text keeps the angle (a normalised s would have turned it).
    double a = std::atan(0.1);
    EXPECT_EQ(vs_.GetTextRotation(0, 0, 10, 1, 8.5), a);
    // A correction above a full turn, s negative once and positive after: turned.
    EXPECT_NEAR(vs_.GetTextRotation(0, 0, -10, -1, 6.5), P + a + P, 1e-9);
}

TEST_F(LabelPlacement, LateBoundMembers) {
    auto vs = std::make_shared<fluvanet::ViewStyle>();
    auto pipe = Pipe({10, 0, 0, 0});
    double correction = 0;
    EXPECT_EQ(vb::CallByName(vs, "GetAnnoXYTheta", com::CallType::Method, Variant(pipe), "Pipe", correction),
              Variant(com::SafeArray::FromDoubles({5, 0, kFullTurn, P})));
    EXPECT_EQ(vb::CallByName(vs, "GetTextRotation", com::CallType::Method, 10.0, 0.0, 0.0, 0.0, 0.0),
              Variant(kFullTurn));
    EXPECT_EQ(vb::CallByName(vs, "GetArrowRotation", com::CallType::Method, 0.0, 0.0, -1.0, 0.0), Variant(P));
}

}  // namespace
