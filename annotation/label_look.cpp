#include "annotation/label_look.h"

#include <utility>

namespace fluvanet::labels {

BlockLook::BlockLook(std::shared_ptr<acad::AcadBlockReference> block)
    : block_(std::move(block)), insertion_(block_->InsertionPoint()), rotation_(block_->Rotation()) {
    for (const auto& a : block_->GetAttributes())
        attributes_.push_back({a, a->TextString(), a->Alignment(), a->Rotation(), a->InsertionPoint(),
                               a->TextAlignmentPoint()});
}

void BlockLook::PutBack() const {
    block_->SetRotation(rotation_);
    block_->SetInsertionPoint(insertion_);
    for (const AttributeLook& look : attributes_) {
        acad::AcadAttributeReference& a = *look.attribute;
        a.SetAlignment(look.alignment);
        a.SetRotation(look.rotation);
        a.SetTextString(look.text);
        // A left-aligned text stands by its insertion point and only keeps its alignment
        // point; any other stands by its alignment point.
        a.SetInsertionPoint(look.insertion);
        a.SetTextAlignmentPoint(look.alignmentPoint);
        a.Update();
    }
}

}  // namespace fluvanet::labels
