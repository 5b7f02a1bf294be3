#pragma once
// The server's entry points, as a client resolves them by name (see platform/class_factory.h).

#include <cstdint>

#define FLUVANET_EXPORT extern "C" __attribute__((visibility("default")))

FLUVANET_EXPORT int32_t DllGetClassObject(const char* clsid, const char* iid, void** factory);
FLUVANET_EXPORT int32_t DllCanUnloadNow();
FLUVANET_EXPORT int32_t DllRegisterServer();
FLUVANET_EXPORT int32_t DllUnregisterServer();
