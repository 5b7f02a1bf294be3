#include "bench/bench_drawings.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/general.h"
#include "editing/editing.h"
#include "events/events.h"
#include "platform/host_driver.h"
#include "tests/support/network_builder.h"
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

void CopySewerChain(const std::shared_ptr<acad::AcadDocument>& doc, int64_t pipes) {
    auto general = std::make_shared<fluvanet::General>();
    auto events = std::make_shared<fluvanet::Events>();
    auto first = [&](int16_t option, int64_t count) {
        std::vector<std::shared_ptr<acad::AcadEntity>> members = general->GetNetworkSet(*doc, "Sewer", option)->Members();
        members.resize(std::min(members.size(), static_cast<std::size_t>(count)));
        return members;
    };
    std::vector<std::shared_ptr<acad::AcadEntity>> chain = first(1, pipes);
    for (const auto& node : first(2, pipes + 1)) chain.push_back(node);
    host::EventDriver host(doc, general, events);
    host.Copy(chain, {0, 0, 0}, {0, 1000, 0});
}

}  // namespace bench_support
