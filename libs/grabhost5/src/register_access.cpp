// Typed register access: what each type code means for each kind of register.
#include "register_access.h"

#include "boardhw.h"
#include "grabhost5_host.h"

#include <cstring>

namespace kestrel::host {

int32_t RegisterAccess::setTyped(const HostRegister& reg, const void* value, int32_t type) const {
    if (value == nullptr)
        return GH5_ERR_INVALID_ARGUMENT;
    switch (reg.content) {
    case RegisterContent::Table:
        return setTable(value, type);
    case RegisterContent::Text:
        return type == GH5_TYPE_FILE_NAME ? setText(reg, value) : GH5_ERR_WRONG_TYPE;
    case RegisterContent::Value:
        break;
    }
    uint64_t number = 0;
    if (type == GH5_TYPE_UINT32) {
        uint32_t narrow = 0;
        std::memcpy(&narrow, value, sizeof narrow);
        number = narrow;
    } else if (type == GH5_TYPE_INT64 || type == GH5_TYPE_UINT64) {
        std::memcpy(&number, value, sizeof number);
    } else {
        return GH5_ERR_WRONG_TYPE;
    }
    return Board_WriteRegister(board_, reg.id, number);
}

int32_t RegisterAccess::getTyped(const HostRegister& reg, void* value, int32_t type) const {
    if (value == nullptr)
        return GH5_ERR_INVALID_ARGUMENT;
    switch (reg.content) {
    case RegisterContent::Table:
        return getTable(value, type);
    case RegisterContent::Text:
        return type == GH5_TYPE_FILE_NAME ? getText(reg, value) : GH5_ERR_WRONG_TYPE;
    case RegisterContent::Value:
        break;
    }
    if (type != GH5_TYPE_UINT32 && type != GH5_TYPE_INT64 && type != GH5_TYPE_UINT64)
        return GH5_ERR_WRONG_TYPE;
    uint64_t number = 0;
    if (const int32_t rc = Board_ReadRegister(board_, reg.id, &number); rc != BOARD_OK)
        return rc;
    if (type == GH5_TYPE_UINT32) {
        const auto narrow = static_cast<uint32_t>(number);
        std::memcpy(value, &narrow, sizeof narrow);
    } else {
        std::memcpy(value, &number, sizeof number);
    }
    return GH5_OK;
}

int32_t RegisterAccess::setNatural(const HostRegister& reg, const void* value) const {
    switch (reg.content) {
    case RegisterContent::Table:
        return GH5_ERR_WRONG_TYPE;
    case RegisterContent::Text:
        return setTyped(reg, value, GH5_TYPE_FILE_NAME);
    case RegisterContent::Value:
        break;
    }
    return setTyped(reg, value, reg.widthBits > 32 ? GH5_TYPE_UINT64 : GH5_TYPE_UINT32);
}

int32_t RegisterAccess::getNatural(const HostRegister& reg, void* value) const {
    switch (reg.content) {
    case RegisterContent::Table:
        return GH5_ERR_WRONG_TYPE;
    case RegisterContent::Text:
        return getTyped(reg, value, GH5_TYPE_FILE_NAME);
    case RegisterContent::Value:
        break;
    }
    return getTyped(reg, value, reg.widthBits > 32 ? GH5_TYPE_UINT64 : GH5_TYPE_UINT32);
}

int32_t RegisterAccess::setTable(const void* value, int32_t type) const {
    if (type == GH5_TYPE_LUT_BLOCK) {
        Gh5LutBlock block;
        std::memcpy(&block, value, sizeof block);
        if (block.format != GH5_LUT_BLOCK_FORMAT_UINT32 || block.count != GH5_LUT_ENTRIES ||
            block.entries == nullptr)
            return GH5_ERR_INVALID_ARGUMENT;
        return Board_WriteLut(board_, 0, block.entries, block.count);
    }
    if (type == GH5_TYPE_LUT_ENTRY) {
        Gh5LutEntry entry;
        std::memcpy(&entry, value, sizeof entry);
        if (entry.index >= GH5_LUT_ENTRIES)
            return GH5_ERR_OUT_OF_RANGE;
        return Board_WriteLut(board_, entry.index, &entry.value, 1);
    }
    return GH5_ERR_WRONG_TYPE;
}

int32_t RegisterAccess::getTable(void* value, int32_t type) const {
    if (type == GH5_TYPE_LUT_BLOCK) {
        Gh5LutBlock block;
        std::memcpy(&block, value, sizeof block);
        if (block.format != GH5_LUT_BLOCK_FORMAT_UINT32 || block.count != GH5_LUT_ENTRIES ||
            block.entries == nullptr)
            return GH5_ERR_INVALID_ARGUMENT;
        return Board_ReadLut(board_, 0, block.entries, block.count);
    }
    if (type == GH5_TYPE_LUT_ENTRY) {
        Gh5LutEntry entry;
        std::memcpy(&entry, value, sizeof entry);
        if (entry.index >= GH5_LUT_ENTRIES)
            return GH5_ERR_OUT_OF_RANGE;
        if (const int32_t rc = Board_ReadLut(board_, entry.index, &entry.value, 1); rc != BOARD_OK)
            return rc;
        std::memcpy(value, &entry, sizeof entry);
        return GH5_OK;
    }
    return GH5_ERR_WRONG_TYPE;
}

int32_t RegisterAccess::setText(const HostRegister& reg, const void* value) const {
    const auto* text = static_cast<const char*>(value);
    // Bounded scan: a name without NUL in reach is refused instead of read past.
    if (::strnlen(text, GH5_MAX_FILE_NAME_BYTES) == GH5_MAX_FILE_NAME_BYTES)
        return GH5_ERR_OUT_OF_RANGE;
    return Board_SetRegisterText(board_, reg.id, text);
}

int32_t RegisterAccess::getText(const HostRegister& reg, void* value) const {
    return Board_GetRegisterText(board_, reg.id, static_cast<char*>(value), GH5_MAX_FILE_NAME_BYTES);
}

} // namespace kestrel::host
