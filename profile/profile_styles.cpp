#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/general.h"
#include "core/layer_state.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "platform/file_system.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

constexpr std::size_t kEntries = static_cast<std::size_t>(style_entry::kCount);

// The item count of each settings entry a file must give, [1] and [5] to [19].
constexpr std::array<std::pair<int32_t, std::size_t>, 16> kImportItemCounts{{
    {1, 3}, {5, 4}, {6, 2}, {7, 4}, {8, 4}, {9, 3}, {10, 4}, {11, 7},
    {12, 5}, {13, 4}, {14, 4}, {15, 4}, {16, 4}, {17, 4}, {18, 7}, {19, 6},
}};

std::vector<Variant> TwentyOneEntries(const Variant& array, const std::string& what) {
    if (!array.IsArray() || array.Array().Dims() != 1 || array.Array().Size() != kEntries)
        Raise(ErrorCode::InvalidProcedureCall, what + " must hold the 21 entries of a profile style");
    return array.Array().ToVariants();
}

// The values of a new style record, checked before anything is drawn.
std::vector<Variant> NewStyleValues(const Variant& xData, const Variant& xDataType) {
    std::vector<Variant> codes = TwentyOneEntries(xDataType, "xDataType");
    const std::vector<int16_t>& expected = ProfileStyleRecordCodes();
    for (std::size_t k = 0; k < kEntries; ++k)
        if (!vb::IsNumeric(codes[k]) || vb::CDbl(codes[k]) != expected[k])
            Raise(ErrorCode::InvalidProcedureCall,
                  "xDataType(" + std::to_string(k) + ") must be " + std::to_string(expected[k]));

    std::vector<Variant> values;
    for (const Variant& v : TwentyOneEntries(xData, "xData")) values.emplace_back(vb::CStr(v));
    if (values[0].Str() != kAppName) Raise(ErrorCode::InvalidProcedureCall, "xData(0) must be \"Fluvamap\"");
    std::vector<std::string> label = vb::Split(values[style_entry::kCombinedLabel].Str(), ";");
    if (label.size() != 3 || !label[0].empty() || !label[1].empty())
        Raise(ErrorCode::InvalidProcedureCall, "xData(1) must be \";;\" followed by a name without \";\"");
    if (values[style_entry::kElementType].Str() != element_type::kProfileStylePoint)
        Raise(ErrorCode::InvalidProcedureCall, "xData(2) must be \"ProfileStylePoint\"");
    // A new style has drawn no profile, whatever a copied settings array says.
    for (int32_t k : {style_entry::kProfileLabels, style_entry::kProfileIds, style_entry::kProfileNetworks})
        values[static_cast<std::size_t>(k)] = Variant("");
    return values;
}

// A key of a style's profile list that opens as a profile block; keys naming nothing do not count.
bool NamesProfileBlock(acad::AcadDocument& doc, const std::string& key) {
    std::shared_ptr<acad::AcadObject> object;
    try {
        object = ObjectFromIdIfAlive(doc, key);
    } catch (const com::Error&) {
        return false;  // not an identifier at all
    }
    return std::dynamic_pointer_cast<acad::AcadBlockReference>(object) &&
           ElementRecord::Read(object).ElementType() == element_type::kProfile;
}

// A line's text between its enclosing characters; a line of one character holds none.
std::string EnclosedText(const std::string& line) {
    int32_t length = vb::Len(line);
    return length >= 2 ? vb::Mid(line, 2, length - 2) : std::string();
}

std::size_t ItemCount(const std::string& entry) { return static_cast<std::size_t>(vb::Count16(vb::Split(entry, ";").size())); }

}  // namespace

std::vector<int16_t> Profile::GetProfileStyleXdataTypeArray() { return ProfileStyleRecordCodes(); }

std::string Profile::CreateProfileStyle(acad::AcadDocument& AcadActiveDocument, const Variant& xData,
                                        const Variant& xDataType) {
    std::vector<Variant> values = NewStyleValues(xData, xDataType);
    ProjectRecord project = ProjectRecord::Read(AcadActiveDocument);
    std::string styles = project.Text(project_entry::kProfileStyles);

    UnlockedLayersGuard unlocked(*general_, AcadActiveDocument);
    std::shared_ptr<acad::AcadPoint> point = AcadActiveDocument.ModelSpace()->AddPoint({0, 0, 0});
    try {
        point->SetLayer("0");
        point->SetVisible(false);
        ElementRecord::Create(point, ProfileStyleRecordCodes(), std::move(values)).Write();
        project.Set(project_entry::kProfileStyles, Variant(refs::TrailingAppend(styles, IdText(*point))));
        project.Write();
    } catch (...) {
        try {
            point->Delete();
        } catch (const com::Error&) {
        }
        throw;
    }
    unlocked.Restore();
    return IdText(*point);
}

void Profile::DeleteProfileStyle(acad::AcadDocument& AcadActiveDocument, const std::string& StylePointOID) {
    vb::CLng(Variant(StylePointOID));  // strictly a number, also when it names nothing
    std::shared_ptr<acad::AcadObject> object = ObjectFromIdIfAlive(AcadActiveDocument, StylePointOID);
    std::shared_ptr<acad::AcadEntity> point;
    if (object) {
        ElementRecord record = ElementRecord::Read(object);
        RequireElementType(record, {element_type::kProfileStylePoint}, "a profile style point");
        point = acad::Cast<acad::AcadEntity>(object);
        for (const std::string& key : refs::LeadingKeys(record.Text(style_entry::kProfileIds)))
            if (NamesProfileBlock(AcadActiveDocument, key))
                Raise(ErrorCode::InvalidProcedureCall,
                      "the profile style \"" + general_->EntityLabelFromCombined(record.Get(style_entry::kCombinedLabel)) +
                          "\" is used by a drawn profile");
    }
    ProjectRecord project = ProjectRecord::Read(AcadActiveDocument);
    std::string styles = project.Text(project_entry::kProfileStyles);

    UnlockedLayersGuard unlocked(*general_, AcadActiveDocument);
    project.Set(project_entry::kProfileStyles,
                Variant(general_->DeleteReferenceInReferenceString(Variant(styles), StylePointOID, 1)));
    project.Write();
    if (point) {
        try {
            point->Delete();
        } catch (...) {
            // The style stays, so the list keeps it.
            try {
                project.Set(project_entry::kProfileStyles, Variant(styles));
                project.Write();
            } catch (const com::Error&) {
            }
            throw;
        }
    }
    unlocked.Restore();
}

Variant Profile::ValidateProfileStyleSettings(const Variant& SettingsArray) {
    if (SettingsArray.IsArray()) {
        const SafeArray& settings = SettingsArray.Array();
        if (settings.Dims() == 1 && settings.UBound(1) == style_entry::kCount - 1) return SettingsArray;
    }
    return Variant(SafeArray::FromStrings(std::vector<std::string>(kEntries)));
}

Variant Profile::ImportArProfileSettings(const std::string& FilePath) {
    std::vector<std::string> entries(kEntries);
    auto files = std::make_shared<vb::FileSystemObject>();
    std::shared_ptr<vb::TextStream> stream = files->OpenTextFile(FilePath, 1, false, 0);
    struct Closing {
        vb::TextStream& stream;
        ~Closing() { stream.Close(); }
    } closing{*stream};
    for (std::size_t i = 0; i < kEntries && !stream->AtEndOfStream(); ++i) {
        std::string line = stream->ReadLine();
        if (line.empty()) break;
        entries[i] = EnclosedText(line);
    }

    entries[0] = std::string(kAppName);
    for (const auto& [entry, count] : kImportItemCounts)
        if (ItemCount(entries[static_cast<std::size_t>(entry)]) != count) return Variant();
    entries[style_entry::kElementType] = std::string(element_type::kProfileStylePoint);
    for (int32_t k : {style_entry::kProfileLabels, style_entry::kProfileIds, style_entry::kProfileNetworks})
        entries[static_cast<std::size_t>(k)].clear();
    return Variant(SafeArray::FromStrings(entries));
}

Variant Profile::GetProfileStyleSettings(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileStyle) {
    std::optional<ElementRecord> style = FindProfileStylePoint(AcadActiveDocument, ProfileStyle);
    return style ? style->ValuesVariant() : Variant();
}

}  // namespace fluvanet
