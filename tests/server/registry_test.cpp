#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>

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
    EXPECT_EQ(ErrorOf([] { com::LookupProgId("A.B"); }), ErrorCode::ServerError);
    EXPECT_TRUE(fs::is_directory(registry.File()));
    EXPECT_TRUE(fs::is_empty(registry.File()));

    // A FIFO is refused without being opened, which would wait for a writer for ever.
    const fs::path fifo = registry.Dir() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::setenv("FLUVANET_REGISTRY", fifo.c_str(), 1);
    EXPECT_EQ(ErrorOf([] { com::RegisterServerClass("A.B", kClsidA, "/a.so"); }), ErrorCode::ServerError);
    EXPECT_EQ(ErrorOf([] { com::UnregisterServerClass("A.B"); }), ErrorCode::ServerError);
    EXPECT_EQ(ErrorOf([] { com::LookupProgId("A.B"); }), ErrorCode::ServerError);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST(ServerRegistry, WritesThroughASymbolicLinkAndKeepsIt) {
    testing_support::TempRegistry registry;
    const fs::path shared = registry.Dir() / "shared";
    fs::create_directories(shared);
    std::ofstream(shared / "registry") << "Old.One\t" << kClsidA << "\t/old.so\n";
    const fs::path link = registry.Dir() / "link";
    fs::create_symlink("shared/registry", link);
    ::setenv("FLUVANET_REGISTRY", link.c_str(), 1);
    com::RegisterServerClass("Fluvanet.Alpha", kClsidB, "/a.so");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "shared/registry");
    std::ifstream in(shared / "registry");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Old.One"), std::string::npos);
    EXPECT_NE(text.find("Fluvanet.Alpha"), std::string::npos);

    // A dangling link makes its target, where the target's directory is there.
    const fs::path dangling = registry.Dir() / "dangling";
    fs::create_symlink(shared / "new-registry", dangling);
    ::setenv("FLUVANET_REGISTRY", dangling.c_str(), 1);
    com::RegisterServerClass("Fluvanet.Alpha", kClsidB, "/a.so");
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_TRUE(fs::is_regular_file(shared / "new-registry"));
    EXPECT_TRUE(com::LookupProgId("Fluvanet.Alpha"));

    // No directory is made at the far end of a link.
    const fs::path nowhere = registry.Dir() / "nowhere";
    fs::create_symlink(registry.Dir() / "absent" / "registry", nowhere);
    ::setenv("FLUVANET_REGISTRY", nowhere.c_str(), 1);
    EXPECT_EQ(ErrorOf([] { com::RegisterServerClass("A.B", kClsidA, "/a.so"); }), ErrorCode::ServerError);
    EXPECT_TRUE(fs::is_symlink(nowhere));
    EXPECT_FALSE(fs::exists(registry.Dir() / "absent"));

    // A link to something that is no regular file is refused like the thing itself.
    const fs::path toDirectory = registry.Dir() / "to-directory";
    fs::create_directory_symlink(shared, toDirectory);
    ::setenv("FLUVANET_REGISTRY", toDirectory.c_str(), 1);
    EXPECT_EQ(ErrorOf([] { com::RegisterServerClass("A.B", kClsidA, "/a.so"); }), ErrorCode::ServerError);
    EXPECT_TRUE(fs::is_symlink(toDirectory));
}

}  // namespace
