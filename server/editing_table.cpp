#include "editing/editing.h"

namespace fluvanet {

const com::DispatchTable& Editing::Table() const {
    static const com::DispatchTable table = com::BuildTable<Editing>([]([[maybe_unused]] auto& b) {
        // Labels of new elements
        b.Method("GetExistingLabelsArray", &Editing::GetExistingLabelsArray);

        // Levels at nodes
        b.Method("GetSumpElevation", &Editing::GetSumpElevation);

        // Polyline coordinates
        b.Method("ReversePolylineCoordinates", &Editing::ReversePolylineCoordinates);

    });
    return table;
}

}  // namespace fluvanet
