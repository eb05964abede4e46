// The handler table: for every catalogue parameter, the setter and getter that give it its
// behaviour. Typed set/get, configuration loading and the initial hardware state all reach the
// handlers through this one table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "params/parameter_catalogue.h"

namespace kestrel {

// The one structured value type: an entry of the lookup table, value first.
struct LutField {
    uint32_t value;
    uint32_t index;
};
static_assert(sizeof(LutField) == 8);

class ParameterHandlerTable {
public:
    // Reads the caller's value in the parameter's own type; raises its code when `reportErrors`.
    using SetFn = void (*)(void* owner, const void* value, bool reportErrors);
    // Writes the current value into the caller's (non-null) buffer; raises on failure.
    using GetFn = void (*)(void* owner, void* value);

    // A setter and its getter may belong to different owners.
    struct Entry {
        void* setOwner = nullptr;
        SetFn set = nullptr;
        void* getOwner = nullptr;
        GetFn get = nullptr;
        // The table checks the value against the row's limits first: the row leaves a number's
        // check to the table.
        bool checked = false;
        // The maximum at the moment of the call, asked of the setter's owner; null where the row
        // gives it.
        int64_t (*maximumNow)(const void* owner) = nullptr;
        // A checked enumeration whose values all lie in 0..63: bit v set for each accepted v, so
        // the check on the hot path is one test. 0 for every other parameter.
        uint64_t acceptedValues = 0;
    };

    // Binds `Setter`, a member `void (Owner::*)(T value, bool reportErrors)`, to the catalogue
    // parameter `id`. T is the parameter's value type: uint32_t, int32_t, double, const char*
    // (a NUL-terminated text) or LutField. Every binding below raises std::logic_error for an id
    // the catalogue does not have and for a role (setter, getter) bound twice.
    //
    // A number whose row leaves the check to the table reaches the setter only when it lies
    // within the row's range and on its step grid and, for an enumerated parameter, is one of the
    // row's entries; otherwise the table refuses it, with kErrOutOfRange before kErrNotAligned,
    // raising only when `reportErrors` is set. A rule on a partner's stored value stays with the
    // setter: configuration loading stores every partner before any setter runs, so only the
    // stored value is current then.
    template <auto Setter, class Owner> void bindSetter(int32_t id, Owner& owner) {
        bindSetFn(id, &owner, [](void* self, const void* value, bool reportErrors) {
            (static_cast<Owner*>(self)->*Setter)(readValue<SetterValue<decltype(Setter)>>(value),
                                                 reportErrors);
        });
    }

    // As bindSetter, for a parameter whose maximum follows a partner's stored value: `Maximum`, a
    // member `uint32_t (Owner::*)() const`, gives it at the moment of the call; the minimum and the
    // step are the row's.
    template <auto Setter, auto Maximum, class Owner> void bindSetterUpTo(int32_t id, Owner& owner) {
        bindSetter<Setter>(id, owner);
        entryFor(id).maximumNow = [](const void* self) -> int64_t {
            return (static_cast<const Owner*>(self)->*Maximum)();
        };
    }

    // Binds `Setter`, a member `void (Owner::*)(std::size_t index, T value, bool reportErrors)`,
    // with its index fixed to `Index`: one of a row of like parameters.
    template <auto Setter, std::size_t Index, class Owner> void bindIndexedSetter(int32_t id, Owner& owner) {
        bindSetFn(id, &owner, [](void* self, const void* value, bool reportErrors) {
            (static_cast<Owner*>(self)->*Setter)(
                Index, readValue<IndexedSetterValue<decltype(Setter)>>(value), reportErrors);
        });
    }

    // Binds `Getter`, a member `void (Owner::*)(void* value)` that writes the value in the
    // parameter's type. The buffer is never null here.
    template <auto Getter, class Owner> void bindGetter(int32_t id, Owner& owner) {
        bindGetFn(id, &owner, [](void* self, void* value) { (static_cast<Owner*>(self)->*Getter)(value); });
    }

    // Every row that names a value-block field and still has no getter reads that field of
    // `values`, so a group binds getters only for what it computes. Call it once, after the
    // groups have bound theirs. `values` must outlive the table's use.
    void bindStoredGetters(ParameterValueBlock& values);

    // A getter that copies a stored field of the owner: `Field` is a member pointer to a
    // uint32_t, int32_t or double member.
    template <auto Field, class Owner> void bindStoredGetter(int32_t id, Owner& owner) {
        bindGetFn(id, &owner,
                  [](void* self, void* value) { writeValue(value, static_cast<Owner*>(self)->*Field); });
    }

    // A getter that copies what `Getter`, a member `R (Owner::*)() const`, computes.
    template <auto Getter, class Owner> void bindValueGetter(int32_t id, Owner& owner) {
        bindGetFn(id, &owner,
                  [](void* self, void* value) { writeValue(value, (static_cast<Owner*>(self)->*Getter)()); });
    }

    // As bindValueGetter for `R (Owner::*)(std::size_t index) const`, with the index fixed.
    template <auto Getter, std::size_t Index, class Owner>
    void bindIndexedValueGetter(int32_t id, Owner& owner) {
        bindGetFn(id, &owner, [](void* self, void* value) {
            writeValue(value, (static_cast<Owner*>(self)->*Getter)(Index));
        });
    }

    // The entry of a catalogue id; null for ids the catalogue does not have. Entries of
    // parameters without handlers have null functions.
    const Entry* find(int32_t id) const;
    // The entry of a row the caller already looked up, so the hot path searches the catalogue once.
    const Entry& entry(const ParameterDefinition& row) const {
        return entries_[static_cast<std::size_t>(row.index)];
    }

    // Calls the setter of `id` (or of `row`); raises kErrInvalidArgument when it has no setter.
    void set(int32_t id, const void* value, bool reportErrors) const;
    void set(const ParameterDefinition& row, const void* value, bool reportErrors) const;
    // Calls the getter of `id` (or of `row`); raises kErrInvalidArgument when it has no getter.
    void get(int32_t id, void* value) const;
    void get(const ParameterDefinition& row, void* value) const;

private:
    template <class M> struct SetterTraits;
    template <class Owner, class T> struct SetterTraits<void (Owner::*)(T, bool)> { using Value = T; };
    template <class M> using SetterValue = typename SetterTraits<M>::Value;
    template <class M> struct IndexedSetterTraits;
    template <class Owner, class T> struct IndexedSetterTraits<void (Owner::*)(std::size_t, T, bool)> {
        using Value = T;
    };
    template <class M> using IndexedSetterValue = typename IndexedSetterTraits<M>::Value;

    template <class T> static T readValue(const void* value) {
        if constexpr (std::is_same_v<T, const char*>) {
            return static_cast<const char*>(value);
        } else {
            static_assert(std::is_trivially_copyable_v<T>);
            T result;
            std::memcpy(&result, value, sizeof result); // the caller's buffer may be unaligned
            return result;
        }
    }

    template <class T> static void writeValue(void* out, const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        std::memcpy(out, &value, sizeof value); // the caller's buffer may be unaligned
    }

    static Entry checkedEntry(const ParameterDefinition& row);
    void bindSetFn(int32_t id, void* owner, SetFn setter);
    void bindGetFn(int32_t id, void* owner, GetFn getter);
    Entry& entryFor(int32_t id);
    [[noreturn]] static void bindingConflict(int32_t id, const char* role);

    std::array<Entry, kCatalogueSize> entries_{};
};

} // namespace kestrel
