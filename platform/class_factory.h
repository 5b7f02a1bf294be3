#pragma once
// The in-process server protocol. A server library exports, with C linkage,
//   int32_t DllGetClassObject(const char* clsid, const char* iid, void** factory)
// which hands out a ClassFactory* of static lifetime for a class it serves, together with
// DllCanUnloadNow, DllRegisterServer and DllUnregisterServer (no arguments). The results
// are HRESULT-like: zero or positive for success, negative for failure.

#include <cstdint>
#include <string_view>

#include "platform/dispatch.h"

namespace com {

enum HResult : int32_t {
    kOk = 0,
    kFalse = 1,
    kClassNotAvailable = -2147221231,
    kNoInterface = -2147467262,
    kFail = -2147467259,
};

// The only interface a factory is requested by.
inline constexpr std::string_view kClassFactoryIid = "IClassFactory";

inline constexpr const char* kGetClassObjectSymbol = "DllGetClassObject";
using GetClassObjectFunction = int32_t (*)(const char* clsid, const char* iid, void** factory);

class ClassFactory {
public:
    virtual com::ObjectPtr CreateInstance() = 0;
    // While locked the server reports that it cannot be unloaded, even with no object alive.
    virtual void LockServer(bool lock) = 0;
    virtual ~ClassFactory() = default;
};

}  // namespace com
