#include "host/main_job.h"

#include <cmath>
#include <string>
#include <vector>

#include "core/project_record.h"
#include "editing/pipe_node_records.h"
#include "host/new_project.h"
#include "platform/acad_entities.h"
#include "platform/civil.h"
#include "platform/host_driver.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace host {

namespace {

using com::ErrorCode;
using com::SafeArray;
using com::Variant;
namespace pe = fluvanet::pipe_entry;

constexpr const char* kSewer = "Sewer";
constexpr const char* kMain = "Water Main";
constexpr const char* kSurface = "Ground";
constexpr const char* kNodesForLowHigh = "SetNodesForLowHigh";

// What the user draws before converting: a line from its two points, or a polyline.
struct Drawn {
    bool line;
    std::vector<double> xy;
};

// The sewer runs east along y = 50 to its outfall at x = 160; a branch comes in from the
// north at the junction (80, 50).
const std::vector<Drawn> kSewerDrawing{{false, {0, 50, 40, 50}},
                                       {false, {40, 50, 80, 50}},
                                       {false, {80, 50, 100, 46, 120, 50}},
                                       {true, {120, 50, 160, 50}},
                                       {true, {80, 100, 80, 50}}};
// The main goes north over the sewer, east over the branch and back south over the sewer.
const std::vector<Drawn> kMainDrawing{
    {false, {10, 20, 30, 80}}, {false, {30, 80, 60, 80, 130, 80}}, {true, {130, 80, 150, 20}}};

struct Sump {
    double x, y, level;
};

// Falling towards the outfall; the junction at first in line with its neighbours.
const std::vector<Sump> kSewerSumps{{0, 50, 100.0},  {40, 50, 99.8},  {80, 50, 99.6},
                                    {120, 50, 99.4}, {160, 50, 99.2}, {80, 100, 100.2}};
// Down, up and down again: one low and one high point between the ends.
const std::vector<Sump> kMainSumps{{10, 20, 101.6}, {30, 80, 101.2}, {130, 80, 102.0}, {150, 20, 101.6}};

// The pipe leaving the junction is enlarged; the junction then keeps the crowns level.
constexpr double kJunctionX = 80, kJunctionY = 50;
constexpr double kOutletEndX = 120, kOutletEndY = 50;
constexpr const char* kOutletSize = "Circular - 300";
constexpr const char* kOutletMaterial = "Concrete";
constexpr double kJunctionSump = 99.5;

std::shared_ptr<acad::AcadSelectionSet> SetOf(const Variant& result, const std::string& what) {
    auto set = ObjectOf<acad::AcadSelectionSet>(result);
    if (!set) com::Raise(ErrorCode::ObjectRequired, what + " gave no selection set");
    return set;
}

bool SamePoint(double x1, double y1, double x2, double y2) {
    constexpr double kTolerance = 1e-6;
    return std::abs(x1 - x2) < kTolerance && std::abs(y1 - y2) < kTolerance;
}

std::string IdOf(const acad::AcadObject& object) { return std::to_string(object.ObjectID()); }

struct Element {
    std::shared_ptr<acad::AcadEntity> entity;
    std::string id;
    std::string label;
};

class MainJob {
public:
    MainJob(const std::shared_ptr<acad::AcadDocument>& doc, const FluvanetClasses& fluvanet)
        : doc_(doc), lib_(fluvanet) {}

    void Run() {
        ActivateStandardViewStyle();
        Call(lib_.general, "CreateNetworkDefintion", doc_, kSewer, "Gravity");
        Call(lib_.general, "CreateNetworkDefintion", doc_, kMain, "Pressure");
        Convert(kSewer, "Gravity", kSewerDrawing);
        Convert(kMain, "Pressure", kMainDrawing);
        GroundFromSurface();

        // Made after the conversions, which start a set of this name of their own.
        nodesForLowHigh_ = Call(lib_.general, "InitializeSelectionSet", doc_, kNodesForLowHigh);
        for (const Sump& s : kSewerSumps) SetSump(kSewer, s.x, s.y, s.level, "Match Inverts");
        EnlargeOutlet();
        SetSump(kSewer, kJunctionX, kJunctionY, kJunctionSump, "Match Soffits");
        for (const Sump& s : kMainSumps) SetSump(kMain, s.x, s.y, s.level, "Match Centerlines");

        Variant nodes = Call(lib_.lowHigh, "GetInitialNodesOIDArrayForLowHigh", doc_, nodesForLowHigh_);
        Call(lib_.lowHigh, "BuildLowHighPointsAfterImporting", doc_, nodes, kMain);
    }

private:
    void ActivateStandardViewStyle() {
        std::vector<std::string> settings = StandardViewStyleSettings();
        const std::string name = settings[3];  // "Standard"
        Call(lib_.viewStyle, "CreateViewStyle", doc_, Variant(SafeArray::FromStrings(settings)));
        // The networks keep what they show: item 1 of the project's view-style list.
        std::vector<std::string> items =
            vb::Split(RecordText(*doc_->ModelSpace(), fluvanet::project_entry::kViewStyles), ";");
        constexpr std::size_t kVisibility = fluvanet::view_style_item::kVisibility;
        std::string visibility = items.size() > kVisibility ? items[kVisibility] : "";
        Call(lib_.viewStyle, "UpdateMoSpaceXdataForViewStyle", doc_, name, visibility);
    }

    void Convert(const std::string& network, const std::string& type, const std::vector<Drawn>& drawing) {
        auto ms = doc_->ModelSpace();
        std::vector<std::shared_ptr<acad::AcadEntity>> picks;
        for (const Drawn& d : drawing) {
            if (d.line)
                picks.push_back(ms->AddLine({d.xy[0], d.xy[1], 0}, {d.xy[2], d.xy[3], 0}));
            else
                picks.push_back(ms->AddLightWeightPolyline(d.xy));
        }
        doc_->Utility()->QueueSelection(picks);
        Variant picked = Call(lib_.editing, "GetEntitiesToConvert", doc_);
        // The picking never raises: a short set is how it reports a failure.
        int32_t count = SetOf(picked, "the picking")->Count();
        if (count != static_cast<int32_t>(picks.size()))
            com::Raise(ErrorCode::InvalidProcedureCall, network + ": " + std::to_string(count) + " of " +
                                                            std::to_string(picks.size()) +
                                                            " picked entities came through");
        Call(lib_.editing, "CreateElementsInNetwork", doc_, picked, false, network, type);
    }

    // A TIN over the whole drawing, rising to a knoll in its middle.
    void GroundFromSurface() {
        auto civil = std::make_shared<civil::AeccApplication>();
        auto ground = civil->ActiveDocument()->Surfaces()->Add(kSurface);
        const geom::Point3 sw{-20, 0, 103.0}, se{180, 0, 103.5}, ne{180, 120, 104.5}, nw{-20, 120, 104.0};
        const geom::Point3 knoll{80, 60, 104.8};
        ground->AddTriangle(sw, se, knoll);
        ground->AddTriangle(se, ne, knoll);
        ground->AddTriangle(ne, nw, knoll);
        ground->AddTriangle(nw, sw, knoll);
        auto app = doc_->Application();
        app->RegisterInterfaceObject(vb::CStr(Call(lib_.general, "GetAeccAppString", app)), civil);
        Call(lib_.editing, "UpdateGroundLevelsFromSurface", doc_, Variant(SafeArray::FromStrings({kSewer, kMain})),
             kSurface);
    }

    std::vector<Element> Members(const std::string& network, int16_t option) {
        std::vector<Element> out;
        auto set = SetOf(Call(lib_.general, "GetNetworkSet", doc_, network, option), network);
        for (const auto& entity : set->Members())
            out.push_back({entity, IdOf(*entity),
                           vb::CStr(Call(lib_.general, "EntityLabelFromCombined", RecordText(*entity, 1)))});
        return out;
    }

    Element NodeAt(const std::string& network, double x, double y) {
        for (Element& node : Members(network, 2)) {
            acad::Point3 p = acad::Cast<acad::AcadBlockReference>(node.entity)->InsertionPoint();
            if (SamePoint(p[0], p[1], x, y)) return node;
        }
        com::Raise(ErrorCode::InvalidProcedureCall,
                   network + " has no node at " + vb::CStr(x) + ", " + vb::CStr(y));
    }

    Element PipeFrom(const std::string& network, double x1, double y1, double x2, double y2) {
        for (Element& pipe : Members(network, 1)) {
            std::vector<double> xy = acad::Cast<acad::AcadLWPolyline>(pipe.entity)->Coordinates();
            if (xy.size() >= 4 && SamePoint(xy[0], xy[1], x1, y1) && SamePoint(xy[xy.size() - 2], xy.back(), x2, y2))
                return pipe;
        }
        com::Raise(ErrorCode::InvalidProcedureCall, network + " has no pipe from " + vb::CStr(x1) + ", " +
                                                        vb::CStr(y1) + " to " + vb::CStr(x2) + ", " + vb::CStr(y2));
    }

    // As the node dialog does: label and ground as they are, a new sump and rule.
    void SetSump(const std::string& network, double x, double y, double sump, const std::string& matching) {
        Element node = NodeAt(network, x, y);
        Variant ground = Call(lib_.general, "GetGroundLevelAtNode", doc_, node.id);
        Call(lib_.editing, "UpdateNodeData", doc_, node.id, node.label, ground, sump, matching, nodesForLowHigh_);
    }

    // As the pipe dialog does: the library tables read first and updated by the edit.
    void EnlargeOutlet() {
        Element pipe = PipeFrom(kSewer, kJunctionX, kJunctionY, kOutletEndX, kOutletEndY);
        double start = vb::Val(RecordText(*pipe.entity, pe::kStartInvert));
        double end = vb::Val(RecordText(*pipe.entity, pe::kEndInvert));
        Variant circular = Call(lib_.library, "GetSizesArray", doc_, "Circular");
        Variant box = Call(lib_.library, "GetSizesArray", doc_, "Box");
        Variant materials = Call(lib_.library, "GetMaterialsArray", doc_);
        Call(lib_.editing, "UpdatePipeData", doc_, pipe.id, pipe.label, start, end, kOutletMaterial, kOutletSize,
             int16_t{1}, circular, box, materials, nodesForLowHigh_);
    }

    std::shared_ptr<acad::AcadDocument> doc_;
    const FluvanetClasses& lib_;
    Variant nodesForLowHigh_;
};

}  // namespace

ProjectOptions MainJobProjectOptions() {
    ProjectOptions options;
    options.materials = {"PVC", kOutletMaterial};
    options.circularSizesMetric = {"200", "300"};
    return options;
}

void RunMainJob(const std::shared_ptr<acad::AcadDocument>& doc, const FluvanetClasses& fluvanet) {
    MainJob(doc, fluvanet).Run();
}

}  // namespace host
