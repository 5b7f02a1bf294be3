#include "bench/bench_drawings.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "annotation/view_style.h"
#include "core/general.h"
#include "core/library.h"
#include "editing/editing.h"
#include "events/events.h"
#include "platform/vb_text.h"
#include "tests/support/network_builder.h"
#include "tests/support/profile_builder.h"
#include "tests/support/view_style.h"

namespace bench_support {

namespace {

constexpr double kStep = 10;
constexpr int64_t kRowLength = 100;

// Point i of the serpentine: every other row runs backwards.
std::pair<double, double> Serpentine(int64_t i) {
    int64_t row = i / kRowLength, column = i % kRowLength;
    if (row % 2 == 1) column = kRowLength - 1 - column;
    return {static_cast<double>(column) * kStep, static_cast<double>(row) * kStep};
}

}  // namespace

std::shared_ptr<acad::AcadSelectionSet> AddLoop(acad::AcadDocument& doc, int64_t n, const std::string& net,
                                                const std::string& type, double dx, double dy) {
    fluvanet::General general;
    general.CreateNetworkDefintion(doc, net, type);
    auto set = general.InitializeSelectionSet(doc, "Picked");
    std::vector<std::shared_ptr<acad::AcadEntity>> polylines;
    for (int64_t i = 0; i < n; ++i) {
        auto [x0, y0] = Serpentine(i);
        auto [x1, y1] = Serpentine((i + 1) % n);
        polylines.push_back(doc.ModelSpace()->AddLightWeightPolyline({x0 + dx, y0 + dy, x1 + dx, y1 + dy}));
    }
    set->AddItems(polylines);
    return set;
}

Drawing PolylinesInLoop(int64_t n) {
    Drawing d{testing_support::NewProjectDrawing(), nullptr};
    testing_support::AddActiveViewStyle(*d.doc, testing_support::ViewStyleSettings());
    d.set = AddLoop(*d.doc, n, "Sewer", "Gravity");
    return d;
}

void Convert(Drawing& drawing, const std::string& net, const std::string& type) {
    fluvanet::Editing editing;
    editing.CreateElementsInNetwork(*drawing.doc, *drawing.set, false, net, type);
}

Drawing CrossingNetworks(int64_t n) {
    using testing_support::TestNode;
    Drawing d{testing_support::NewProjectDrawing(), nullptr};
    testing_support::NetworkBuilder old(*d.doc, "Old");
    testing_support::NetworkBuilder fresh(*d.doc, "New");
    fluvanet::General general;
    d.set = general.InitializeSelectionSet(*d.doc, "Picked");
    for (int64_t i = 0; i < n; ++i) {
        const double y = static_cast<double>(i) * kStep;
        const std::string k = std::to_string(i + 1);
        TestNode west = old.AddNode(0, y, "N-" + std::to_string(2 * i + 1));
        TestNode east = old.AddNode(8, y, "N-" + std::to_string(2 * i + 2));
        old.AddPipe(west, east, "P-" + k, {});
        TestNode south = fresh.AddNode(4, y - 3, "N-" + std::to_string(2 * i + 1));
        TestNode north = fresh.AddNode(4, y + 3, "N-" + std::to_string(2 * i + 2));
        d.set->AddItems({fresh.AddPipe(south, north, "P-" + k, {}).polyline});
    }
    return d;
}

Drawing SewerLoop(int64_t n, bool labelled) {
    using testing_support::TestNode;
    using testing_support::TestPipe;
    Drawing d{testing_support::NewProjectDrawing(), nullptr};
    testing_support::AddActiveViewStyle(*d.doc, testing_support::ViewStyleSettings());
    testing_support::NetworkBuilder sewer(*d.doc, "Sewer");
    std::vector<TestNode> nodes;
    std::vector<TestPipe> pipes;
    for (int64_t i = 0; i < n; ++i) {
        auto [x, y] = Serpentine(i);
        nodes.push_back(sewer.AddNode(x, y, "N-" + std::to_string(i + 1)));
    }
    for (int64_t i = 0; i < n; ++i) {
        const double start = 100 - 0.01 * static_cast<double>(i);
        pipes.push_back(sewer.AddPipe(nodes[static_cast<std::size_t>(i)], nodes[static_cast<std::size_t>((i + 1) % n)],
                                      "P-" + std::to_string(i + 1), {}));
        pipes.back().SetInverts(start, start - 0.01);
    }
    // The libraries count the pipes, as after a conversion.
    fluvanet::Library library;
    com::SafeArray materials = library.GetMaterialsArray(*d.doc);
    library.UpdateMaterialUsage(*d.doc, materials, fluvanet::LibraryChangeTable({{"PVC", std::to_string(n)}}));
    com::SafeArray circular = library.GetSizesArray(*d.doc, "Circular"), box = library.GetSizesArray(*d.doc, "Box");
    library.UpdateSizeUsage(*d.doc, circular, box, fluvanet::LibraryChangeTable({{"200", "Circular", std::to_string(n)}}));
    for (int64_t i = 0; i < n; ++i) {
        const double low = i == 0 ? 100 - 0.01 * static_cast<double>(n) : 100 - 0.01 * static_cast<double>(i);
        nodes[static_cast<std::size_t>(i)].SetGround(low + 3).SetSump(low - 0.5);
    }
    if (labelled) {
        fluvanet::General general;
        for (const char* layer : {"Annotation", "Arrow"}) general.CreateStandardLayer(*d.doc, "Sewer", layer);
        fluvanet::ViewStyle viewStyle;
        viewStyle.DefineAttributeBlocks(
            *d.doc, viewStyle.GetAnnotationFormatArray(viewStyle.GetActiveViewStyleSettingsArray(*d.doc)));
        for (const TestPipe& pipe : pipes) viewStyle.InsertAnnotationsForNewEntity(*d.doc, *pipe.polyline, 0);
        for (const TestNode& node : nodes) viewStyle.InsertAnnotationsForNewEntity(*d.doc, *node.block, 0);
    }
    return d;
}

std::vector<std::string> ProfileLine(acad::AcadDocument& doc, int64_t pipes) {
    testing_support::AddProfileStyle(doc, "Road");
    std::vector<testing_support::TestPipe> line;
    for (const auto& pipe : fluvanet::General().GetNetworkSet(doc, "Sewer", 1)->Members()) {
        if (static_cast<int64_t>(line.size()) == pipes) break;
        auto polyline = acad::Cast<acad::AcadLWPolyline>(pipe);
        line.push_back({polyline, vb::Split(testing_support::RecordText(polyline, 1), ";").at(2)});
    }
    return testing_support::ProfilePipeLists(line);
}

std::string CopySewerChainEntities(acad::AcadDocument& doc, int64_t pipes) {
    fluvanet::General general;
    auto first = [&](int16_t option, int64_t count) {
        std::vector<std::shared_ptr<acad::AcadEntity>> members = general.GetNetworkSet(doc, "Sewer", option)->Members();
        members.resize(std::min(members.size(), static_cast<std::size_t>(count)));
        return members;
    };
    std::vector<std::shared_ptr<acad::AcadEntity>> chain = first(1, pipes);
    for (const auto& node : first(2, pipes + 1)) chain.push_back(node);
    std::string ids;
    for (const auto& entity : chain) {
        auto copy = entity->Copy();
        copy->Move({0, 0, 0}, {0, 1000, 0});
        ids += std::to_string(copy->ObjectID()) + ";";
    }
    return ids;
}

void VerifyCopies(acad::AcadDocument& doc, const std::string& copies) {
    std::string changed;
    fluvanet::Events().VerifyCopiedElements(doc, changed, copies);
}

void CopySewerChain(const std::shared_ptr<acad::AcadDocument>& doc, int64_t pipes) {
    VerifyCopies(*doc, CopySewerChainEntities(*doc, pipes));
}

}  // namespace bench_support
