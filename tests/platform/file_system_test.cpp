// Reading text files through the file-system object: Windows-1252 decoding, line ends,
// the end of the stream and the errors VB code checks for.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/file_system.h"
#include "tests/support/error_code.h"

namespace {

using com::CallType;
using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

class FileSystem : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("fluvanet-fso-" + std::to_string(std::random_device{}()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::vector<std::string> ReadAll(const std::string& path) {
        auto ts = fso_.OpenTextFile(path);
        std::vector<std::string> lines;
        while (!ts->AtEndOfStream()) lines.push_back(ts->ReadLine());
        ts->Close();
        return lines;
    }

    std::filesystem::path dir_;
    vb::FileSystemObject fso_;
};

TEST_F(FileSystem, DecodesWindows1252IntoUtf8) {
    std::string path = Write("types.txt", "Caf\xE9;\x80 12\n\x81\x9F\xA0\xFF\n");
    EXPECT_EQ(ReadAll(path), (std::vector<std::string>{"Caf\u00E9;\u20AC 12", "\u0081\u0178\u00A0\u00FF"}));
}

TEST_F(FileSystem, SplitsLinesOnCrLfAndLfKeepingLoneCr) {
    EXPECT_EQ(ReadAll(Write("a.txt", "one\r\ntwo\nthree\rstill\r\n\r\nlast")),
              (std::vector<std::string>{"one", "two", "three\rstill", "", "last"}));
    EXPECT_EQ(ReadAll(Write("b.txt", "only\n")), std::vector<std::string>{"only"});
    EXPECT_TRUE(ReadAll(Write("d.txt", "")).empty());
}

TEST_F(FileSystem, RaisesPastEndMissingFileClosedStreamAndOtherModes) {
    std::string path = Write("e.txt", "x");
    auto ts = fso_.OpenTextFile(path);
    EXPECT_EQ(ts->ReadLine(), "x");
    EXPECT_EQ(ErrorOf([&] { ts->ReadLine(); }), ErrorCode::InputPastEndOfFile);
    ts->Close();
    EXPECT_EQ(ErrorOf([&] { ts->AtEndOfStream(); }), ErrorCode::FileError);
    EXPECT_EQ(ErrorOf([&] { ts->ReadLine(); }), ErrorCode::FileError);

    std::string missing = (dir_ / "missing.txt").string();
    EXPECT_FALSE(fso_.FileExists(missing));
    EXPECT_FALSE(fso_.FileExists(dir_.string()));
    EXPECT_TRUE(fso_.FileExists(path));
    EXPECT_EQ(ErrorOf([&] { fso_.OpenTextFile(missing); }), ErrorCode::FileNotFound);
    EXPECT_EQ(ErrorOf([&] { fso_.OpenTextFile(dir_.string()); }), ErrorCode::FileError);
    EXPECT_EQ(ErrorOf([&] { fso_.OpenTextFile(path, 2); }), ErrorCode::InvalidProcedureCall);
    EXPECT_TRUE(fso_.OpenTextFile(missing, 1, true)->AtEndOfStream());
    EXPECT_TRUE(fso_.FileExists(missing));
}

TEST_F(FileSystem, WorksLateBoundWithOptionalArgumentsOmitted) {
    auto fso = std::make_shared<vb::FileSystemObject>();
    std::string path = Write("f.txt", "a\r\nb");
    EXPECT_EQ(vb::CallByName(fso, "FileExists", CallType::Method, path), Variant(true));
    Variant ts = vb::CallByName(fso, "OpenTextFile", CallType::Method, path);
    EXPECT_EQ(vb::CallByName(ts.Object(), "ReadLine", CallType::Method), Variant("a"));
    EXPECT_EQ(vb::CallByName(ts.Object(), "ReadLine", CallType::Method), Variant("b"));
    EXPECT_EQ(vb::CallByName(ts.Object(), "AtEndOfStream", CallType::Get), Variant(true));
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(fso, "OpenTextFile", CallType::Method, path, int32_t{2}); }),
              ErrorCode::InvalidProcedureCall);
}

}  // namespace
