#include "core/library_changes.h"

#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"

namespace fluvanet {

com::SafeArray LibraryChangeTable(const std::vector<std::vector<std::string>>& rows) {
    com::SafeArray table = com::SafeArray::Matrix(com::VarType::String, static_cast<int32_t>(rows.size()),
                                                  rows.empty() ? 0 : static_cast<int32_t>(rows.front().size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            table.Put(static_cast<int32_t>(r), static_cast<int32_t>(c), com::Variant(rows[r][c]));
    return table;
}

LibrarySize PipeLibrarySize(const ElementRecord& pipe) {
    const std::string span = vb::CStr(pipe.Number(pipe_entry::kSpan));
    if (pipe.Text(pipe_entry::kSectionShape) == kCircularShape) return {span, "Circular"};
    return {span + "x" + vb::CStr(pipe.Number(pipe_entry::kRise)), "Box"};
}

}  // namespace fluvanet
