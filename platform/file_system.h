#pragma once
// The file-system automation object, for reading text files only. Files are taken as
// Windows-1252, the code page the library's data files are written in, and handed over
// as UTF-8 like every other text here.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/dispatch.h"

namespace vb {

class TextStream : public com::Dispatch {
public:
    // `text` is already decoded.
    explicit TextStream(std::string text) : text_(std::move(text)) {}
    std::string_view TypeName() const override { return "TextStream"; }
    const com::DispatchTable& Table() const override;

    bool AtEndOfStream() const;
    // The next line without its end (CR LF or LF; a lone CR stays in the line). Past the
    // end raises InputPastEndOfFile.
    std::string ReadLine();
    // Closing twice is harmless; any other use of a closed stream raises FileError.
    void Close() { closed_ = true; }

private:
    void CheckOpen() const;

    std::string text_;
    std::size_t pos_ = 0;
    bool closed_ = false;
};

class FileSystemObject : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "FileSystemObject"; }
    const com::DispatchTable& Table() const override;

    // False for directories, as the real object answers.
    bool FileExists(const std::string& path) const;
    // Reading only (ioMode 1); other modes raise InvalidProcedureCall, and so does a format
    // other than ASCII (0) or the system default (-2). A missing file raises FileNotFound
    // unless `create` makes it, empty.
    std::shared_ptr<TextStream> OpenTextFile(const std::string& path, int32_t ioMode = 1, bool create = false,
                                             int32_t format = 0);

private:
    // Omitted optional arguments arrive Empty, which must mean the defaults above.
    std::shared_ptr<TextStream> OpenTextFileLateBound(const std::string& path, const com::Variant& ioMode,
                                                      const com::Variant& create, const com::Variant& format);
};

// The host's message pump: nothing is pending here.
void DoEvents();

}  // namespace vb
