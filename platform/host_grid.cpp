#include "platform/host_grid.h"

#include "platform/vb_text.h"

namespace host {

using com::ErrorCode;
using com::Raise;
using com::Variant;

GridDataSet::GridDataSet(std::vector<std::string> fieldNames, std::vector<std::vector<Variant>> rows)
    : fields_(std::move(fieldNames)), rows_(std::move(rows)) {
    for (const auto& row : rows_)
        if (row.size() != fields_.size()) Raise(ErrorCode::InvalidInput, "a row does not match the fields");
}

const com::DispatchTable& GridDataSet::Table() const {
    static const com::DispatchTable table = com::BuildTable<GridDataSet>([](auto& b) {
        b.Get("RecordCount", &GridDataSet::RecordCount)
            .Get("FieldCount", &GridDataSet::FieldCount)
            .Method("First", &GridDataSet::First)
            .Method("Next", &GridDataSet::Next)
            .Get("FieldName", &GridDataSet::FieldName)
            .Get("FieldValue", &GridDataSet::FieldValue);
    });
    return table;
}

void GridDataSet::Next() {
    if (current_ < rows_.size()) ++current_;
}

std::string GridDataSet::FieldName(int32_t index) const {
    if (index < 0 || index >= FieldCount()) Raise(ErrorCode::SubscriptOutOfRange, "field " + std::to_string(index));
    return fields_[static_cast<std::size_t>(index)];
}

Variant GridDataSet::FieldValue(const std::string& name) const {
    const std::string key = vb::UCase(name);
    for (std::size_t j = 0; j < fields_.size(); ++j) {
        if (vb::UCase(fields_[j]) != key) continue;
        if (current_ >= rows_.size()) Raise(ErrorCode::InvalidInput, "No current record");
        return rows_[current_][j];
    }
    Raise(ErrorCode::KeyNotFound, "field " + name);
}

const com::DispatchTable& Grid::Table() const {
    static const com::DispatchTable table =
        com::BuildTable<Grid>([](auto& b) { b.Get("DataSet", &Grid::DataSet); });
    return table;
}

}  // namespace host
