#include "platform/file_system.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

namespace vb {

using com::ErrorCode;
using com::Raise;
using com::Variant;

namespace {

constexpr int32_t kForReading = 1;
constexpr int32_t kTristateFalse = 0;
constexpr int32_t kTristateUseDefault = -2;

// Code points of bytes 0x80 to 0x9F; the five bytes the code page leaves undefined map to
// the same code point, as the system's conversion does.
constexpr char32_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Decode1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : char32_t{b});
    }
    return out;
}

}  // namespace

// ---- TextStream ----------------------------------------------------------------------

const com::DispatchTable& TextStream::Table() const {
    static const com::DispatchTable table = com::BuildTable<TextStream>([](auto& b) {
        b.Get("AtEndOfStream", &TextStream::AtEndOfStream)
            .Method("ReadLine", &TextStream::ReadLine)
            .Method("Close", &TextStream::Close);
    });
    return table;
}

void TextStream::CheckOpen() const {
    if (closed_) Raise(ErrorCode::FileError, "the stream is closed");
}

bool TextStream::AtEndOfStream() const {
    CheckOpen();
    return pos_ >= text_.size();
}

std::string TextStream::ReadLine() {
    if (AtEndOfStream()) Raise(ErrorCode::InputPastEndOfFile);
    std::size_t end = text_.find('\n', pos_);
    std::size_t next = end == std::string::npos ? text_.size() : end + 1;
    if (end == std::string::npos) end = text_.size();
    else if (end > pos_ && text_[end - 1] == '\r') --end;
    std::string line = text_.substr(pos_, end - pos_);
    pos_ = next;
    return line;
}

// ---- FileSystemObject ----------------------------------------------------------------

const com::DispatchTable& FileSystemObject::Table() const {
    static const com::DispatchTable table = com::BuildTable<FileSystemObject>([](auto& b) {
        b.Method("FileExists", &FileSystemObject::FileExists)
            .Method("OpenTextFile", &FileSystemObject::OpenTextFileLateBound, 1);
    });
    return table;
}

bool FileSystemObject::FileExists(const std::string& path) const {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

std::shared_ptr<TextStream> FileSystemObject::OpenTextFile(const std::string& path, int32_t ioMode, bool create,
                                                           int32_t format) {
    if (ioMode != kForReading) Raise(ErrorCode::InvalidProcedureCall, "only reading is supported");
    if (format != kTristateFalse && format != kTristateUseDefault)
        Raise(ErrorCode::InvalidProcedureCall, "only single-byte text is supported");
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec)) {
        if (!create) Raise(ErrorCode::FileNotFound, path);
        if (!std::ofstream(path, std::ios::binary)) Raise(ErrorCode::FileError, "cannot create " + path);
    }
    if (std::filesystem::is_directory(path, ec)) Raise(ErrorCode::FileError, path + " is a directory");
    std::ifstream in(path, std::ios::binary);
    if (!in) Raise(ErrorCode::FileError, "cannot open " + path);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) Raise(ErrorCode::FileError, "cannot read " + path);
    return std::make_shared<TextStream>(Decode1252(bytes));
}

std::shared_ptr<TextStream> FileSystemObject::OpenTextFileLateBound(const std::string& path, const Variant& ioMode,
                                                                    const Variant& create, const Variant& format) {
    return OpenTextFile(path, ioMode.IsEmpty() ? kForReading : CLng(ioMode), !create.IsEmpty() && CBool(create),
                        format.IsEmpty() ? kTristateFalse : CLng(format));
}

void DoEvents() {}

}  // namespace vb
