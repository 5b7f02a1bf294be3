// The project-wide facts General reads from the project record.

#include <gtest/gtest.h>

#include "core/general.h"
#include "host/new_project.h"
#include "tests/support/error_code.h"

namespace {

using com::ErrorCode;
using testing_support::ErrorOf;

TEST(ProjectRecord, ModelUnitsAndEventsFlagComeFromTheRecord) {
    auto doc = acad::NewDrawing();
    host::CreateProjectRecord(*doc, {.modelUnits = "US", .eventsFlag = 1});
    fluvanet::General general;
    EXPECT_EQ(general.GetModelUnits(*doc), "US");
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    EXPECT_EQ(general.GetFluvamapProgramVersion(), "2.05");
}

TEST(ProjectRecord, WithoutARecordUnitsFailAndTheFlagIsOff) {
    auto doc = acad::NewDrawing();
    fluvanet::General general;
    EXPECT_EQ(general.CheckEventsFlag(*doc), 0);
    EXPECT_EQ(ErrorOf([&] { general.GetModelUnits(*doc); }), ErrorCode::TypeMismatch);
    // Late-bound, a missing document is an error of the call, not a crash.
    auto g = std::make_shared<fluvanet::General>();
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(g, "CheckEventsFlag", com::CallType::Method, com::Variant::Nothing()); }),
              ErrorCode::ObjectRequired);
    EXPECT_EQ(vb::CallByName(g, "CheckEventsFlag", com::CallType::Method, doc), com::Variant(int16_t{0}));
}

}  // namespace
