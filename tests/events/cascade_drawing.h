#pragma once
// A drawing made by the conversion for the drawing-event tests, with the host that forwards
// its events. The pressure network Main is a star of three pipes at node C, each crossing the
// sewer chain once; the sewer's five pipes carry the profile "L-1" with a plan annotation.
// The view style draws arrows on both networks' pipes; conversion leaves every Main node a
// low point, so each carries a marker.
//
//            A        B             Main:  P(0) C -> A, P(1) C -> B, P(2) D -> C
//      D     |      /               Sewer: S(0) .. S(4), west to east at y = 10,
//   S(0)  \ S(1) | S(2) / S(3)  S(4)        crossed by P(2), P(0), P(1) in S(1), S(2), S(3)
//           \    |    /
//                C

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/general.h"
#include "core/library.h"
#include "editing/pipe_node_records.h"
#include "events/events.h"
#include "platform/host_driver.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"
#include "tests/support/view_style.h"

namespace cascade_testing {

using namespace testing_support;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;

struct CascadeDrawing {
    CascadeDrawing() {
        AddActiveViewStyle(*doc, ViewStyleSettings({{32, "1"}}));
        sewer = ConvertPolylines(
            *doc, "Sewer", "Gravity",
            {{-30, 10, -18, 10}, {-18, 10, -6, 10}, {-6, 10, 6, 10}, {6, 10, 18, 10}, {18, 10, 30, 10}});
        main = ConvertPolylines(*doc, "Main", "Pressure", {{0, 0, 0, 20}, {0, 0, 20, 20}, {-20, 20, 0, 0}});
        AddProfileStyle(*doc, "Road");
        profile = AddTestProfile(*doc, NetworkBuilder(*doc, "Sewer", "Gravity"), "L-1", "Road", sewer, WithPlan());
    }

    const TestPipe& P(int i) const { return main.at(static_cast<std::size_t>(i)); }
    const TestPipe& S(int i) const { return sewer.at(static_cast<std::size_t>(i)); }
    // The object a single reference entry names, nullptr when it is empty or gone.
    std::shared_ptr<acad::AcadEntity> Named(const std::shared_ptr<acad::AcadObject>& o, int32_t entry) const {
        auto named = fluvanet::ObjectFromIdIfAlive(*doc, Key(o, entry));
        return std::dynamic_pointer_cast<acad::AcadEntity>(named);
    }
    static std::string Key(const std::shared_ptr<acad::AcadObject>& o, int32_t entry) {
        return RecordText(o, entry).substr(std::min<std::size_t>(10, RecordText(o, entry).size()));
    }
    std::shared_ptr<acad::AcadEntity> C() const { return Named(P(0).polyline, pe::kStartNodeId); }
    std::shared_ptr<acad::AcadEntity> A() const { return Named(P(0).polyline, pe::kEndNodeId); }
    // The one crossing on a Main pipe: its list of one entry reads as a single reference.
    std::shared_ptr<acad::AcadEntity> Crossing(int i) const { return Named(P(i).polyline, pe::kCrossingIds); }
    // PVC uses and size 200 uses.
    std::string Usage() {
        return Count(library.GetMaterialsArray(*doc), "PVC") + "/" +
               Count(library.GetSizesArray(*doc, "Circular"), "200");
    }
    static std::string Count(const com::SafeArray& table, const std::string& name) {
        for (int32_t i = 0; i <= table.UBound(1); ++i)
            if (vb::CStr(table.Get(i, 0)) == name) return vb::CStr(table.Get(i, 1));
        return "none";
    }
    static std::string RecordOf(const std::shared_ptr<acad::AcadObject>& o) {
        return vb::Join(fluvanet::ElementRecord::Read(o).ValuesVariant().Array().ToStrings(), "|");
    }
    // Every record of the live objects, to tell that nothing changed.
    std::vector<std::string> Records() const {
        std::vector<std::string> all;
        for (const auto& e : doc->Database()->SpaceEntities())
            if (fluvanet::ElementRecord::Read(e).Exists()) all.push_back(RecordOf(e));
        return all;
    }
    void Sound() const {
        std::vector<std::string> findings = NetworkFindings(*doc);
        EXPECT_THAT(findings, testing::IsEmpty()) << testing::PrintToString(findings);
    }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    std::shared_ptr<fluvanet::General> general = std::make_shared<fluvanet::General>();
    std::shared_ptr<fluvanet::Events> events = std::make_shared<fluvanet::Events>();
    fluvanet::Library library;
    host::EventDriver host{doc, general, events};
    std::vector<TestPipe> sewer, main;
    TestProfile profile;
};

}  // namespace cascade_testing
