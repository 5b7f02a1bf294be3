#pragma once
// VB's CreateObject for in-process servers: the registry gives the class and the library
// that serves a programmatic identifier; the library is loaded once and stays loaded,
// since the objects it creates run its code until their last reference goes.

#include <string_view>

#include "platform/dispatch.h"

namespace vb {

// Any failure (unregistered ProgID, library that does not load or lacks the protocol,
// factory that refuses or fails) raises 429 "ActiveX component can't create object".
com::ObjectPtr CreateObject(std::string_view progId);

}  // namespace vb
