#include <gtest/gtest.h>

#include <fstream>

#include "platform/com_registry.h"
#include "tests/server/temp_registry.h"
#include "tests/support/error_code.h"

namespace {

namespace fs = std::filesystem;
using com::ErrorCode;
using testing_support::ErrorOf;

constexpr const char* kClsidA = "{11111111-2222-3333-4444-555555555555}";
constexpr const char* kClsidB = "{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}";

TEST(ServerRegistry, KeepsOneEntryPerProgIdWhateverItsCase) {
    testing_support::TempRegistry registry;
    EXPECT_FALSE(com::LookupProgId("Any.Thing"));  // no file yet

    com::RegisterServerClass("Fluvanet.Alpha", kClsidA, "/opt/with space/a.so");
    com::RegisterServerClass("Other.Beta", kClsidB, "/b.so");
    ASSERT_TRUE(fs::exists(registry.File()));

    auto alpha = com::LookupProgId("FLUVANET.alpha");
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->progId, "Fluvanet.Alpha");
    EXPECT_EQ(alpha->clsid, kClsidA);
    EXPECT_EQ(alpha->serverPath, "/opt/with space/a.so");

    com::RegisterServerClass("fluvanet.ALPHA", kClsidB, "/c.so");
    alpha = com::LookupProgId("Fluvanet.Alpha");
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->clsid, kClsidB);
    EXPECT_EQ(alpha->serverPath, "/c.so");

    com::UnregisterServerClass("FLUVANET.Alpha");
    com::UnregisterServerClass("Never.Registered");
    EXPECT_FALSE(com::LookupProgId("Fluvanet.Alpha"));
    ASSERT_TRUE(com::LookupProgId("Other.Beta"));

    // Only the registry itself is left: the temporaries were renamed into place.
    std::size_t files = 0;
    for (const auto& f : fs::directory_iterator(registry.File().parent_path())) files += f.is_regular_file();
    EXPECT_EQ(files, 1u);
}

TEST(ServerRegistry, DefaultsToTheHomeDirectory) {
    testing_support::TempRegistry registry;
    ::unsetenv("FLUVANET_REGISTRY");
    ::setenv("HOME", registry.Dir().c_str(), 1);
    EXPECT_EQ(com::RegistryPath(), registry.Dir() / ".fluvanet" / "registry");
    com::RegisterServerClass("Fluvanet.Alpha", kClsidA, "/a.so");
    EXPECT_TRUE(fs::exists(registry.Dir() / ".fluvanet" / "registry"));
}

TEST(ServerRegistry, RefusesWhatTheLineFormatCannotHoldAndSkipsDamagedLines) {
    testing_support::TempRegistry registry;
    EXPECT_EQ(ErrorOf([] { com::RegisterServerClass("", kClsidA, "/a.so"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([] { com::RegisterServerClass("A\tB", kClsidA, "/a.so"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([] { com::RegisterServerClass("A.B", "{1111-2222}", "/a.so"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([] { com::RegisterServerClass("A.B", kClsidA, "/a\n.so"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([] { com::RegisterServerClass("A.B", kClsidA, ""); }), ErrorCode::InvalidProcedureCall);
    EXPECT_FALSE(fs::exists(registry.File()));

    fs::create_directories(registry.File().parent_path());
    std::ofstream(registry.File()) << "garbage without tabs\n\nGood.One\t" << kClsidA << "\t/a.so\n";
    auto good = com::LookupProgId("good.one");
    ASSERT_TRUE(good);
    EXPECT_EQ(good->serverPath, "/a.so");

    EXPECT_TRUE(com::IsClsid(kClsidB));
    EXPECT_FALSE(com::IsClsid("{11111111-2222-3333-4444-55555555555G}"));
    EXPECT_FALSE(com::IsClsid("11111111-2222-3333-4444-555555555555"));
}

TEST(ServerRegistry, ReportsARegistryThatCannotBeWritten) {
    testing_support::TempRegistry registry;
    // A directory where the file should be: neither readable as entries nor replaceable.
    fs::create_directories(registry.File());
    EXPECT_EQ(ErrorOf([] { com::RegisterServerClass("A.B", kClsidA, "/a.so"); }), ErrorCode::ServerError);
}

}  // namespace
