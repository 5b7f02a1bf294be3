#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/reference_lists.h"
#include "core/select_all.h"
#include "crossing/crossing.h"
#include "crossing/crossing_records.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "profile/profile.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

// The pipes of one row of the network definitions, in creation order.
struct CrossingPipeGroup {
    std::string network;
    std::vector<std::shared_ptr<acad::AcadEntity>> pipes;
};

namespace {

// Wider than the tolerance within which IntersectWith reports a touch, so the box test
// never drops a crossing the point tests would keep.
constexpr double kBoxSlack = 1e-6;

struct PlanBox {
    double minX, minY, maxX, maxY;
};

PlanBox BoxOf(const acad::AcadEntity& entity) {
    acad::Point3 low{}, high{};
    entity.GetBoundingBox(low, high);
    return {low[0] - kBoxSlack, low[1] - kBoxSlack, high[0] + kBoxSlack, high[1] + kBoxSlack};
}

bool Overlap(const PlanBox& a, const PlanBox& b) {
    return a.minX <= b.maxX && b.minX <= a.maxX && a.minY <= b.maxY && b.minY <= a.maxY;
}

// The boxes of one group in a uniform grid, so that a pipe is tested only against the pipes
// near it. The candidates are a superset of the boxes that overlap, in the group's order.
class BoxGrid {
public:
    explicit BoxGrid(const std::vector<PlanBox>& boxes) : boxes_(boxes) {
        double minX = std::numeric_limits<double>::infinity(), minY = minX;
        double maxX = -minX, maxY = -minX, sides = 0;
        std::size_t finite = 0;
        for (const PlanBox& b : boxes) {
            if (!Finite(b)) continue;
            minX = std::min(minX, b.minX), minY = std::min(minY, b.minY);
            maxX = std::max(maxX, b.maxX), maxY = std::max(maxY, b.maxY);
            sides += std::max(b.maxX - b.minX, b.maxY - b.minY);
            ++finite;
        }
        if (finite == 0) return;
        // About one cell per box, and no smaller than a box on average.
        originX_ = minX, originY_ = minY;
        cell_ = std::max({std::max(maxX - minX, maxY - minY) / std::sqrt(static_cast<double>(finite)),
                          sides / static_cast<double>(finite), 1e-9});
        for (std::size_t j = 0; j < boxes.size(); ++j) {
            Range r;
            if (!Cells(boxes[j], r) || r.Count() > kMaxCellsPerBox) {
                everywhere_.push_back(j);
                continue;
            }
            for (int64_t x = r.x0; x <= r.x1; ++x)
                for (int64_t y = r.y0; y <= r.y1; ++y) cells_[Key(x, y)].push_back(j);
        }
    }

    void Candidates(const PlanBox& box, std::vector<std::size_t>& out) const {
        out.clear();
        Range r;
        if (cell_ == 0 || !Cells(box, r) || r.Count() > static_cast<double>(boxes_.size())) {
            for (std::size_t j = 0; j < boxes_.size(); ++j) out.push_back(j);
            return;
        }
        for (int64_t x = r.x0; x <= r.x1; ++x)
            for (int64_t y = r.y0; y <= r.y1; ++y)
                if (auto it = cells_.find(Key(x, y)); it != cells_.end())
                    out.insert(out.end(), it->second.begin(), it->second.end());
        out.insert(out.end(), everywhere_.begin(), everywhere_.end());
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }

private:
    static constexpr double kMaxCellsPerBox = 64;
    static constexpr double kMaxIndex = 1 << 30;
    struct Range {
        int64_t x0, y0, x1, y1;
        double Count() const { return (static_cast<double>(x1 - x0) + 1) * (static_cast<double>(y1 - y0) + 1); }
    };
    static bool Finite(const PlanBox& b) {
        return std::isfinite(b.minX) && std::isfinite(b.minY) && std::isfinite(b.maxX) && std::isfinite(b.maxY);
    }
    // The cells a box touches; false for one the grid cannot hold.
    bool Cells(const PlanBox& b, Range& r) const {
        if (!Finite(b)) return false;
        const double x0 = std::floor((b.minX - originX_) / cell_), x1 = std::floor((b.maxX - originX_) / cell_);
        const double y0 = std::floor((b.minY - originY_) / cell_), y1 = std::floor((b.maxY - originY_) / cell_);
        for (double v : {x0, x1, y0, y1})
            if (!(std::abs(v) < kMaxIndex)) return false;
        r = {static_cast<int64_t>(x0), static_cast<int64_t>(y0), static_cast<int64_t>(x1), static_cast<int64_t>(y1)};
        return true;
    }
    static uint64_t Key(int64_t x, int64_t y) {
        return (static_cast<uint64_t>(x) << 32) ^ (static_cast<uint64_t>(y) & 0xffffffffULL);
    }

    const std::vector<PlanBox>& boxes_;
    double originX_ = 0, originY_ = 0, cell_ = 0;
    std::unordered_map<uint64_t, std::vector<std::size_t>> cells_;
    std::vector<std::size_t> everywhere_;  // too large for the grid, or not finite
};

// Column 0 of every row: the network names, "" for the one row of a drawing without networks.
std::vector<std::string> RowNames(const SafeArray& definitions) {
    if (definitions.Dims() != 2) Raise(ErrorCode::SubscriptOutOfRange, "the network definitions are a table");
    const int32_t rows = definitions.UBound(1) + 1;
    std::vector<std::string> names;
    for (int32_t i = 0; i < rows; ++i) names.push_back(vb::CStr(definitions.Get(i, 0)));
    return names;
}

// No network is named "".
std::vector<std::string> DefinedNetworks(const std::vector<std::string>& rowNames) {
    std::vector<std::string> names;
    for (const std::string& name : rowNames)
        if (!name.empty()) names.push_back(name);
    return names;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

ElementRecord PipeRecord(const std::shared_ptr<acad::AcadEntity>& pipe) {
    ElementRecord record = ElementRecord::Read(pipe);
    RequireElementType(record, {element_type::kGravityPipe, element_type::kPressurePipe}, "a pipe");
    return record;
}

// A selection by (1000, "GravityPipe") lets through any record holding that text; only
// entry 2 makes a pipe.
bool IsPipe(General& general, acad::AcadEntity& entity) {
    return element_type::IsPipe(general.GetElementType(entity));
}

// The drawing's pipes by the network of their combined label, one group per row, in row
// order. A pipe of a network without a row belongs to no group.
std::vector<CrossingPipeGroup> GroupPipes(General& general, acad::AcadDocument& doc,
                                          const std::vector<std::string>& rowNames) {
    std::vector<CrossingPipeGroup> groups;
    for (const std::string& name : rowNames) groups.push_back({name, {}});
    auto all = general.InitializeSelectionSet(doc, std::string(kAllPipesSet));
    SelectAll(*all, {1001, 0, -4, 1000, 1000, -4},
              {Variant(kAppName), Variant("LWPOLYLINE"), Variant("<OR"), Variant(element_type::kGravityPipe),
               Variant(element_type::kPressurePipe), Variant("OR>")});
    const int32_t count = all->Count();
    for (int32_t i = 0; i < count; ++i) {
        auto pipe = all->Item(i);
        if (!IsPipe(general, *pipe)) continue;
        std::string network = general.GetElementNetwork(*pipe);
        for (CrossingPipeGroup& group : groups) {
            if (group.network.empty() || group.network != network) continue;
            group.pipes.push_back(pipe);
            break;
        }
    }
    return groups;
}

// One pipe pair by networks and labels, in the order given: two records are the same
// crossing when one's pair equals the other's either way round.
std::string PairKey(const std::string& net1, const std::string& label1, const std::string& net2,
                    const std::string& label2) {
    std::string key;
    for (const std::string* text : {&net1, &label1, &net2, &label2}) key += std::to_string(text->size()) + ":" + *text;
    return key;
}

// An annotation names the pair by networks and label references, either way round.
bool AnnotationNames(const ElementRecord& a, const CrossPoint& r) {
    const std::string n1 = a.Text(crossing_entry::kPipe1Net), n2 = a.Text(crossing_entry::kPipe2Net);
    const std::string l1 = a.Text(crossing_entry::kPipe1Label), l2 = a.Text(crossing_entry::kPipe2Label);
    return (n1 == r.Pipe1Net && n2 == r.Pipe2Net && l1 == refs::Reference(r.Pipe1Label) &&
            l2 == refs::Reference(r.Pipe2Label)) ||
           (n2 == r.Pipe1Net && n1 == r.Pipe2Net && l2 == refs::Reference(r.Pipe1Label) &&
            l1 == refs::Reference(r.Pipe2Label));
}

double PipeLength(const std::shared_ptr<acad::AcadEntity>& pipe) { return acad::Cast<acad::AcadLWPolyline>(pipe)->Length(); }

}  // namespace

void Crossing::BuildCrossingPointsAfterImporting(acad::AcadDocument& AcadActiveDocument, acad::AcadSelectionSet& SetPipes,
                                                 [[maybe_unused]] const std::string& ModelUnits) {
    std::vector<std::string> rows = RowNames(general_->GetNetworkDefinitions(AcadActiveDocument).Array());
    if (DefinedNetworks(rows).size() < 2 || SetPipes.Count() == 0) return;
    std::vector<CrossPoint> found = GetCrossingPointsArrayForSetOfPipes(AcadActiveDocument, SetPipes);
    std::vector<CrossPoint> fresh = UnannotatedCrossPoints(AcadActiveDocument, found);
    if (fresh[0].Pipe1Label.empty()) return;
    auto drawn = DrawAnnotations(AcadActiveDocument, fresh);
    ApplyCrossingSettings(AcadActiveDocument, *drawn, false);
    profile_->FlagProfilesOfCrossings(AcadActiveDocument, fresh);
}

std::vector<CrossPoint> Crossing::GetCrossingPointsArrayForSetOfPipes(acad::AcadDocument& AcadActiveDocument,
                                                                     acad::AcadSelectionSet& MyPipesSet) {
    // Grouped in memory: selection sets named like the networks would clash with each
    // other ("Main" and "MAIN") and with the search's own sets.
    std::vector<std::string> rows = RowNames(general_->GetNetworkDefinitions(AcadActiveDocument).Array());
    return SearchCrossings(AcadActiveDocument, DefinedNetworks(rows), GroupPipes(*general_, AcadActiveDocument, rows),
                           MyPipesSet);
}

std::vector<std::shared_ptr<acad::AcadSelectionSet>> Crossing::GetNetworkSetsAll(acad::AcadDocument& AcadActiveDocument,
                                                                                 const Variant& ArNetworkDefinitions) {
    const std::vector<std::string> rows = RowNames(ArNetworkDefinitions.Array());
    vb::Count16(rows.size());  // the host's table, before any set is made
    std::vector<CrossingPipeGroup> groups = GroupPipes(*general_, AcadActiveDocument, rows);
    std::vector<std::shared_ptr<acad::AcadSelectionSet>> sets;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        auto set = general_->InitializeSelectionSet(AcadActiveDocument,
                                                    std::string(kNetworkSetPrefix) + std::to_string(i));
        if (!groups[i].pipes.empty()) set->AddItems(groups[i].pipes);
        sets.push_back(std::move(set));
    }
    return sets;
}

std::vector<CrossPoint> Crossing::GetCrossPointsFromNetSetsAndPipeSet(
    acad::AcadDocument& AcadActiveDocument, const std::vector<std::shared_ptr<acad::AcadSelectionSet>>& ArNetworkSets,
    acad::AcadSelectionSet& MyPipesSet) {
    std::vector<CrossingPipeGroup> groups;
    vb::Count16(ArNetworkSets.size());
    for (const auto& set : ArNetworkSets) {
        if (!set) Raise(ErrorCode::ObjectRequired, "a network set is Nothing");
        const int32_t count = set->Count();
        if (count == 0) continue;
        CrossingPipeGroup group{general_->GetElementNetwork(*set->Item(0)), {}};
        for (int32_t i = 0; i < count; ++i)
            if (auto pipe = set->Item(i); IsPipe(*general_, *pipe)) group.pipes.push_back(pipe);
        groups.push_back(std::move(group));
    }
    std::vector<std::string> networks =
        DefinedNetworks(RowNames(general_->GetNetworkDefinitions(AcadActiveDocument).Array()));
    return SearchCrossings(AcadActiveDocument, networks, groups, MyPipesSet);
}

std::vector<CrossPoint> Crossing::SearchCrossings(acad::AcadDocument& AcadActiveDocument,
                                                  const std::vector<std::string>& networks,
                                                  const std::vector<CrossingPipeGroup>& groups,
                                                  acad::AcadSelectionSet& MyPipesSet) {
    const std::string units = general_->GetModelUnits(AcadActiveDocument);
    std::vector<std::vector<PlanBox>> boxes;
    for (const CrossingPipeGroup& group : groups) {
        boxes.emplace_back();
        for (const auto& pipe : group.pipes) boxes.back().push_back(BoxOf(*pipe));
    }
    std::vector<BoxGrid> grids;
    for (const std::vector<PlanBox>& groupBoxes : boxes) grids.emplace_back(groupBoxes);
    std::vector<std::size_t> near;
    std::unordered_set<std::string> pairs;  // of the crossings found, as found

    std::vector<CrossPoint> found;
    const int32_t count = MyPipesSet.Count();
    for (int32_t i = 0; i < count; ++i) {
        auto p = MyPipesSet.Item(i);
        ElementRecord pRecord = PipeRecord(p);
        std::string pNetwork = general_->EntityNetworkFromCombined(pRecord.Get(pipe_entry::kCombinedLabel));
        if (!Contains(networks, pNetwork)) continue;
        const PlanBox pBox = BoxOf(*p);
        for (std::size_t g = 0; g < groups.size(); ++g) {
            const CrossingPipeGroup& group = groups[g];
            if (group.network == pNetwork || !Contains(networks, group.network)) continue;
            grids[g].Candidates(pBox, near);
            for (std::size_t j : near) {
                if (!Overlap(pBox, boxes[g][j])) continue;
                const auto& q = group.pipes[j];
                // Only the first point the platform reports counts, however many there are.
                std::vector<double> points = p->IntersectWith(q, 0).Array().ToDoubles();
                if (points.size() < 3) continue;
                const double x = points[0], y = points[1];
                Variant point(SafeArray::FromDoubles({x, y, points[2]}));
                if (!CheckIntersectionPoint(point, Variant(p), Variant(q))) continue;
                ElementRecord qRecord = PipeRecord(q);
                // A pipe of no length, its nodes moved onto one place, has no place along it to
                // take a level from: it crosses nothing.
                if (PipeLength(p) == 0 || PipeLength(q) == 0) continue;
                double ratio1 = vb::Divide(general_->GetStation(Variant(p), x, y), PipeLength(p));
                double ratio2 = vb::Divide(general_->GetStation(Variant(q), x, y), PipeLength(q));
                CrossPoint crossing =
                    GetSingleCrossPointData(pRecord.ValuesVariant(), qRecord.ValuesVariant(), ratio1, ratio2, units);
                if (pairs.contains(PairKey(crossing.Pipe2Net, crossing.Pipe2Label, crossing.Pipe1Net,
                                           crossing.Pipe1Label)) ||
                    !pairs.insert(PairKey(crossing.Pipe1Net, crossing.Pipe1Label, crossing.Pipe2Net,
                                          crossing.Pipe2Label))
                         .second)
                    continue;
                crossing.Easting = x;
                crossing.Northing = y;
                crossing.Pipe1OID = IdText(*p);
                crossing.Pipe2OID = IdText(*q);
                found.push_back(std::move(crossing));
            }
        }
    }
    if (found.empty()) found.emplace_back();
    return found;
}

bool Crossing::CheckIntersectionPoint(const Variant& IntPoint, const Variant& FirstEntity,
                                      const Variant& SecondEntity) {
    for (const Variant* entity : {&FirstEntity, &SecondEntity}) {
        bool on = entity->ObjectAs<acad::AcadObject>()->ObjectName() == "AcDbLine"
                      ? general_->CheckPointOnLine(IntPoint, *entity)
                      : general_->CheckPointOnPolyline(IntPoint, *entity);
        if (!on) return false;
    }
    return true;
}

CrossPoint Crossing::GetSingleCrossPointData(const Variant& xData1, const Variant& xData2,
                                             const double& IntDistanceRatio1, const double& IntDistanceRatio2,
                                             const std::string& ModelUnits) {
    const SafeArray& values1 = xData1.Array();
    const SafeArray& values2 = xData2.Array();
    CrossPoint c;
    c.Pipe1Net = general_->EntityNetworkFromCombined(values1.Get(pipe_entry::kCombinedLabel));
    c.Pipe1Label = general_->EntityLabelFromCombined(values1.Get(pipe_entry::kCombinedLabel));
    c.Pipe2Net = general_->EntityNetworkFromCombined(values2.Get(pipe_entry::kCombinedLabel));
    c.Pipe2Label = general_->EntityLabelFromCombined(values2.Get(pipe_entry::kCombinedLabel));
    auto rise = [&](const SafeArray& values) {
        return RiseInLevelUnits(ModelUnits, vb::CStr(values.Get(pipe_entry::kSectionShape)),
                                RecordNumber(values.Get(pipe_entry::kRise)));
    };
    auto invert = [](const SafeArray& values, double ratio) {
        return InvertAt(RecordNumber(values.Get(pipe_entry::kStartInvert)),
                        RecordNumber(values.Get(pipe_entry::kEndInvert)), ratio);
    };
    c.Pipe1Rise = rise(values1);
    c.Pipe2Rise = rise(values2);
    c.Pipe1Invert = invert(values1, IntDistanceRatio1);
    c.Pipe2Invert = invert(values2, IntDistanceRatio2);
    c.Clearance = CrossingClearance(c.Pipe1Invert, c.Pipe2Invert, c.Pipe1Rise, c.Pipe2Rise);
    c.Pipe1SizeString = general_->BuildSectionSizeString(xData1);
    c.Pipe2SizeString = general_->BuildSectionSizeString(xData2);
    return c;
}

std::vector<CrossPoint> Crossing::CheckCrossingPointsDuplication(acad::AcadDocument& AcadActiveDocument,
                                                                std::vector<CrossPoint>& ArUncheckedCrossPoints) {
    vb::Count16(ArUncheckedCrossPoints.size());  // the host's list
    return UnannotatedCrossPoints(AcadActiveDocument, ArUncheckedCrossPoints);
}

std::vector<CrossPoint> Crossing::UnannotatedCrossPoints(acad::AcadDocument& AcadActiveDocument,
                                                        std::vector<CrossPoint>& ArUncheckedCrossPoints) {
    auto existing = GetExistingCrossingPointsSet(AcadActiveDocument, "");
    const int32_t count = existing->Count();
    for (int32_t i = 0; i < count; ++i) {
        ElementRecord annotation = ElementRecord::Read(existing->Item(i));
        RequireElementType(annotation, {element_type::kCrossingPointAnnotation}, "a crossing annotation");
        for (CrossPoint& r : ArUncheckedCrossPoints)
            if (AnnotationNames(annotation, r)) r.Duplicated = true;
    }
    std::vector<CrossPoint> fresh;
    for (const CrossPoint& r : ArUncheckedCrossPoints)
        if (!r.Duplicated) fresh.push_back(r);
    if (fresh.empty()) fresh.emplace_back();
    return fresh;
}

}  // namespace fluvanet
