#include "platform/create_object.h"

#include <dlfcn.h>

#include <exception>
#include <map>
#include <string>

#include "platform/class_factory.h"
#include "platform/com_registry.h"
#include "platform/error.h"

namespace vb {

namespace {

[[noreturn]] void CannotCreate(std::string_view progId, const std::string& why) {
    com::Raise(com::ErrorCode::CannotCreateObject, std::string(progId) + " (" + why + ")");
}

void* LoadServer(const std::string& path) {
    // Never closed: the objects handed out keep running the library's code.
    static std::map<std::string, void*> loaded;
    if (auto it = loaded.find(path); it != loaded.end()) return it->second;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) loaded.emplace(path, handle);
    return handle;
}

}  // namespace

com::ObjectPtr CreateObject(std::string_view progId) {
    std::optional<com::RegistryEntry> entry;
    try {
        entry = com::LookupProgId(progId);
    } catch (const com::Error& e) {
        CannotCreate(progId, e.Description());
    }
    if (!entry) CannotCreate(progId, "not registered");

    void* handle = LoadServer(entry->serverPath);
    if (handle == nullptr) {
        const char* why = ::dlerror();
        CannotCreate(progId, why != nullptr ? why : "cannot load " + entry->serverPath);
    }
    auto getClassObject = reinterpret_cast<com::GetClassObjectFunction>(::dlsym(handle, com::kGetClassObjectSymbol));
    if (getClassObject == nullptr) CannotCreate(progId, entry->serverPath + " is not a server");

    void* raw = nullptr;
    int32_t hr = getClassObject(entry->clsid.c_str(), std::string(com::kClassFactoryIid).c_str(), &raw);
    if (hr < 0 || raw == nullptr) CannotCreate(progId, "no class factory for " + entry->clsid);

    com::ObjectPtr object;
    try {
        object = static_cast<com::ClassFactory*>(raw)->CreateInstance();
    } catch (const std::exception& e) {
        CannotCreate(progId, e.what());
    }
    if (!object) CannotCreate(progId, "the factory returned no object");
    return object;
}

}  // namespace vb
