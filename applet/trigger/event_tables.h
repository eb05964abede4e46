// The design's hardware events as the host's 64-bit event masks: one bit per event record of the
// design image, reachable under the record's design name and, for the events the applet names
// itself, under that applet name.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace kestrel {

// One event record as the design runtime hands it out.
struct EventRecord {
    std::string designName;
    int32_t kind = 0; // 1: published under its design name
};

class EventTables {
public:
    // Reads the records of an open design image (null: no events) and builds both tables.
    void build(void* designImage);
    // The same from records given directly, by index; a missing record is std::nullopt-like:
    // the callback returns false. Used by build() and by tests.
    template <class RecordAt> void buildFrom(RecordAt&& recordAt);

    // Mask of an event name, or nothing for a name (or null) not in the table. A record at index
    // 64 is in the table with mask 0.
    std::optional<uint64_t> mask(const char* name) const;
    // Name of exactly one mask, owned by these tables and valid while they live; null for a mask
    // not in the table (0 and several bits included).
    const char* name(uint64_t mask) const;

    const std::map<std::string, uint64_t>& masks() const { return masks_; }
    const std::map<uint64_t, std::string>& names() const { return names_; }

private:
    void registerEvent(const std::string& name, uint64_t mask);

    std::map<std::string, uint64_t> masks_;
    std::map<uint64_t, std::string> names_;
};

// The events the applet publishes under its own names, with the design names they stand for, in
// the order they are registered.
struct AppletEventName {
    const char* appletName;
    const char* designName;
};
const AppletEventName* appletEventNames(std::size_t& count);

// Highest record index the tables look at: 65 records at most.
inline constexpr int32_t kLastEventRecordIndex = 64;

template <class RecordAt> void EventTables::buildFrom(RecordAt&& recordAt) {
    // Records are counted while they exist, from index 0.
    int32_t count = 0;
    EventRecord record;
    while (count <= kLastEventRecordIndex && recordAt(count, record))
        ++count;

    // The mask doubles for every index, registered or not; at index 64 it wraps to 0.
    uint64_t bit = 1;
    for (int32_t i = 0; i < count; ++i, bit <<= 1) {
        if (recordAt(i, record) && record.kind == 1)
            registerEvent(record.designName, bit);
    }

    std::size_t appletCount = 0;
    const AppletEventName* applet = appletEventNames(appletCount);
    for (std::size_t e = 0; e < appletCount; ++e) {
        uint64_t eventBit = 1;
        for (int32_t i = 0; i < count; ++i, eventBit <<= 1) {
            if (recordAt(i, record) && record.designName == applet[e].designName) {
                registerEvent(applet[e].appletName, eventBit);
                break;
            }
        }
    }
}

} // namespace kestrel
