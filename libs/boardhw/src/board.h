// One virtual board: the loaded design's registers, the LUT memory, the text registers and the two
// shading coefficient memories, behind one mutex.
#pragma once

#include "boardhw.h"
#include "coefficient_memory.h"
#include "design_settings.h"
#include "events.h"
#include "lut_memory.h"
#include "register_file.h"
#include "register_roles.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrel::boardhw {

class Acquisition;
class TriggerSystem;

// Every operation takes the board's mutex for its whole (short) duration, so calls from several
// threads see each register change whole. Results are BOARD_ codes.
class Board {
public:
    explicit Board(int32_t index);
    ~Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    int32_t index() const { return index_; }

    // Replaces the design: registers from definitions, all memories back to their reset state. A table
    // the register file refuses leaves the previous design in place.
    int32_t loadDesign(std::vector<RegisterDefinition> definitions);
    bool hasDesign() const;

    int32_t describe(uint32_t id, BoardRegisterDescription& description) const;
    int32_t write(uint32_t id, uint64_t value);
    int32_t force(uint32_t id, uint64_t value);
    int32_t read(uint32_t id, uint64_t& value) const;
    // Forces the register that plays `role` (the emulation's status registers); a design without
    // such a register ignores it.
    int32_t forceRole(RegisterRole role, uint64_t value);

    int32_t writeLut(uint32_t first, const uint32_t* entries, uint32_t count);
    int32_t readLut(uint32_t first, uint32_t* entries, uint32_t count) const;

    int32_t setText(uint32_t id, const char* text);
    int32_t getText(uint32_t id, char* buffer, uint32_t size) const;

    // Makes every later write or text write of register `id` fail with `code` (0 lifts it), as a
    // broken register would; tests use it to check what a failing write leaves behind.
    void failWrites(uint32_t id, int32_t code);

    int32_t writeCoefficientLines(int32_t memory, uint32_t firstLine, uint32_t lineCount,
                                  const uint16_t* samples);
    int32_t readCoefficientLines(int32_t memory, uint32_t firstLine, uint32_t lineCount,
                                 uint16_t* samples) const;

    DesignSettings settings() const;
    int32_t imageFormat(BoardImageFormat& format) const;

    // Counts changes of the coefficient memories, so that a reader can keep a copy until the next.
    uint64_t coefficientGeneration() const { return coefficientGeneration_.load(); }
    // The acquisition engine, made on first use.
    Acquisition& acquisition();

    // The design's hardware events. raiseEvent marks the event of that design name (an event record
    // of the loaded design) as fired at timestampNs, board time since acquisition start; a name the
    // design lacks raises nothing. Callable from any thread, also while other board calls run.
    void raiseEvent(std::string_view designName, uint64_t timestampNs) {
        events_.raise(designName, timestampNs);
    }
    EventHub& events() { return events_; }

    // The area trigger of the design. Writes of its registers reach it after they are stored.
    TriggerSystem& trigger() { return *trigger_; }
    // Id of the loaded design's register of that name, 0 when it has none.
    uint32_t registerId(const std::string& name) const;

private:
    // The register of id, or the code that refuses access to it.
    int32_t lookup(uint32_t id, const RegisterDefinition*& definition) const;
    CoefficientMemory* coefficientMemory(int32_t memory);

    const int32_t index_;
    mutable std::mutex mutex_;
    bool designLoaded_ = false;
    std::unordered_map<uint32_t, int32_t> failingWrites_;
    RegisterFile registers_;
    RoleMap roles_;
    LutMemory lut_;
    std::unordered_map<uint32_t, std::string> texts_;
    std::array<CoefficientMemory, 2> coefficients_{CoefficientMemory(0), CoefficientMemory(4096)};
    std::atomic<uint64_t> coefficientGeneration_{0};
    EventHub events_;
    std::unique_ptr<TriggerSystem> trigger_;
    std::once_flag acquisitionOnce_;
    std::unique_ptr<Acquisition> acquisition_;
};

} // namespace kestrel::boardhw
