#include <string>

#include "core/general.h"
#include "core/layer_state.h"
#include "core/library.h"
#include "crossing/crossing.h"
#include "crossing/low_high.h"
#include "profile/profile.h"

namespace fluvanet {

void General::DeleteNetwork(acad::AcadDocument& AcadActiveDocument, const std::string& NetName) {
    // Another name, one differing only in case among them, would still take the layers
    // that network shares.
    if (!CheckNetworkExists(AcadActiveDocument, NetName))
        com::Raise(com::ErrorCode::InvalidProcedureCall, "there is no network \"" + NetName + "\" to delete");

    UnlockedLayersGuard unlocked(*this, AcadActiveDocument);
    // A host that forwarded these erasures would lower the library counts a second time.
    EventsOffGuard eventsOff(*this, AcadActiveDocument);

    // What refers to the network goes while its pipes and nodes are still there to say so.
    crossing_->DeleteNetworkCrossings(AcadActiveDocument, NetName);
    lowHigh_->DeleteNetworkLowHighPoints(AcadActiveDocument, NetName);
    profile_->DeleteNetworkProfiles(AcadActiveDocument, NetName);

    auto elements = GetNetworkSet(AcadActiveDocument, NetName, 0);
    // The counts are read from the pipes' records, so before the pipes go.
    library_->UpdateMaterialLibraryForDeleteNetwork(AcadActiveDocument, *elements);
    library_->UpdateSizeLibraryForDeleteNetwork(AcadActiveDocument, *elements);
    elements->Erase();
    elements->Delete();

    DeleteNetworkDefintion(AcadActiveDocument, NetName);
    DeleteNetworkLayers(AcadActiveDocument, NetName);
    eventsOff.Restore();
    unlocked.Restore();
}

}  // namespace fluvanet
