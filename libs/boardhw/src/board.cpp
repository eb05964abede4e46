// One virtual board: the register-level behaviour of the loaded design.
#include "board.h"

#include "acquisition.h"
#include "trigger/trigger_system.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace kestrel::boardhw {

Board::Board(int32_t index) : index_(index), trigger_(std::make_unique<TriggerSystem>(*this)) {
    trigger_->setEventSink([this](std::string_view name, uint64_t atNs) { raiseEvent(name, atNs); });
}

int32_t Board::loadDesign(std::vector<RegisterDefinition> definitions) {
    try {
        RegisterFile registers(std::move(definitions));
        RoleMap roles(registers);
        std::lock_guard lock(mutex_);
        registers_ = std::move(registers);
        roles_ = roles;
        lut_.reset();
        texts_.clear();
        for (auto& memory : coefficients_)
            memory.reset();
        ++coefficientGeneration_;
        designLoaded_ = true;
    } catch (const std::invalid_argument&) {
        return BOARD_ERR_INVALID_DESIGN;
    } catch (const std::bad_alloc&) {
        return BOARD_ERR_OUT_OF_MEMORY;
    }
    // Outside the lock: the trigger reads the new registers through the board.
    trigger_->designLoaded();
    return BOARD_OK;
}

bool Board::hasDesign() const {
    std::lock_guard lock(mutex_);
    return designLoaded_;
}

int32_t Board::lookup(uint32_t id, const RegisterDefinition*& definition) const {
    if (!designLoaded_)
        return BOARD_ERR_NO_DESIGN;
    definition = registers_.find(id);
    return definition == nullptr ? BOARD_ERR_UNKNOWN_REGISTER : BOARD_OK;
}

int32_t Board::describe(uint32_t id, BoardRegisterDescription& description) const {
    std::lock_guard lock(mutex_);
    const RegisterDefinition* definition = nullptr;
    if (const int32_t rc = lookup(id, definition); rc != BOARD_OK)
        return rc;
    description.id = definition->id;
    description.widthBits = definition->widthBits;
    description.writable = definition->writable ? 1 : 0;
    description.kind = definition->kind == RegisterKind::Table  ? BOARD_REGISTER_TABLE
                       : definition->kind == RegisterKind::Text ? BOARD_REGISTER_TEXT
                                                                : BOARD_REGISTER_VALUE;
    return BOARD_OK;
}

int32_t Board::write(uint32_t id, uint64_t value) {
    int32_t code = BOARD_OK;
    {
        std::lock_guard lock(mutex_);
        if (auto failing = failingWrites_.find(id); failing != failingWrites_.end())
            return failing->second;
        code = designLoaded_ ? registers_.write(id, value) : BOARD_ERR_NO_DESIGN;
    }
    // The trigger acts on the stored value (a software pulse, a clear) and forces its status
    // registers through the board, so it runs after the board's lock is released.
    if (code == BOARD_OK)
        trigger_->registerWritten(id, value);
    return code;
}

uint32_t Board::registerId(const std::string& name) const {
    std::lock_guard lock(mutex_);
    return designLoaded_ ? registers_.idOf(name) : 0;
}

void Board::failWrites(uint32_t id, int32_t code) {
    std::lock_guard lock(mutex_);
    if (code == 0)
        failingWrites_.erase(id);
    else
        failingWrites_[id] = code;
}

int32_t Board::force(uint32_t id, uint64_t value) {
    std::lock_guard lock(mutex_);
    return designLoaded_ ? registers_.force(id, value) : BOARD_ERR_NO_DESIGN;
}

int32_t Board::forceRole(RegisterRole role, uint64_t value) {
    std::lock_guard lock(mutex_);
    if (!designLoaded_)
        return BOARD_ERR_NO_DESIGN;
    const uint32_t id = roles_.id(role);
    return id == 0 ? BOARD_OK : registers_.force(id, value);
}

int32_t Board::read(uint32_t id, uint64_t& value) const {
    std::lock_guard lock(mutex_);
    return designLoaded_ ? registers_.read(id, value) : BOARD_ERR_NO_DESIGN;
}

int32_t Board::writeLut(uint32_t first, const uint32_t* entries, uint32_t count) {
    std::lock_guard lock(mutex_);
    return designLoaded_ ? lut_.write(first, entries, count) : BOARD_ERR_NO_DESIGN;
}

int32_t Board::readLut(uint32_t first, uint32_t* entries, uint32_t count) const {
    std::lock_guard lock(mutex_);
    return designLoaded_ ? lut_.read(first, entries, count) : BOARD_ERR_NO_DESIGN;
}

int32_t Board::setText(uint32_t id, const char* text) {
    if (text == nullptr)
        return BOARD_ERR_INVALID_ARGUMENT;
    const std::size_t length = std::strlen(text);
    if (length >= BOARD_MAX_TEXT_BYTES)
        return BOARD_ERR_TEXT_TOO_LONG;
    std::lock_guard lock(mutex_);
    if (auto failing = failingWrites_.find(id); failing != failingWrites_.end())
        return failing->second;
    const RegisterDefinition* definition = nullptr;
    if (const int32_t rc = lookup(id, definition); rc != BOARD_OK)
        return rc;
    if (definition->kind != RegisterKind::Text)
        return BOARD_ERR_WRONG_KIND;
    if (!definition->writable)
        return BOARD_ERR_READ_ONLY;
    texts_[id].assign(text, length);
    return BOARD_OK;
}

int32_t Board::getText(uint32_t id, char* buffer, uint32_t size) const {
    if (buffer == nullptr)
        return BOARD_ERR_INVALID_ARGUMENT;
    std::lock_guard lock(mutex_);
    const RegisterDefinition* definition = nullptr;
    if (const int32_t rc = lookup(id, definition); rc != BOARD_OK)
        return rc;
    if (definition->kind != RegisterKind::Text)
        return BOARD_ERR_WRONG_KIND;
    const auto it = texts_.find(id);
    const std::string empty;
    const std::string& text = it == texts_.end() ? empty : it->second;
    if (text.size() >= size)
        return BOARD_ERR_BUFFER_TOO_SMALL;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return BOARD_OK;
}

CoefficientMemory* Board::coefficientMemory(int32_t memory) {
    if (memory != BOARD_COEFFICIENT_OFFSET && memory != BOARD_COEFFICIENT_GAIN)
        return nullptr;
    return &coefficients_[static_cast<std::size_t>(memory)];
}

int32_t Board::writeCoefficientLines(int32_t memory, uint32_t firstLine, uint32_t lineCount,
                                     const uint16_t* samples) {
    std::lock_guard lock(mutex_);
    if (!designLoaded_)
        return BOARD_ERR_NO_DESIGN;
    CoefficientMemory* target = coefficientMemory(memory);
    ++coefficientGeneration_;
    return target == nullptr ? BOARD_ERR_INVALID_ARGUMENT : target->writeLines(firstLine, lineCount, samples);
}

int32_t Board::readCoefficientLines(int32_t memory, uint32_t firstLine, uint32_t lineCount,
                                    uint16_t* samples) const {
    std::lock_guard lock(mutex_);
    if (!designLoaded_)
        return BOARD_ERR_NO_DESIGN;
    if (memory != BOARD_COEFFICIENT_OFFSET && memory != BOARD_COEFFICIENT_GAIN)
        return BOARD_ERR_INVALID_ARGUMENT;
    return coefficients_[static_cast<std::size_t>(memory)].readLines(firstLine, lineCount, samples);
}

DesignSettings Board::settings() const {
    std::lock_guard lock(mutex_);
    return readDesignSettings(registers_, roles_);
}

int32_t Board::imageFormat(BoardImageFormat& format) const {
    std::lock_guard lock(mutex_);
    if (!designLoaded_)
        return BOARD_ERR_NO_DESIGN;
    const DesignSettings s = readDesignSettings(registers_, roles_);
    // Both banks are programmed alike; bank 0 is the one the DMA reads first.
    const Window& window = s.bankWindow[0];
    format.widthPixels = window.widthPixels;
    format.heightLines = window.heightLines;
    format.xOffsetPixels = window.xOffsetPixels;
    format.yOffsetLines = window.yOffsetLines;
    format.bitsPerPixel = s.bitsPerOutputPixel();
    format.leftAligned = s.leftAligned ? 1 : 0;
    format.generatorSource = s.generator.enabled ? 1 : 0;
    return BOARD_OK;
}

Board::~Board() = default;

Acquisition& Board::acquisition() {
    std::call_once(acquisitionOnce_, [this] { acquisition_ = std::make_unique<Acquisition>(*this); });
    return *acquisition_;
}

} // namespace kestrel::boardhw
