#pragma once
// The library's classes as the host holds them: created by programmatic identifier and
// called by name, never linked.

#include <memory>
#include <string_view>
#include <utility>

#include "platform/create_object.h"
#include "platform/dispatch.h"

namespace host {

struct FluvanetClasses {
    com::ObjectPtr general = vb::CreateObject("Fluvanet.General");
    com::ObjectPtr library = vb::CreateObject("Fluvanet.Library");
    com::ObjectPtr viewStyle = vb::CreateObject("Fluvanet.ViewStyle");
    com::ObjectPtr crossing = vb::CreateObject("Fluvanet.Crossing");
    com::ObjectPtr lowHigh = vb::CreateObject("Fluvanet.LowHigh");
    com::ObjectPtr editing = vb::CreateObject("Fluvanet.Editing");
};

// A method call; Variant variables among the arguments see the method's updates.
template <class... A>
com::Variant Call(const com::ObjectPtr& object, std::string_view method, A&&... args) {
    return vb::CallByName(object, method, com::CallType::Method, std::forward<A>(args)...);
}

// An object result in the platform type the host works with; Nothing gives nullptr.
template <class T>
std::shared_ptr<T> ObjectOf(const com::Variant& result) {
    return com::FromVariant<std::shared_ptr<T>>(result);
}

}  // namespace host
