// The host program: registers the server (as a setup program would), opens a drawing with
// a new project and runs its main job on it, calling the library late-bound only, then
// prints what the drawing holds. A failure prints the error and exits non-zero.

#include <dlfcn.h>

#include <cstdio>
#include <exception>
#include <string>

#include "host/main_job.h"
#include "host/new_project.h"

namespace {

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
        host::CreateProjectRecord(*doc, host::MainJobProjectOptions());
        host::FluvanetClasses fluvanet;
        host::RunMainJob(doc, fluvanet);
        host::PrintSummary(doc, fluvanet, stdout);
    } catch (const com::Error& e) {
        std::fprintf(stderr, "error %d: %s\n", e.Number(), e.Description().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
