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

// Where the registry named by `named` lives: a symbolic link is followed to its final
// target, so that a rewrite replaces the target and keeps the link. Anything but a regular
// file, or nothing, is refused before it is opened: a FIFO would block the open, a device
// would be replaced by the rename.
struct RegistryFile {
    fs::path path;
    bool exists = false;
    bool linked = false;
};

RegistryFile Locate(const fs::path& named) {
    RegistryFile file{named};
    for (int links = 0;; ++links) {
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(file.path, ec);
        switch (status.type()) {
        case fs::file_type::not_found: return file;
        case fs::file_type::regular: file.exists = true; return file;
        case fs::file_type::symlink: break;
        case fs::file_type::none:
            Raise(ErrorCode::ServerError, "cannot reach the registry " + file.path.string() + ": " + ec.message());
        default: Raise(ErrorCode::ServerError, "the registry " + file.path.string() + " is not a regular file");
        }
        // As many as the system itself follows.
        if (links == 40) Raise(ErrorCode::ServerError, "too many symbolic links to the registry " + named.string());
        fs::path target = fs::read_symlink(file.path, ec);
        if (ec) Raise(ErrorCode::ServerError, "cannot read the link " + file.path.string() + ": " + ec.message());
        file.path = target.is_relative() ? file.path.parent_path() / target : target;
        file.linked = true;
    }
}

std::vector<RegistryEntry> ReadAll(const RegistryFile& file) {
    std::vector<RegistryEntry> entries;
    if (!file.exists) return entries;
    const fs::path& path = file.path;
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

void WriteAll(const RegistryFile& file, const std::vector<RegistryEntry>& entries) {
    const fs::path& path = file.path;
    std::error_code ec;
    // The far end of a link is the user's to make.
    if (!file.linked && path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
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
    const RegistryFile file = Locate(RegistryPath());
    std::vector<RegistryEntry> entries = ReadAll(file);
    std::erase_if(entries, [&](const RegistryEntry& e) { return SameIdentifier(e.progId, progId); });
    entries.push_back({std::string(progId), std::string(clsid), std::string(serverPath)});
    WriteAll(file, entries);
}

void UnregisterServerClass(std::string_view progId) {
    const RegistryFile file = Locate(RegistryPath());
    std::vector<RegistryEntry> entries = ReadAll(file);
    if (std::erase_if(entries, [&](const RegistryEntry& e) { return SameIdentifier(e.progId, progId); }) > 0)
        WriteAll(file, entries);
}

std::optional<RegistryEntry> LookupProgId(std::string_view progId) {
    for (RegistryEntry& e : ReadAll(Locate(RegistryPath())))
        if (SameIdentifier(e.progId, progId)) return std::move(e);
    return std::nullopt;
}

}  // namespace com
