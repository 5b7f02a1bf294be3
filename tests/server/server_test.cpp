#include <dlfcn.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/general.h"
#include "core/library.h"
#include "platform/class_factory.h"
#include "platform/com_registry.h"
#include "platform/create_object.h"
#include "platform/dispatch.h"
#include "server/catalogue.h"
#include "server/exports.h"
#include "tests/server/temp_registry.h"
#include "tests/support/error_code.h"

namespace {

namespace fs = std::filesystem;
using com::ErrorCode;
using testing_support::ErrorOf;

const std::set<std::string> kClassNames{"General", "Library", "ViewStyle", "Crossing", "Types",
                                        "Profile", "LowHigh", "Editing",   "Events",   "UpdateOIDs"};

std::string ClsidOf(std::string_view name) {
    for (const auto& c : fluvanet::server::Catalogue())
        if (c.name == name) return std::string(c.clsid);
    return "";
}

com::ClassFactory* FactoryFor(std::string_view name) {
    void* factory = nullptr;
    EXPECT_EQ(DllGetClassObject(ClsidOf(name).c_str(), "IClassFactory", &factory), com::kOk);
    return static_cast<com::ClassFactory*>(factory);
}

TEST(ServerCatalogue, ServesTheTenClassesUnderDistinctIdentifiers) {
    std::set<std::string> names, clsids;
    for (const auto& c : fluvanet::server::Catalogue()) {
        names.emplace(c.name);
        EXPECT_TRUE(com::IsClsid(c.clsid)) << c.clsid;
        EXPECT_TRUE(clsids.emplace(c.clsid).second) << c.clsid;
        EXPECT_EQ(c.progId, "Fluvanet." + std::string(c.name));
        EXPECT_EQ(c.interfaceName, "_" + std::string(c.name));
        EXPECT_EQ(c.factory.CreateInstance()->TypeName(), c.name);
    }
    EXPECT_EQ(names, kClassNames);
}

TEST(ServerRegistration, RegistersTheTenProgIdsWithThisLibraryAndRemovesOnlyThem) {
    testing_support::TempRegistry registry;
    com::RegisterServerClass("Other.Server", "{00000000-0000-0000-0000-000000000001}", "/other.so");

    ASSERT_EQ(DllRegisterServer(), com::kOk);
    for (const std::string& name : kClassNames) {
        auto entry = com::LookupProgId("Fluvanet." + name);
        ASSERT_TRUE(entry) << name;
        EXPECT_EQ(entry->clsid, ClsidOf(name));
        EXPECT_TRUE(fs::path(entry->serverPath).is_absolute());
        EXPECT_TRUE(fs::equivalent(entry->serverPath, FLUVANET_SERVER_PATH)) << entry->serverPath;
    }
    ASSERT_EQ(DllRegisterServer(), com::kOk);  // again: replaces, does not duplicate

    ASSERT_EQ(DllUnregisterServer(), com::kOk);
    for (const std::string& name : kClassNames) EXPECT_FALSE(com::LookupProgId("Fluvanet." + name)) << name;
    EXPECT_TRUE(com::LookupProgId("Other.Server"));
}

TEST(ServerRegistration, FailsWithoutThrowingWhenTheRegistryCannotBeWritten) {
    testing_support::TempRegistry registry;
    fs::create_directories(registry.File());
    EXPECT_EQ(DllRegisterServer(), com::kFail);
}

TEST(ServerClassObject, HandsOutFactoriesOnlyForItsClassesThroughIClassFactory) {
    void* factory = &factory;
    EXPECT_EQ(DllGetClassObject("{00000000-0000-0000-0000-000000000000}", "IClassFactory", &factory),
              com::kClassNotAvailable);
    EXPECT_EQ(factory, nullptr);
    factory = &factory;
    EXPECT_EQ(DllGetClassObject(ClsidOf("Profile").c_str(), "IUnknown", &factory), com::kNoInterface);
    EXPECT_EQ(factory, nullptr);
    EXPECT_EQ(DllGetClassObject(ClsidOf("Profile").c_str(), "IClassFactory", nullptr), com::kFail);

    // Class identifiers are hexadecimal numbers: their case does not matter.
    std::string lower = ClsidOf("Profile");
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    ASSERT_EQ(DllGetClassObject(lower.c_str(), "IClassFactory", &factory), com::kOk);
    EXPECT_EQ(static_cast<com::ClassFactory*>(factory)->CreateInstance()->TypeName(), "Profile");
    EXPECT_EQ(FactoryFor("Profile"), factory);  // static: the same factory every time
}

TEST(ServerClassObject, CanUnloadOnlyWithNoObjectAliveAndNoLock) {
    ASSERT_EQ(DllCanUnloadNow(), com::kOk);
    com::ClassFactory* factory = FactoryFor("Events");
    ASSERT_NE(factory, nullptr);
    {
        com::ObjectPtr events = factory->CreateInstance();
        EXPECT_EQ(DllCanUnloadNow(), com::kFalse);
        // Objects made directly, as members are, count as well as the factory's.
        auto general = std::make_shared<fluvanet::General>();
        general->Use(std::make_shared<fluvanet::Library>());
        events.reset();
        EXPECT_EQ(DllCanUnloadNow(), com::kFalse);
    }
    EXPECT_EQ(DllCanUnloadNow(), com::kOk);

    factory->LockServer(true);
    factory->LockServer(true);
    factory->LockServer(false);
    EXPECT_EQ(DllCanUnloadNow(), com::kFalse);
    factory->LockServer(false);
    EXPECT_EQ(DllCanUnloadNow(), com::kOk);
    factory->LockServer(false);  // one unlock too many must not hide the next lock
    factory->LockServer(true);
    EXPECT_EQ(DllCanUnloadNow(), com::kFalse);
    factory->LockServer(false);
    EXPECT_EQ(DllCanUnloadNow(), com::kOk);
}

TEST(ServerCreateObject, CreatesEveryClassByItsProgId) {
    testing_support::TempRegistry registry;
    ASSERT_EQ(DllRegisterServer(), com::kOk);
    for (const std::string& name : kClassNames) {
        com::ObjectPtr object = vb::CreateObject("Fluvanet." + name);
        ASSERT_TRUE(object) << name;
        EXPECT_EQ(object->TypeName(), name);
    }
    EXPECT_EQ(vb::CreateObject("FLUVANET.general")->TypeName(), "General");
}

TEST(ServerCreateObject, CallsTheServerLateBound) {
    testing_support::TempRegistry registry;
    ASSERT_EQ(DllRegisterServer(), com::kOk);
    com::ObjectPtr general = vb::CreateObject("Fluvanet.General");
    EXPECT_EQ(vb::CallByName(general, "GetFluvamapProgramVersion", com::CallType::Method), com::Variant("2.05"));
    EXPECT_EQ(vb::CallByName(general, "getfluvamapprogramversion", com::CallType::Method), com::Variant("2.05"));
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(vb::CreateObject("Fluvanet.Types"), "GetFluvamapProgramVersion",
                                           com::CallType::Method); }),
              ErrorCode::NotApplicable);
}

TEST(ServerCreateObject, LoadsTheLibraryTheRegistryNames) {
    testing_support::TempRegistry registry;
    com::RegisterServerClass("ByPath.General", ClsidOf("General"), FLUVANET_SERVER_PATH);
    EXPECT_EQ(vb::CreateObject("ByPath.General")->TypeName(), "General");

    // Loading by path gives the copy this program already runs, not a second one.
    void* byPath = ::dlopen(FLUVANET_SERVER_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(byPath, nullptr);
    EXPECT_EQ(::dlsym(byPath, "DllGetClassObject"), reinterpret_cast<void*>(&DllGetClassObject));
    ::dlclose(byPath);
}

TEST(ServerCreateObject, RaisesCannotCreateObjectForEveryFailure) {
    testing_support::TempRegistry registry;
    Dl_info platform{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&com::LookupProgId), &platform), 0);

    com::RegisterServerClass("No.File", ClsidOf("General"), (registry.Dir() / "missing.so").string());
    com::RegisterServerClass("Not.AServer", ClsidOf("General"), platform.dli_fname);
    com::RegisterServerClass("Unknown.Class", "{00000000-0000-0000-0000-000000000000}", FLUVANET_SERVER_PATH);
    for (const char* progId : {"Fluvanet.General", "No.File", "Not.AServer", "Unknown.Class"}) {
        try {
            vb::CreateObject(progId);
            ADD_FAILURE() << progId << " was created";
        } catch (const com::Error& e) {
            EXPECT_EQ(e.Number(), 429) << progId;
            EXPECT_EQ(e.Description().rfind("ActiveX component can't create object", 0), 0u) << e.Description();
        }
    }
}

// Opens the protected members to the test.
struct GeneralProbe : fluvanet::General {
    using General::library_;
    using General::crossing_;
};
struct LibraryProbe : fluvanet::Library {
    using Library::general_;
};

TEST(ServerMembers, CreatesMemberObjectsOnFirstUseAndKeepsThem) {
    ASSERT_EQ(DllCanUnloadNow(), com::kOk);
    auto general = std::make_shared<GeneralProbe>();
    EXPECT_FALSE(general->library_.Created());
    EXPECT_FALSE(general->crossing_.Created());

    std::shared_ptr<fluvanet::Library> first = general->library_.Get();
    ASSERT_TRUE(first);
    EXPECT_EQ(general->library_.Get(), first);
    EXPECT_EQ(&*general->library_, first.get());
    EXPECT_FALSE(general->crossing_.Created());  // only what is used

    auto stand = std::make_shared<LibraryProbe>();
    general->Use(stand);
    EXPECT_EQ(general->library_.Get(), stand);
    // The member's own members are its own: a fresh General, made only when used.
    EXPECT_FALSE(stand->general_.Created());
    EXPECT_NE(stand->general_.Get().get(), static_cast<fluvanet::General*>(general.get()));

    general.reset();
    first.reset();
    EXPECT_EQ(DllCanUnloadNow(), com::kFalse);  // the stand-in and its General are still held
    stand.reset();
    EXPECT_EQ(DllCanUnloadNow(), com::kOk);
}

}  // namespace
