#include "platform/dispatch.h"

#include <algorithm>

namespace com {

bool SameIdentifier(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(x) == lower(y);
           });
}

Variant Dispatch::Invoke(std::string_view name, CallType type, ArgRefs args) {
    return Table().Invoke(*this, name, type, args);
}

bool Dispatch::Supports(std::string_view name) const { return Table().Find(name) != nullptr; }

const DispatchTable::Entry* DispatchTable::Find(std::string_view name) const {
    for (const Entry& e : entries_)
        if (SameIdentifier(e.name, name)) return &e;
    return nullptr;
}

std::vector<std::string> DispatchTable::Names() const {
    std::vector<std::string> names;
    for (const Entry& e : entries_) names.push_back(e.name);
    return names;
}

Variant DispatchTable::Invoke(Dispatch& self, std::string_view name, CallType type, ArgRefs args) const {
    const Entry* e = Find(name);
    if (e != nullptr) {
        const Thunk* thunk = nullptr;
        switch (type) {
        // VB asks for "method or property get" in both cases.
        case CallType::Method: thunk = e->method ? &e->method : (e->get ? &e->get : nullptr); break;
        case CallType::Get: thunk = e->get ? &e->get : (e->method ? &e->method : nullptr); break;
        case CallType::Let:
        case CallType::Set: thunk = e->put ? &e->put : nullptr; break;
        }
        if (thunk != nullptr) {
            for (Variant* arg : args)
                if (arg != nullptr) RequireLongSubscripts(*arg);
            return (*thunk)(self, args);
        }
    }
    Raise(ErrorCode::NotApplicable, std::string(self.TypeName()) + "." + std::string(name));
}

void DispatchTable::Add(std::string_view name, CallType type, Thunk thunk, Signature signature) {
    Entry* e = const_cast<Entry*>(Find(name));
    if (e == nullptr) {
        entries_.push_back(Entry{std::string(name), {}, {}, {}, {}});
        e = &entries_.back();
    }
    switch (type) {
    case CallType::Method:
        e->method = std::move(thunk);
        e->methodSignature = std::move(signature);
        break;
    case CallType::Get: e->get = std::move(thunk); break;
    case CallType::Let:
    case CallType::Set: e->put = std::move(thunk); break;
    }
}

namespace detail {

void TieToTexts(ArgRefs args, std::span<const bool> texts, std::span<bool> tied) {
    const std::size_t n = std::min(args.size(), texts.size());
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            if (j != i && args[i] != nullptr && args[i] == args[j] && (texts[i] || texts[j])) tied[i] = true;
    for (std::size_t i = 0; i < n; ++i)
        if (tied[i] && texts[i] && !args[i]->IsString()) *args[i] = Variant(vb::CStr(*args[i]));
}

}  // namespace detail

void DispatchTable::Inherit(const DispatchTable& base) {
    for (const Entry& e : base.entries_) {
        if (e.method) Add(e.name, CallType::Method, e.method, e.methodSignature);
        if (e.get) Add(e.name, CallType::Get, e.get);
        if (e.put) Add(e.name, CallType::Let, e.put);
    }
}

}  // namespace com
