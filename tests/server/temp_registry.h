#pragma once
// A registry of the test's own in a fresh directory, so that tests never touch the
// user's registry nor each other's when run in parallel. Restores the environment after.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace testing_support {

class TempRegistry {
public:
    TempRegistry() {
        std::string pattern = (std::filesystem::temp_directory_path() / "fluvanet-registry-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        dir_ = pattern;
        Save("FLUVANET_REGISTRY", savedRegistry_);
        Save("HOME", savedHome_);
        // A directory not there yet: the registry creates it on first write.
        file_ = dir_ / "nested" / "registry";
        ::setenv("FLUVANET_REGISTRY", file_.c_str(), 1);
    }
    ~TempRegistry() {
        Restore("FLUVANET_REGISTRY", savedRegistry_);
        Restore("HOME", savedHome_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    const std::filesystem::path& Dir() const { return dir_; }
    const std::filesystem::path& File() const { return file_; }

private:
    static void Save(const char* name, std::optional<std::string>& slot) {
        if (const char* v = std::getenv(name)) slot = v;
    }
    static void Restore(const char* name, const std::optional<std::string>& slot) {
        if (slot) {
            ::setenv(name, slot->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

    std::filesystem::path dir_;
    std::filesystem::path file_;
    std::optional<std::string> savedRegistry_;
    std::optional<std::string> savedHome_;
};

}  // namespace testing_support
