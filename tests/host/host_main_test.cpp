// The host program end to end: in a process of its own, registering the server in the
// test's registry and printing what its main job left in the drawing; and the same job in
// this process, where the drawing itself can be checked.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "editing/pipe_node_records.h"
#include "host/main_job.h"
#include "platform/class_factory.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "server/exports.h"
#include "tests/server/temp_registry.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"

namespace {

using testing::Contains;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::IsSupersetOf;
using testing_support::ErrorOf;
using testing_support::NetworkFindings;
using testing_support::RecordText;
namespace ne = fluvanet::node_entry;

struct HostRun {
    int exitCode = -1;
    std::string output;  // standard output and error, interleaved
    std::vector<std::string> lines;
};

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

HostRun RunHost(const std::string& arguments) {
    HostRun run;
    std::string command = Quoted(FLUVANET_HOST_PATH) + " " + arguments + " 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
    int status = ::pclose(pipe);
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    std::istringstream text(run.output);
    for (std::string line; std::getline(text, line);) run.lines.push_back(line);
    return run;
}

TEST(HostProgram, RunsTheMainRoadAndPrintsWhatTheDrawingHolds) {
    testing_support::TempRegistry registry;
    HostRun run = RunHost(Quoted(FLUVANET_SERVER_PATH));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // It registered into this test's registry, not the user's.
    EXPECT_TRUE(std::filesystem::exists(registry.File()));

    EXPECT_THAT(run.lines,
                IsSupersetOf({
                    "Fluvamap 2.05, Drawing1.dwg, model units Metric, events flag 1",
                    // Labels of every element, arrows on gravity pipes only.
                    "  Sewer (Gravity): 5 pipes, 6 nodes, 11 label blocks, 5 arrows",
                    "  Water Main (Pressure): 3 pipes, 4 nodes, 7 label blocks, 0 arrows",
                    // Recomputed from the final levels: upper invert less lower invert and rise.
                    "Crossings: 3",
                    "  Water Main P-1 crosses Sewer P-1: clearance 1.30",
                    "  Water Main P-2 crosses Sewer P-5: clearance 1.44",
                    "  Water Main P-3 crosses Sewer P-4: clearance 2.30",
                    // Sumps 101.6, 101.2, 102.0, 101.6 along the main; each end has one neighbour.
                    "  Water Main: low N-2, N-4; high N-1, N-3",
                    // Crowns level at sump 99.5 + 0.3: the 300 pipe at the sump, the 200 pipes 0.1 above.
                    "  Sewer N-3, sump 99.50",
                    "    P-3 start invert 99.50, span 300",
                    "    P-2 end invert 99.60, span 200",
                    "    P-5 end invert 99.60, span 200",
                    // Eight pipes made of PVC 200, one of them then changed.
                    "  materials: PVC 7, Concrete 1",
                    "  circular sizes: 200 7, 300 1",
                    "  box sizes: 1000 x 600 0",
                }))
        << run.output;
}

TEST(HostProgram, AFailurePrintsTheErrorAndExitsNonZero) {
    testing_support::TempRegistry registry;
    HostRun usage = RunHost("");
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_THAT(usage.output, HasSubstr("usage:"));

    HostRun missing = RunHost(Quoted((registry.Dir() / "none.so").string()));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(missing.output, HasSubstr("cannot load"));

    // A registry that cannot be written: the server refuses, the job never starts.
    std::filesystem::create_directories(registry.File());
    HostRun refused = RunHost(Quoted(FLUVANET_SERVER_PATH));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.output, HasSubstr("registering"));
    EXPECT_THAT(refused.lines, testing::Not(Contains(HasSubstr("Crossings"))));
}

TEST(HostMainJob, LeavesASoundDrawingWithGroundFromTheSurface) {
    testing_support::TempRegistry registry;
    ASSERT_EQ(DllRegisterServer(), com::kOk);
    auto doc = testing_support::NewProjectDrawing(host::MainJobProjectOptions());
    host::FluvanetClasses fluvanet;
    host::RunMainJob(doc, fluvanet);
    std::vector<std::string> findings = NetworkFindings(*doc);
    EXPECT_THAT(findings, IsEmpty()) << testing::PrintToString(findings);

    // Every node lies on the surface, which stays between 103 and 104.8 over the drawing.
    int nodes = 0;
    for (const auto& entity : doc->Database()->SpaceEntities()) {
        if (entity->Erased() || !fluvanet::element_type::IsNode(RecordText(entity, 2))) continue;
        ++nodes;
        double ground = vb::Val(RecordText(entity, ne::kGroundLevel));
        EXPECT_GE(ground, 103) << RecordText(entity, 1);
        EXPECT_LE(ground, 104.8) << RecordText(entity, 1);
    }
    EXPECT_EQ(nodes, 10);

    // A second run meets its networks defined already: the library's refusal reaches the host.
    EXPECT_EQ(ErrorOf([&] { host::RunMainJob(doc, fluvanet); }), com::ErrorCode::InvalidProcedureCall);
    findings = NetworkFindings(*doc);
    EXPECT_THAT(findings, IsEmpty()) << testing::PrintToString(findings);
}

}  // namespace
