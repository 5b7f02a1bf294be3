#include "platform/com_registry.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/dispatch.h"
#include "platform/error.h"

namespace com {

namespace fs = std::filesystem;

namespace {

bool FitsOnLine(std::string_view field) { return field.find_first_of("\t\r\n") == std::string_view::npos; }

std::vector<RegistryEntry> ReadAll(const fs::path& path) {
    std::vector<RegistryEntry> entries;
    std::error_code ec;
    if (!fs::exists(path, ec)) return entries;
    std::ifstream in(path);
    if (!in) Raise(ErrorCode::ServerError, "cannot read the registry " + path.string());
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::size_t a = line.find('\t');
        std::size_t b = a == std::string::npos ? a : line.find('\t', a + 1);
        // A damaged line is dropped rather than blocking every other class.
        if (b == std::string::npos) continue;
        entries.push_back({line.substr(0, a), line.substr(a + 1, b - a - 1), line.substr(b + 1)});
    }
    return entries;
}

void WriteAll(const fs::path& path, const std::vector<RegistryEntry>& entries) {
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    // Per process, so that two programs registering at once never share a temporary.
    fs::path temp = path;
    temp += ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::trunc);
        out << "# Fluvanet class registry: ProgID, CLSID, server path (tab separated)\n";
        for (const RegistryEntry& e : entries) out << e.progId << '\t' << e.clsid << '\t' << e.serverPath << '\n';
        out.close();
        if (!out) {
            fs::remove(temp, ec);
            Raise(ErrorCode::ServerError, "cannot write the registry " + path.string());
        }
    }
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        Raise(ErrorCode::ServerError, "cannot replace the registry " + path.string());
    }
}

}  // namespace

fs::path RegistryPath() {
    if (const char* p = std::getenv("FLUVANET_REGISTRY"); p != nullptr && *p != '\0') return p;
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') Raise(ErrorCode::ServerError, "neither FLUVANET_REGISTRY nor HOME is set");
    return fs::path(home) / ".fluvanet" / "registry";
}

bool IsClsid(std::string_view text) {
    static constexpr std::string_view kShape = "{________-____-____-____-____________}";
    if (text.size() != kShape.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool ok = kShape[i] == '_' ? std::isxdigit(static_cast<unsigned char>(text[i])) != 0 : text[i] == kShape[i];
        if (!ok) return false;
    }
    return true;
}

void RegisterServerClass(std::string_view progId, std::string_view clsid, std::string_view serverPath) {
    if (progId.empty() || !FitsOnLine(progId) || progId.front() == '#')
        Raise(ErrorCode::InvalidProcedureCall, "invalid ProgID");
    if (!IsClsid(clsid)) Raise(ErrorCode::InvalidProcedureCall, "invalid CLSID " + std::string(clsid));
    if (serverPath.empty() || !FitsOnLine(serverPath)) Raise(ErrorCode::InvalidProcedureCall, "invalid server path");
    fs::path path = RegistryPath();
    std::vector<RegistryEntry> entries = ReadAll(path);
    std::erase_if(entries, [&](const RegistryEntry& e) { return SameIdentifier(e.progId, progId); });
    entries.push_back({std::string(progId), std::string(clsid), std::string(serverPath)});
    WriteAll(path, entries);
}

void UnregisterServerClass(std::string_view progId) {
    fs::path path = RegistryPath();
    std::vector<RegistryEntry> entries = ReadAll(path);
    if (std::erase_if(entries, [&](const RegistryEntry& e) { return SameIdentifier(e.progId, progId); }) > 0)
        WriteAll(path, entries);
}

std::optional<RegistryEntry> LookupProgId(std::string_view progId) {
    for (RegistryEntry& e : ReadAll(RegistryPath()))
        if (SameIdentifier(e.progId, progId)) return std::move(e);
    return std::nullopt;
}

}  // namespace com
