#include "core/library.h"

namespace fluvanet {

const com::DispatchTable& Library::Table() const {
    static const com::DispatchTable table = com::BuildTable<Library>([](auto& b) {
        // Material and section-size libraries
        b.Method("GetMaterialsArray", &Library::GetMaterialsArray);
        b.Method("UpdateMaterialUsage", &Library::UpdateMaterialUsage);
        b.Method("GetSizesArray", &Library::GetSizesArray);
        b.Method("UpdateSizeUsage", &Library::UpdateSizeUsage);
        b.Method("SortSizesArray", &Library::SortSizesArray);
        b.Method("UpdateMaterialLibraryForDeleteNetwork", &Library::UpdateMaterialLibraryForDeleteNetwork);
        b.Method("UpdateSizeLibraryForDeleteNetwork", &Library::UpdateSizeLibraryForDeleteNetwork);
    });
    return table;
}

}  // namespace fluvanet
