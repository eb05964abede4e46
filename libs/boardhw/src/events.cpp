// Pending hardware events of a board, by the bits of the design's event records.
#include "events.h"

#include "designrt.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kestrel::boardhw {

namespace {

constexpr std::size_t kMaskBits = 64;
constexpr std::size_t kRecordNameOffset = 8;

} // namespace

std::vector<std::string> readEventNames(void* designImage) {
    std::vector<std::string> names;
    if (designImage == nullptr)
        return names;
    // Consecutive records from 0, as the applet counts them; only the first 64 own a bit.
    for (int32_t index = 0; index < static_cast<int32_t>(kMaskBits); ++index) {
        const auto* record = static_cast<const unsigned char*>(DesignImage_GetProperty(designImage, index));
        if (record == nullptr)
            break;
        const char* name = nullptr;
        std::memcpy(&name, record + kRecordNameOffset, sizeof name);
        names.emplace_back(name != nullptr ? name : "");
    }
    return names;
}

void EventHub::configure(std::vector<std::string> recordNames) {
    std::lock_guard lock(mutex_);
    if (recordNames.size() > kMaskBits)
        recordNames.resize(kMaskBits);
    names_ = std::move(recordNames);
    pendingBits_ = 0;
    std::fill(std::begin(pending_), std::end(pending_), Pending{});
}

uint64_t EventHub::maskOf(std::string_view name) const {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (!name.empty() && names_[i] == name)
            return uint64_t{1} << i;
    return 0;
}

void EventHub::raise(std::string_view name, uint64_t timestampNs) {
    const uint64_t mask = maskOf(name);
    if (mask == 0)
        return;
    const auto bit = static_cast<std::size_t>(std::countr_zero(mask));
    {
        std::lock_guard lock(mutex_);
        Pending& pending = pending_[bit];
        if (pending.count == 0)
            pending.firstNs = timestampNs;
        ++pending.count;
        pendingBits_ |= mask;
    }
    raised_.notify_all();
}

bool EventHub::wait(uint64_t mask, std::chrono::nanoseconds timeout, EventDelivery& delivery) {
    std::unique_lock lock(mutex_);
    if (!raised_.wait_for(lock, timeout, [&] { return (pendingBits_ & mask) != 0; }))
        return false;
    delivery = EventDelivery{};
    delivery.mask = pendingBits_ & mask;
    delivery.timestampNs = UINT64_MAX;
    for (uint64_t bits = delivery.mask; bits != 0; bits &= bits - 1) {
        Pending& pending = pending_[static_cast<std::size_t>(std::countr_zero(bits))];
        delivery.timestampNs = std::min(delivery.timestampNs, pending.firstNs);
        delivery.missed += pending.count - 1;
        pending = Pending{};
    }
    pendingBits_ &= ~delivery.mask;
    return true;
}

void EventHub::clear() {
    std::lock_guard lock(mutex_);
    pendingBits_ = 0;
    std::fill(std::begin(pending_), std::end(pending_), Pending{});
}

} // namespace kestrel::boardhw
