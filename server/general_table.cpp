#include "core/general.h"

namespace fluvanet {

const com::DispatchTable& General::Table() const {
    static const com::DispatchTable table = com::BuildTable<General>([](auto& b) {
        b.Method("GetFluvamapProgramVersion", &General::GetFluvamapProgramVersion)
            .Method("GetModelUnits", &General::GetModelUnits)
            .Method("CheckEventsFlag", &General::CheckEventsFlag);
    });
    return table;
}

}  // namespace fluvanet
