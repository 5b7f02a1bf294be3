#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "annotation/view_style.h"
#include "core/angles.h"
#include "core/general.h"
#include "core/plan_arcs.h"
#include "platform/vb_convert.h"

namespace fluvanet {

using com::CallType;
using com::SafeArray;
using com::Variant;

namespace {

// Stands in for dx of a vertical segment, so that its arrow points up or down.
constexpr double kTiny = 1e-10;

constexpr std::string_view kPipe = "Pipe";

// Read by name, as the host's entities are: an entity without the member fails with 438.
Variant Property(acad::AcadEntity& entity, std::string_view name) {
    return vb::CallByName(entity.shared_from_this(), name, CallType::Get);
}

}  // namespace

Variant ViewStyle::GetAnnoXYTheta(acad::AcadEntity& ElementEntity, const std::string& ElementType,
                                  const double& CorrectionAngleForCS) {
    std::vector<double> anchor(4, 0.0);
    if (ElementType != kPipe) {
        const SafeArray point = Property(ElementEntity, "InsertionPoint").Array();
        anchor[0] = vb::CDbl(point.Get(0));
        anchor[1] = vb::CDbl(point.Get(1));
        anchor[2] = CorrectionAngleForCS;
        return Variant(SafeArray::FromDoubles(anchor));
    }

    double half = vb::CDbl(Property(ElementEntity, "Length")) / 2;
    const SafeArray c = Property(ElementEntity, "Coordinates").Array();
    const Variant pipe(ElementEntity.shared_from_this());
    // The walk ends at the last segment's first item, however many vertices the pipe has.
    const int32_t lastSegmentItem = c.UBound(1) - 3;
    double run = 0;
    for (int32_t k = 0; k <= lastSegmentItem; k += 2) {
        double x1 = vb::CDbl(c.Get(k)), y1 = vb::CDbl(c.Get(k + 1));
        double x2 = vb::CDbl(c.Get(k + 2)), y2 = vb::CDbl(c.Get(k + 3));
        std::optional<plan::Arc> arc;
        if (double bulge = plan::BulgeByName(pipe, k / 2); plan::Arc::IsArc({x1, y1}, {x2, y2}, bulge))
            arc.emplace(plan::Point{x1, y1}, plan::Point{x2, y2}, bulge);
        double d = arc ? arc->Length() : std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2));
        // Half the length on an inner vertex belongs to the earlier segment.
        if (d + run >= half) {
            if (arc) {
                // On the arc itself, turned as its chord is.
                plan::Point at = arc->PointAt(half - run);
                anchor[0] = at.x;
                anchor[1] = at.y;
            } else {
                double share = plan::PerPlanLength(half - run, d);
                anchor[0] = x1 + (x2 - x1) * share;
                anchor[1] = y1 + (y2 - y1) * share;
            }
            anchor[2] = GetTextRotation(x1, y1, x2, y2, CorrectionAngleForCS);
            anchor[3] = GetArrowRotation(x1, y1, x2, y2);
            break;
        }
        run += d;
    }
    return Variant(SafeArray::FromDoubles(anchor));
}

double ViewStyle::GetTextRotation(const double& X1, const double& Y1, const double& X2, const double& Y2,
                                  const double& CorrectionAngleForCS) {
    double a = general_->GetAngleFromDelta(X2 - X1, Y2 - Y1);
    // Once only: a correction above a full turn may leave s negative, and the text then
    // keeps the segment's own angle.
    double s = a - CorrectionAngleForCS;
    if (s < 0) s += angles::kFullTurn;
    // Not brought back below a full turn: stored labels carry these values.
    if (s <= angles::kQuarterTurn) return a;
    if (s <= angles::kHalfTurn) return a + angles::kHalfTurn;
    if (s <= angles::kThreeQuarterTurn) return a - angles::kHalfTurn;
    return a;
}

double ViewStyle::GetArrowRotation(const double& X1, const double& Y1, const double& X2, const double& Y2) {
    double dx = X2 - X1;
    double dy = Y2 - Y1;
    double a = std::atan(dx != 0 ? dy / dx : dy / kTiny);
    if (dx < 0) return a + angles::kHalfTurn;
    if (dy < 0) return a + angles::kFullTurn;
    return a;
}

}  // namespace fluvanet
