#pragma once
// The class registry: which shared library serves a programmatic identifier, under which
// class identifier. It is a text file of our own, one entry a line (ProgID, CLSID and
// server path separated by tabs); FLUVANET_REGISTRY names it, by default
// $HOME/.fluvanet/registry. Every change rewrites the whole file through a temporary
// file and a rename, so a reader never sees half an entry. A symbolic link is written
// through to its target and stays; a path that names anything but a regular file (or
// nothing) raises ServerError before it is opened.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace com {

struct RegistryEntry {
    std::string progId;
    std::string clsid;
    std::string serverPath;
};

// Read at every call, so that a change of FLUVANET_REGISTRY takes effect at once.
std::filesystem::path RegistryPath();

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hexadecimal digits of either case.
bool IsClsid(std::string_view text);

// Adds the entry or replaces the one of the same ProgID (compared without regard to
// case). Bad arguments raise Invalid procedure call; a registry that cannot be read or
// written raises ServerError.
void RegisterServerClass(std::string_view progId, std::string_view clsid, std::string_view serverPath);
// Removing an absent ProgID is not an error.
void UnregisterServerClass(std::string_view progId);
std::optional<RegistryEntry> LookupProgId(std::string_view progId);

}  // namespace com
