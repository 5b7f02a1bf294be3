#include "core/block_look.h"

#include <utility>

namespace fluvanet {

BlockLook::BlockLook(std::shared_ptr<acad::AcadBlockReference> block)
    : block_(std::move(block)), insertion_(block_->InsertionPoint()), rotation_(block_->Rotation()) {
    for (const auto& a : block_->GetAttributes())
        attributes_.push_back({a->TextString(), a->Alignment(), a->Rotation(), a->InsertionPoint(),
                               a->TextAlignmentPoint()});
}

void BlockLook::PutBack() const {
    if (block_->Rotation() != rotation_) block_->SetRotation(rotation_);
    if (block_->InsertionPoint() != insertion_) block_->SetInsertionPoint(insertion_);
    const auto attributes = block_->GetAttributes();
    for (std::size_t i = 0; i < attributes.size() && i < attributes_.size(); ++i) {
        acad::AcadAttributeReference& now = *attributes[i];
        const Attribute& kept = attributes_[i];
        if (now.TextString() == kept.text && now.Alignment() == kept.alignment && now.Rotation() == kept.rotation &&
            now.InsertionPoint() == kept.insertion && now.TextAlignmentPoint() == kept.alignmentPoint)
            continue;
        now.SetTextString(kept.text);
        now.SetAlignment(kept.alignment);
        now.SetRotation(kept.rotation);
        // The points last, the alignment point after the insertion point, each set exactly:
        // every setter before places an aligned text again, rounding as it goes.
        now.SetInsertionPoint(kept.insertion);
        now.SetTextAlignmentPoint(kept.alignmentPoint);
    }
}

}  // namespace fluvanet
