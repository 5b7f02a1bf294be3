// No exception may leave an entry point: the caller is not necessarily C++.

#include "server/exports.h"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/class_factory.h"
#include "platform/com_registry.h"
#include "server/catalogue.h"
#include "server/instance_count.h"

namespace {

using fluvanet::server::Catalogue;

// This library's own file, wherever it was loaded from: the registry must name it.
std::string OwnPath() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) == 0 || info.dli_fname == nullptr)
        throw std::runtime_error("cannot locate the server library");
    return std::filesystem::absolute(info.dli_fname).lexically_normal().string();
}

}  // namespace

int32_t DllGetClassObject(const char* clsid, const char* iid, void** factory) {
    if (factory == nullptr) return com::kFail;
    *factory = nullptr;
    if (clsid == nullptr || iid == nullptr) return com::kFail;
    const fluvanet::server::ClassEntry* entry = fluvanet::server::FindClass(clsid);
    if (entry == nullptr) return com::kClassNotAvailable;
    if (iid != com::kClassFactoryIid) return com::kNoInterface;
    *factory = &entry->factory;
    return com::kOk;
}

int32_t DllCanUnloadNow() {
    return fluvanet::server::LiveInstances() == 0 && fluvanet::server::ServerLocks() == 0 ? com::kOk : com::kFalse;
}

int32_t DllRegisterServer() {
    try {
        std::string path = OwnPath();
        for (const auto& c : Catalogue()) com::RegisterServerClass(c.progId, c.clsid, path);
        return com::kOk;
    } catch (...) {
        return com::kFail;
    }
}

int32_t DllUnregisterServer() {
    try {
        for (const auto& c : Catalogue()) com::UnregisterServerClass(c.progId);
        return com::kOk;
    } catch (...) {
        return com::kFail;
    }
}
