#include "core/library_changes.h"

#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"

namespace fluvanet {

LibrarySize PipeLibrarySize(const ElementRecord& pipe) {
    const std::string span = vb::CStr(pipe.Number(pipe_entry::kSpan));
    if (pipe.Text(pipe_entry::kSectionShape) == kCircularShape) return {span, "Circular"};
    return {span + "x" + vb::CStr(pipe.Number(pipe_entry::kRise)), "Box"};
}

}  // namespace fluvanet
