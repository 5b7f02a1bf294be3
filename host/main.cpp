// The host program's main job in miniature: register the server (as a setup program
// would), open a drawing with a project, create every class by its programmatic
// identifier and call the library late-bound, as the add-in's host does.

#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "host/new_project.h"
#include "platform/create_object.h"
#include "platform/dispatch.h"

namespace {

const char* const kClasses[] = {"General", "Library", "ViewStyle", "Crossing", "Types",
                                "Profile", "LowHigh", "Editing",   "Events",   "UpdateOIDs"};

int Register(const std::string& serverPath) {
    void* server = dlopen(serverPath.c_str(), RTLD_NOW);
    if (server == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", serverPath.c_str(), dlerror());
        return 1;
    }
    auto registerServer = reinterpret_cast<int32_t (*)()>(dlsym(server, "DllRegisterServer"));
    if (registerServer == nullptr || registerServer() != 0) {
        std::fprintf(stderr, "registering %s failed\n", serverPath.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <path of the Fluvanet library>\n", argv[0]);
        return 2;
    }
    if (Register(argv[1]) != 0) return 1;
    try {
        auto doc = acad::NewDrawing();
        host::CreateProjectRecord(*doc);
        for (const char* name : kClasses) {
            com::ObjectPtr object = vb::CreateObject(std::string("Fluvanet.") + name);
            std::printf("Fluvanet.%-11s created: %s\n", name, std::string(object->TypeName()).c_str());
        }
        com::ObjectPtr general = vb::CreateObject("Fluvanet.General");
        auto call = [&](const char* method, auto&&... args) {
            return vb::CStr(vb::CallByName(general, method, com::CallType::Method, args...));
        };
        std::printf("program version: %s\n", call("GetFluvamapProgramVersion").c_str());
        std::printf("model units of %s: %s\n", doc->Name().c_str(), call("GetModelUnits", doc).c_str());
        std::printf("events flag: %s\n", call("CheckEventsFlag", doc).c_str());
    } catch (const com::Error& e) {
        std::fprintf(stderr, "error %d: %s\n", e.Number(), e.Description().c_str());
        return 1;
    }
    return 0;
}
