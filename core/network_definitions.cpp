#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/general.h"
#include "core/network_definition.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

constexpr std::string_view kGravity = "Gravity";
constexpr std::string_view kPressure = "Pressure";

// The layer names are built from the network name, so it must not hold what a layer name
// cannot; ";" would split the lists the name is stored in.
constexpr std::string_view kRefusedNameCharacters = "<>/\\\":?*|=,`;";

struct Networks {
    std::vector<std::string> names;
    std::vector<std::string> types;  // at least as many as names, parallel to them
};

Networks ReadNetworks(const ProjectRecord& record) {
    Networks n{refs::TrailingItems(record.Text(project_entry::kNetworkNames)),
               refs::TrailingItems(record.Text(project_entry::kNetworkTypes))};
    if (n.types.size() < n.names.size())
        Raise(ErrorCode::SubscriptOutOfRange, "the project record lists fewer network types than network names");
    return n;
}

void RefuseDefinition(const std::string& detail) {
    Raise(ErrorCode::InvalidProcedureCall, "network definition refused: " + detail);
}

}  // namespace

Variant General::GetNetworkDefinitions(acad::AcadDocument& AcadActiveDocument) {
    Networks n = ReadNetworks(ProjectRecord::Read(AcadActiveDocument));
    const auto count = static_cast<int32_t>(n.names.size());
    // Without networks one row of two empty texts.
    SafeArray table = SafeArray::Matrix(com::VarType::String, std::max<int32_t>(count, 1), 2);
    for (int32_t i = 0; i < count; ++i) {
        table.Put(i, 0, Variant(n.names[static_cast<std::size_t>(i)]));
        table.Put(i, 1, Variant(n.types[static_cast<std::size_t>(i)]));
    }
    return Variant(std::move(table));
}

Variant General::GetNetworkNames(acad::AcadDocument& AcadActiveDocument) {
    std::vector<std::string> names =
        refs::TrailingItems(ProjectRecord::Read(AcadActiveDocument).Text(project_entry::kNetworkNames));
    if (names.empty()) names.emplace_back();
    return Variant(SafeArray::FromStrings(names));
}

bool General::CheckNetworkExists(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName) {
    std::vector<std::string> names =
        refs::TrailingItems(ProjectRecord::Read(AcadActiveDocument).Text(project_entry::kNetworkNames));
    return std::find(names.begin(), names.end(), NetworkName) != names.end();
}

void RequireDefinableNetwork(const std::string& name, const std::string& type) {
    // Names that differ only in case are distinct networks; they share their layers, whose
    // names the platform compares without regard to case.
    if (name.empty()) RefuseDefinition("the network name is empty");
    if (name.find_first_of(kRefusedNameCharacters) != std::string::npos)
        RefuseDefinition("the network name " + name + " holds a character a layer name cannot hold");
    if (type != kGravity && type != kPressure)
        RefuseDefinition("the network type " + type + " is neither Gravity nor Pressure");
}

bool AddNetworkDefinition(ProjectRecord& record, const std::string& name, const std::string& type) {
    Networks n = ReadNetworks(record);
    std::vector<std::string> viewStyles = ViewStyleItems(record);
    if (std::find(n.names.begin(), n.names.end(), name) != n.names.end()) return false;
    RequireDefinableNetwork(name, type);

    record.Set(project_entry::kNetworkNames,
               Variant(refs::TrailingAppend(record.Text(project_entry::kNetworkNames), name)));
    record.Set(project_entry::kNetworkTypes,
               Variant(refs::TrailingAppend(record.Text(project_entry::kNetworkTypes), type)));

    viewStyles[view_style_item::kVisibility] += "1";
    record.Set(project_entry::kViewStyles, Variant(refs::TrailingList(viewStyles)));

    // The new network crosses every older one, new name first; the existing text stays as
    // it is and the pairs follow it.
    refs::PairList crossings{record.Text(project_entry::kCrossingSettings), {}};
    for (const std::string& older : n.names) crossings.pairs.emplace_back(name, older);
    record.Set(project_entry::kCrossingSettings, Variant(refs::PairListText(crossings)));
    return true;
}

void General::CreateNetworkDefintion(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName,
                                     const std::string& NetworkType) {
    // Everything is checked before the record is written or a layer made.
    ProjectRecord record = ProjectRecord::Read(AcadActiveDocument);
    if (!AddNetworkDefinition(record, NetworkName, NetworkType))
        RefuseDefinition("the network " + NetworkName + " is defined already");
    if (NetworkType == kPressure)
        record.Set(project_entry::kLowHighSettings,
                   Variant(refs::TrailingAppend(record.Text(project_entry::kLowHighSettings), NetworkName)));
    record.Write();

    CreateStandardLayer(AcadActiveDocument, NetworkName, "Network");
    if (NetworkType == kGravity) SetLayerColor(AcadActiveDocument, NetworkName + " - Network", "6");
    CreateStandardLayer(AcadActiveDocument, NetworkName, "Annotation");
    CreateStandardLayer(AcadActiveDocument, NetworkName, "Arrow");
}

void General::DeleteNetworkDefintion(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName) {
    ProjectRecord record = ProjectRecord::Read(AcadActiveDocument);
    std::vector<std::string> names = refs::TrailingItems(record.Text(project_entry::kNetworkNames));

    // Older drawings may hold a name twice: every position of it goes.
    std::vector<std::size_t> positions;
    std::vector<std::string> keptNames;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == NetworkName)
            positions.push_back(i);
        else
            keptNames.push_back(names[i]);
    }

    if (!positions.empty()) {
        Networks n = ReadNetworks(record);
        std::vector<std::string> viewStyles = ViewStyleItems(record);
        std::vector<std::string> keptTypes;
        for (std::size_t i = 0; i < n.types.size(); ++i)
            if (std::find(positions.begin(), positions.end(), i) == positions.end()) keptTypes.push_back(n.types[i]);

        // From the last position down, so the earlier positions still count from the start;
        // a position past the string's end leaves it as it is.
        std::string& visibility = viewStyles[view_style_item::kVisibility];
        for (auto p = positions.rbegin(); p != positions.rend(); ++p) {
            int32_t at = static_cast<int32_t>(*p);
            visibility = vb::Left(visibility, at) + vb::Mid(visibility, at + 2);
        }
        record.Set(project_entry::kNetworkTypes, Variant(refs::TrailingList(keptTypes)));
        record.Set(project_entry::kViewStyles, Variant(refs::TrailingList(viewStyles)));
    }
    record.Set(project_entry::kNetworkNames, Variant(refs::TrailingList(keptNames)));

    std::string crossingText = record.Text(project_entry::kCrossingSettings);
    if (vb::Split(crossingText, ";").size() >= 2) {
        refs::PairList crossings = refs::ReadPairList(crossingText);
        std::erase_if(crossings.pairs,
                      [&](const auto& pair) { return pair.first == NetworkName || pair.second == NetworkName; });
        record.Set(project_entry::kCrossingSettings, Variant(refs::PairListText(crossings)));
    }

    std::string lowHighText = record.Text(project_entry::kLowHighSettings);
    if (vb::Split(lowHighText, ";").size() > 1) {
        std::vector<std::string> shown = refs::TrailingItems(lowHighText);
        std::erase(shown, NetworkName);
        record.Set(project_entry::kLowHighSettings, Variant(refs::TrailingList(shown)));
    }
    record.Write();
}

void General::DeleteNetworkLayers(acad::AcadDocument& AcadActiveDocument, const std::string& NetName) {
    auto layers = AcadActiveDocument.Layers();
    layers->GenerateUsageData();
    // Looked up without regard to case, as the platform does: a network whose name differs
    // only in case shares these layers, and they go with either.
    for (const char* suffix : {" - Network", " - Annotation", " - Arrow", " - Low&High Points"}) {
        try {
            layers->Item(Variant(NetName + suffix))->Delete();
        } catch (const com::Error&) {
            // Missing, or still in use: it stays.
        }
    }
}

}  // namespace fluvanet
