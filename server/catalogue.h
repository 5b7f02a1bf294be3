#pragma once
// The classes this server makes: each one's programmatic identifier, class identifier,
// interface name and factory. The class identifiers are fixed for good: clients and
// registries written by earlier builds refer to them.

#include <span>
#include <string_view>

#include "platform/class_factory.h"

namespace fluvanet::server {

struct ClassEntry {
    std::string_view name;           // "General"
    std::string_view progId;         // "Fluvanet.General"
    std::string_view clsid;          // "{...}"
    std::string_view interfaceName;  // "_General"
    com::ClassFactory& factory;
};

std::span<const ClassEntry> Catalogue();

// Class identifiers are compared without regard to case; nullptr when not served here.
const ClassEntry* FindClass(std::string_view clsid);

}  // namespace fluvanet::server
