#pragma once
// The host's grid control and the data set behind it: records walked with First / Next,
// fields read by name from the current record. Values come back exactly as stored, Null
// included, so a caller's text conversion meets Null as VB code would.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch.h"

namespace host {

class GridDataSet : public com::Dispatch {
public:
    // Every row has one value per field, else InvalidInput. The first record is current.
    GridDataSet(std::vector<std::string> fieldNames, std::vector<std::vector<com::Variant>> rows);
    std::string_view TypeName() const override { return "GridDataSet"; }
    const com::DispatchTable& Table() const override;

    int32_t RecordCount() const { return static_cast<int32_t>(rows_.size()); }
    int32_t FieldCount() const { return static_cast<int32_t>(fields_.size()); }
    void First() { current_ = 0; }
    // Past the last record there is no current record; moving further is harmless.
    void Next();
    // 0-based position; outside raises SubscriptOutOfRange.
    std::string FieldName(int32_t index) const;
    // Names compare without regard to case. An unknown name raises KeyNotFound; no
    // current record raises InvalidInput.
    com::Variant FieldValue(const std::string& name) const;

private:
    std::vector<std::string> fields_;
    std::vector<std::vector<com::Variant>> rows_;
    std::size_t current_ = 0;  // rows_.size() when there is no current record
};

class Grid : public com::Dispatch {
public:
    Grid(std::vector<std::string> fieldNames, std::vector<std::vector<com::Variant>> rows)
        : dataSet_(std::make_shared<GridDataSet>(std::move(fieldNames), std::move(rows))) {}
    std::string_view TypeName() const override { return "Grid"; }
    const com::DispatchTable& Table() const override;

    std::shared_ptr<GridDataSet> DataSet() const { return dataSet_; }

private:
    std::shared_ptr<GridDataSet> dataSet_;
};

}  // namespace host
