#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/general.h"
#include "core/library.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "platform/acad_entities.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

SafeArray LibraryChangeTable(const std::vector<std::vector<std::string>>& rows) {
    const std::size_t columns = rows.empty() ? 0 : rows.front().size();
    SafeArray table = SafeArray::Matrix(com::VarType::String, vb::Count16(rows.size()), static_cast<int32_t>(columns));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].size() != columns)
            Raise(ErrorCode::SubscriptOutOfRange, "the rows of a change table differ in length");
        for (std::size_t c = 0; c < columns; ++c)
            table.Put(static_cast<int32_t>(r), static_cast<int32_t>(c), Variant(rows[r][c]));
    }
    return table;
}

namespace {

constexpr std::string_view kCircular = "Circular";
constexpr std::string_view kBox = "Box";
constexpr std::string_view kMetric = "Metric";
constexpr std::string_view kBoxSeparator = "x";
constexpr double kHalfTurn = 3.141592654;

// Columns of the tables.
constexpr int32_t kTextColumn = 0;   // name or size
constexpr int32_t kCountColumn = 1;  // usage count
constexpr int32_t kAreaColumn = 2;   // size tables: section area
constexpr int32_t kShapeColumn = 1;  // size changes: "Circular" or "Box"
constexpr int32_t kSizeChangeColumn = 2;

namespace material_entry {
constexpr int32_t kNames = 3;
constexpr int32_t kCounts = 4;  // parallel to 3
}  // namespace material_entry

// The size point keeps four parallel pairs of lists, two for each units.
struct SizeLists {
    int32_t circularSizes, circularCounts, boxSizes, boxCounts;
};

// Every units value but "Metric" keeps the "US" lists.
SizeLists ListsFor(std::string_view units) {
    if (units == kMetric) return {3, 4, 5, 6};
    return {7, 8, 9, 10};
}

// One entry of a library: its text (name or size) and its usage count.
struct Entry {
    std::string text;
    std::string count;
};

std::vector<Entry> ReadEntries(const ElementRecord& point, int32_t textsEntry, int32_t countsEntry) {
    std::vector<std::string> texts = refs::TrailingItems(point.Text(textsEntry));
    std::vector<std::string> counts = refs::TrailingItems(point.Text(countsEntry));
    if (counts.size() < texts.size())
        Raise(ErrorCode::SubscriptOutOfRange, "library entry " + std::to_string(countsEntry) + " holds " +
                                                  std::to_string(counts.size()) + " counts for " +
                                                  std::to_string(texts.size()) + " items");
    std::vector<Entry> entries;
    entries.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) entries.push_back({texts[i], counts[i]});
    return entries;
}

void WriteEntries(ElementRecord& point, int32_t textsEntry, int32_t countsEntry, const std::vector<Entry>& entries) {
    std::vector<std::string> texts, counts;
    for (const Entry& e : entries) {
        texts.push_back(e.text);
        counts.push_back(e.count);
    }
    point.Set(textsEntry, Variant(refs::TrailingList(texts)));
    point.Set(countsEntry, Variant(refs::TrailingList(counts)));
}

// The rows of a table, walked by a 16-bit index from its lower bound.
struct Rows {
    int32_t first;
    int16_t count;
};

Rows RowsOf(const SafeArray& table) {
    int32_t first = table.LBound(1);
    return {first, vb::Count16(static_cast<std::size_t>(table.UBound(1) - first + 1))};
}

std::string Cell(const SafeArray& table, int32_t row, int32_t column) { return vb::CStr(table.Get(row, column)); }

std::vector<Entry> TableEntries(const SafeArray& table) {
    Rows rows = RowsOf(table);
    std::vector<Entry> entries;
    for (int16_t k = 0; k < rows.count; ++k)
        entries.push_back({Cell(table, rows.first + k, kTextColumn), Cell(table, rows.first + k, kCountColumn)});
    return entries;
}

// The table's rows take the counts (and with `texts` the texts) of the entries they came from.
void UpdateTable(SafeArray& table, const std::vector<Entry>& entries, bool texts) {
    Rows rows = RowsOf(table);
    for (int16_t k = 0; k < rows.count; ++k) {
        const Entry& e = entries[static_cast<std::size_t>(k)];
        if (texts) table.Put(rows.first + k, kTextColumn, Variant(e.text));
        table.Put(rows.first + k, kCountColumn, Variant(e.count));
    }
}

// The change goes to the first entry `same` matches, or becomes a new entry with the change
// as its count. New entries are searched too, so two changes for one new text make one entry.
template <class Same>
void ApplyChange(std::vector<Entry>& entries, const std::string& text, const std::string& change, Same same) {
    for (Entry& e : entries)
        if (same(e.text, text)) {
            e.count = vb::CStr(vb::Val(e.count) + vb::Val(change));
            return;
        }
    entries.push_back({text, change});
}

// Diameters as numbers when both are numbers, so "200.0" in the library takes "200".
bool SameCircularSize(const std::string& stored, const std::string& change) {
    if (vb::IsNumeric(Variant(stored)) && vb::IsNumeric(Variant(change))) return vb::Val(stored) == vb::Val(change);
    return stored == change;
}

struct BoxSides {
    std::string width, height;
};

// Width and height of a box size, stored "WxH" or shown "W x H".
BoxSides SidesOf(const std::string& size) {
    std::vector<std::string> pieces = vb::Split(size, kBoxSeparator);
    if (pieces.size() < 2) Raise(ErrorCode::SubscriptOutOfRange, "box size \"" + size + "\" holds no \"x\"");
    return {pieces[0], pieces[1]};
}

std::string StoredBoxSize(const std::string& size) {
    BoxSides sides = SidesOf(size);
    return vb::CStr(vb::Val(sides.width)) + std::string(kBoxSeparator) + vb::CStr(vb::Val(sides.height));
}

[[noreturn]] void RefuseChange(const std::string& detail) {
    Raise(ErrorCode::InvalidProcedureCall, "library change refused: " + detail);
}

// A ";" would split the list the text goes into.
void CheckListText(std::string_view what, const std::string& text) {
    if (vb::InStr(text, ";") > 0) RefuseChange(std::string(what) + " \"" + text + "\" holds \";\"");
}

struct MaterialChange {
    std::string name, change;
};

std::vector<MaterialChange> ReadMaterialChanges(const SafeArray& table) {
    Rows rows = RowsOf(table);
    std::vector<MaterialChange> changes;
    for (int16_t k = 0; k < rows.count; ++k) {
        MaterialChange c{Cell(table, rows.first + k, kTextColumn), Cell(table, rows.first + k, kCountColumn)};
        CheckListText("material", c.name);
        CheckListText("count change", c.change);
        changes.push_back(std::move(c));
    }
    return changes;
}

struct SizeChange {
    std::string size, shape, change;
};

// The rows that count: a row with an empty shape word is passed over.
std::vector<SizeChange> ReadSizeChanges(const SafeArray& table) {
    Rows rows = RowsOf(table);
    std::vector<SizeChange> changes;
    for (int16_t k = 0; k < rows.count; ++k) {
        int32_t row = rows.first + k;
        SizeChange c{Cell(table, row, kTextColumn), Cell(table, row, kShapeColumn),
                     Cell(table, row, kSizeChangeColumn)};
        if (c.shape.empty()) continue;
        CheckListText("size", c.size);
        CheckListText("count change", c.change);
        // Every word but "Circular" goes to the box list, whose readers split at "x".
        if (c.shape != kCircular && vb::InStr(c.size, kBoxSeparator) == 0)
            RefuseChange("box size \"" + c.size + "\" holds no \"x\"");
        changes.push_back(std::move(c));
    }
    return changes;
}

// Pipes of a deleted network by one key, in order of first appearance.
struct Tally {
    std::string key;
    std::string shape;  // of the first pipe
    std::size_t pipes = 0;
};

void Count(std::vector<Tally>& tallies, const std::string& key, const std::string& shape) {
    for (Tally& t : tallies)
        if (t.key == key) {
            ++t.pipes;
            return;
        }
    tallies.push_back({key, shape, 1});
}

// The tally as a count change: one less for every pipe.
std::string Decrease(const Tally& t) { return vb::CStr(-static_cast<int32_t>(t.pipes)); }

// The pipe records of a set, in set order.
std::vector<ElementRecord> PipeRecords(acad::AcadSelectionSet& set) {
    const int32_t count = set.Count();
    std::vector<ElementRecord> pipes;
    for (int32_t i = 0; i < count; ++i) {
        ElementRecord record = ElementRecord::Read(set.Item(i));
        if (element_type::IsPipe(record.ElementType())) pipes.push_back(std::move(record));
    }
    return pipes;
}

}  // namespace

ElementRecord Library::OpenLibraryPoint(acad::AcadDocument& doc, int32_t projectEntry, std::string_view type) {
    std::shared_ptr<acad::AcadObject> object = ObjectFromId(doc, ProjectRecord::Read(doc).Text(projectEntry));
    ElementRecord record = ElementRecord::Read(object);
    if (!std::dynamic_pointer_cast<acad::AcadPoint>(object))
        Raise(ErrorCode::TypeMismatch, "object " + IdText(*object) + " is not a " + std::string(type));
    RequireElementType(record, {type}, type);
    return record;
}

SafeArray Library::GetMaterialsArray(acad::AcadDocument& AcadActiveDocument) {
    ElementRecord point =
        OpenLibraryPoint(AcadActiveDocument, project_entry::kMaterialLibrary, element_type::kMaterialLibraryPoint);
    std::vector<Entry> entries = ReadEntries(point, material_entry::kNames, material_entry::kCounts);
    SafeArray table = SafeArray::Matrix(com::VarType::String, vb::Count16(entries.size()), 2);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        table.Put(static_cast<int32_t>(i), kTextColumn, Variant(entries[i].text));
        table.Put(static_cast<int32_t>(i), kCountColumn, Variant(entries[i].count));
    }
    return table;
}

void Library::UpdateMaterialUsage(acad::AcadDocument& AcadActiveDocument, SafeArray& ArMaterials,
                                  const SafeArray& ArMaterialChange) {
    ElementRecord point =
        OpenLibraryPoint(AcadActiveDocument, project_entry::kMaterialLibrary, element_type::kMaterialLibraryPoint);
    std::vector<MaterialChange> changes = ReadMaterialChanges(ArMaterialChange);
    std::vector<Entry> entries = TableEntries(ArMaterials);
    for (const MaterialChange& c : changes) ApplyChange(entries, c.name, c.change, std::equal_to<>{});
    WriteEntries(point, material_entry::kNames, material_entry::kCounts, entries);
    point.Write();
    UpdateTable(ArMaterials, entries, false);
}

SafeArray Library::GetSizesArray(acad::AcadDocument& AcadActiveDocument, const std::string& SectionShape) {
    bool circular = SectionShape == kCircular;
    if (!circular && SectionShape != kBox)
        Raise(ErrorCode::InvalidProcedureCall, "section shape \"" + SectionShape + "\" is neither Circular nor Box");
    ElementRecord point =
        OpenLibraryPoint(AcadActiveDocument, project_entry::kSizeLibrary, element_type::kSectionSizeLibraryPoint);
    SizeLists lists = ListsFor(general_->GetModelUnits(AcadActiveDocument));
    std::vector<Entry> entries = circular ? ReadEntries(point, lists.circularSizes, lists.circularCounts)
                                          : ReadEntries(point, lists.boxSizes, lists.boxCounts);
    SafeArray table = SafeArray::Matrix(com::VarType::String, vb::Count16(entries.size()), 3);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto row = static_cast<int32_t>(i);
        const Entry& e = entries[i];
        if (circular) {
            double d = vb::Val(e.text);
            table.Put(row, kTextColumn, Variant(e.text));
            table.Put(row, kAreaColumn, Variant(vb::CStr(kHalfTurn * (d * d) / 4)));
        } else {
            BoxSides sides = SidesOf(e.text);
            table.Put(row, kTextColumn, Variant(sides.width + " x " + sides.height));
            table.Put(row, kAreaColumn, Variant(vb::CStr(vb::Val(sides.width) * vb::Val(sides.height))));
        }
        table.Put(row, kCountColumn, Variant(e.count));
    }
    return SortSizesArray(table);
}

void Library::UpdateSizeUsage(acad::AcadDocument& AcadActiveDocument, SafeArray& ArCircularSizes,
                              SafeArray& ArBoxSizes, const SafeArray& ArSizeChange) {
    ElementRecord point =
        OpenLibraryPoint(AcadActiveDocument, project_entry::kSizeLibrary, element_type::kSectionSizeLibraryPoint);
    SizeLists lists = ListsFor(general_->GetModelUnits(AcadActiveDocument));
    std::vector<SizeChange> changes = ReadSizeChanges(ArSizeChange);
    std::vector<Entry> circular = TableEntries(ArCircularSizes);
    std::vector<Entry> box = TableEntries(ArBoxSizes);
    // Every box entry goes back in stored form, changed or not.
    for (Entry& e : box) e.text = StoredBoxSize(e.text);
    for (const SizeChange& c : changes) {
        if (c.shape == kCircular)
            ApplyChange(circular, c.size, c.change, SameCircularSize);
        else
            ApplyChange(box, c.size, c.change, std::equal_to<>{});
    }
    WriteEntries(point, lists.circularSizes, lists.circularCounts, circular);
    WriteEntries(point, lists.boxSizes, lists.boxCounts, box);
    point.Write();
    UpdateTable(ArCircularSizes, circular, false);
    UpdateTable(ArBoxSizes, box, true);
}

SafeArray Library::SortSizesArray(const SafeArray& Strings) {
    SafeArray sorted = Strings;
    Rows rows = RowsOf(sorted);
    auto area = [&](int32_t row) { return vb::Val(Cell(sorted, row, kAreaColumn)); };
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int16_t k = 0; k + 1 < rows.count; ++k) {
            int32_t upper = rows.first + k;
            int32_t lower = upper + 1;
            double upperArea = area(upper);
            double lowerArea = area(lower);
            // Strictly greater only: rows of equal area keep their order.
            if (upperArea <= lowerArea) continue;
            for (int32_t column : {kTextColumn, kCountColumn, kAreaColumn}) {
                Variant held = sorted.Get(upper, column);
                sorted.Put(upper, column, sorted.Get(lower, column));
                sorted.Put(lower, column, std::move(held));
            }
            sorted.Put(upper, kAreaColumn, Variant(vb::CStr(lowerArea)));
            sorted.Put(lower, kAreaColumn, Variant(vb::CStr(upperArea)));
            swapped = true;
        }
    }
    return sorted;
}

void Library::UpdateMaterialLibraryForDeleteNetwork(acad::AcadDocument& AcadActiveDocument,
                                                    acad::AcadSelectionSet& NetworkSet) {
    std::vector<Tally> tallies;
    for (const ElementRecord& pipe : PipeRecords(NetworkSet)) Count(tallies, pipe.Text(pipe_entry::kMaterial), "");
    if (tallies.empty()) return;
    SafeArray change = SafeArray::Matrix(com::VarType::String, vb::Count16(tallies.size()), 2);
    for (std::size_t i = 0; i < tallies.size(); ++i) {
        change.Put(static_cast<int32_t>(i), kTextColumn, Variant(tallies[i].key));
        change.Put(static_cast<int32_t>(i), kCountColumn, Variant(Decrease(tallies[i])));
    }
    SafeArray materials = GetMaterialsArray(AcadActiveDocument);
    UpdateMaterialUsage(AcadActiveDocument, materials, change);
}

void Library::UpdateSizeLibraryForDeleteNetwork(acad::AcadDocument& AcadActiveDocument,
                                                acad::AcadSelectionSet& NetworkSet) {
    std::vector<Tally> tallies;
    for (const ElementRecord& pipe : PipeRecords(NetworkSet)) {
        std::string shape = pipe.Text(pipe_entry::kSectionShape);
        std::string size = vb::CStr(pipe.Number(pipe_entry::kSpan));
        if (shape == kBoxShape) size += std::string(kBoxSeparator) + vb::CStr(pipe.Number(pipe_entry::kRise));
        Count(tallies, size, SectionShapeWord(shape));
    }
    if (tallies.empty()) return;
    SafeArray change = SafeArray::Matrix(com::VarType::String, vb::Count16(tallies.size()), 3);
    for (std::size_t i = 0; i < tallies.size(); ++i) {
        auto row = static_cast<int32_t>(i);
        change.Put(row, kTextColumn, Variant(tallies[i].key));
        change.Put(row, kShapeColumn, Variant(tallies[i].shape));
        change.Put(row, kSizeChangeColumn, Variant(Decrease(tallies[i])));
    }
    SafeArray circular = GetSizesArray(AcadActiveDocument, std::string(kCircular));
    SafeArray box = GetSizesArray(AcadActiveDocument, std::string(kBox));
    UpdateSizeUsage(AcadActiveDocument, circular, box, change);
}

}  // namespace fluvanet
