#pragma once
// A pressure network "Net" for the low/high tests: chains of nodes 10 apart along x with
// the given sump levels, and the marker block a node names.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/general.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "crossing/low_high.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_text.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"

namespace low_high_testing {

using namespace testing_support;
namespace ne = fluvanet::node_entry;

class LowHighDrawing : public testing::Test {
protected:
    TestChain Chain(NetworkBuilder& builder, const std::vector<double>& sumps, double y = 0) {
        std::vector<geom::Point2> points;
        for (std::size_t i = 0; i < sumps.size(); ++i) points.push_back({10.0 * static_cast<double>(i), y});
        TestChain chain = builder.AddChain(points);
        for (std::size_t i = 0; i < sumps.size(); ++i) chain.nodes[i].SetSump(sumps[i]);
        return chain;
    }
    void Build(const std::vector<std::string>& ids, const std::string& network = "Net") {
        lowHigh.BuildLowHighPointsAfterImporting(*doc, ids, network);
        EXPECT_THAT(NetworkFindings(*doc), testing::IsEmpty());
    }
    std::shared_ptr<acad::AcadBlockReference> Marker(const TestNode& node) {
        std::string key = fluvanet::refs::ReferenceKey(RecordText(node.block, ne::kLowHighId));
        return key.empty() ? nullptr : acad::Cast<acad::AcadBlockReference>(fluvanet::ObjectFromId(*doc, key));
    }
    // Per node the name of its marker block, "" without one.
    std::vector<std::string> Markers(const std::vector<TestNode>& nodes) {
        std::vector<std::string> names;
        for (const TestNode& n : nodes) names.push_back(Marker(n) ? Marker(n)->Name() : "");
        return names;
    }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    NetworkBuilder net{*doc, "Net", "Pressure"};
    fluvanet::LowHigh lowHigh;
};

inline constexpr const char* kLow = "Fluvamap_LowPoint";
inline constexpr const char* kHigh = "Fluvamap_HighPoint";

}  // namespace low_high_testing
