#pragma once
// The drawing the copy and move tests work on, made by the conversion:
//
//   Sewer (gravity)  N-1 (0,0) -P-1-> N-2 (40,0) -P-2-> N-3 (80,0) -P-3-> N-4 (120,0)
//   Main (pressure)  (10,-10)-(10,10), (10,10)-(30,10), (30,10)-(30,-10): Sewer P-1 crossed
//                    twice; (100,-10)-(100,200): P-3 crossed, and any copy of it moved up.
//
// Main's nodes carry low/high markers; a profile style "Road" is there for test profiles.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/general.h"
#include "core/library.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "events/events.h"
#include "platform/host_driver.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"
#include "tests/support/view_style.h"

namespace testing_support {

class EventDrawing : public testing::Test {
protected:
    using Entities = std::vector<std::shared_ptr<acad::AcadEntity>>;

    EventDrawing() {
        AddActiveViewStyle(*doc, ViewStyleSettings());
        sewer = ConvertPolylines(*doc, "Sewer", "Gravity", {{0, 0, 40, 0}, {40, 0, 80, 0}, {80, 0, 120, 0}});
        main = ConvertPolylines(*doc, "Main", "Pressure",
                                {{10, -10, 10, 10}, {10, 10, 30, 10}, {30, 10, 30, -10}, {100, -10, 100, 200}});
        AddProfileStyle(*doc, "Road");
    }

    static std::string LabelOf(const std::shared_ptr<acad::AcadObject>& element) {
        return vb::Split(RecordText(element, 1), ";").at(2);
    }
    static std::string Id(const std::shared_ptr<acad::AcadObject>& o) { return fluvanet::IdText(*o); }
    // The object a single ID reference of the element names.
    std::shared_ptr<acad::AcadEntity> Linked(const std::shared_ptr<acad::AcadObject>& element, int32_t entry) {
        return acad::Cast<acad::AcadEntity>(
            fluvanet::ObjectFromId(*doc, fluvanet::refs::ReferenceKey(RecordText(element, entry))));
    }
    std::shared_ptr<acad::AcadBlockReference> NodeOf(const TestPipe& pipe, int32_t idEntry) {
        return acad::Cast<acad::AcadBlockReference>(Linked(pipe.polyline, idEntry));
    }
    std::vector<std::string> Crossings(const TestPipe& pipe) {
        return fluvanet::refs::LeadingKeys(RecordText(pipe.polyline, fluvanet::pipe_entry::kCrossingIds));
    }
    // The records of the objects (and a polyline's vertices): what must stay as it was.
    template <class T>
    static std::vector<std::string> Records(const std::vector<std::shared_ptr<T>>& objects) {
        std::vector<std::string> all;
        for (const auto& e : objects) {
            const fluvanet::ElementRecord record = fluvanet::ElementRecord::Read(e);
            all.push_back(record.Exists() ? vb::Join(record.ValuesVariant().Array().ToStrings(), "|") : "");
            if (auto pl = std::dynamic_pointer_cast<acad::AcadLWPolyline>(e))
                for (double c : pl->Coordinates()) all.back() += "," + vb::CStr(c);
        }
        return all;
    }
    Entities All() { return doc->Database()->SpaceEntities(); }
    // The usage counts of "PVC" and of the circular size 200.
    std::string Usage() {
        auto count = [](const com::SafeArray& table, const std::string& name) {
            for (int32_t i = 0; i <= table.UBound(1); ++i)
                if (vb::CStr(table.Get(i, 0)) == name) return vb::CStr(table.Get(i, 1));
            return std::string("none");
        };
        return count(library.GetMaterialsArray(*doc), "PVC") + "/" +
               count(library.GetSizesArray(*doc, "Circular"), "200");
    }
    void Sound() {
        std::vector<std::string> findings = NetworkFindings(*doc);
        EXPECT_THAT(findings, testing::IsEmpty()) << testing::PrintToString(findings);
    }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    std::shared_ptr<fluvanet::General> general = std::make_shared<fluvanet::General>();
    std::shared_ptr<fluvanet::Events> events = std::make_shared<fluvanet::Events>();
    fluvanet::Library library;
    host::EventDriver host{doc, general, events};
    std::vector<TestPipe> sewer, main;
};

}  // namespace testing_support
