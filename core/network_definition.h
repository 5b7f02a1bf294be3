#pragma once
// What defining a network writes into the project record, for every way a network comes
// to be: the host's definition and the networks that copied elements bring along.

#include <string>

#include "core/project_record.h"

namespace fluvanet {

// Raises Invalid procedure call for an empty name, a name holding a character a layer name
// cannot hold (or ";"), and a type other than "Gravity" or "Pressure".
void RequireDefinableNetwork(const std::string& name, const std::string& type);

// False, changing nothing, when entry 3 lists the name already. Otherwise, checked as
// above: the name and type appended to entries 3 and 4, a visible flag in entry 1, and a
// crossing pair with every older network, new name first, in entry 8; true. Entry 9 is
// the caller's, and so is writing the record.
bool AddNetworkDefinition(ProjectRecord& record, const std::string& name, const std::string& type);

}  // namespace fluvanet
