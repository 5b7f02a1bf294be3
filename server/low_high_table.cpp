#include "crossing/low_high.h"

namespace fluvanet {

const com::DispatchTable& LowHigh::Table() const {
    static const com::DispatchTable table = com::BuildTable<LowHigh>([](auto& b) {
        // Low and high points
        b.Method("BuildLowHighPointsAfterImporting", &LowHigh::BuildLowHighPointsAfterImporting);
        b.Method("GetInitialNodesOIDArrayForLowHigh", &LowHigh::GetInitialNodesOIDArrayForLowHigh);
        b.Method("DrawLowHighPoint", &LowHigh::DrawLowHighPoint);

        // Low and high point settings
        b.Method("GetLowHighSettings", &LowHigh::GetLowHighSettings);
        b.Method("SetLowHighSettings", &LowHigh::SetLowHighSettings);
        b.Method("ApplyLowHighSettings", &LowHigh::ApplyLowHighSettings);
        b.Method("GetExistingLowHighPointsSet", &LowHigh::GetExistingLowHighPointsSet);
        b.Method("DeleteNetworkLowHighPoints", &LowHigh::DeleteNetworkLowHighPoints);
    });
    return table;
}

}  // namespace fluvanet
