// The lookup table's parameters and transfers.
#include "correction/lut_parameters.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/unique_file.h"
#include "correction/lut_file.h"
#include "device/parameter_info_node.h"
#include "params/parameter_ids.h"

namespace kestrel {

namespace {

// The table's transfers and file accesses raise whatever the caller asked for, so a quiet failure
// leaves the parameter as it was.
constexpr QuietFailure kOnQuietFailure = QuietFailure::RestoreOldValue;

constexpr uint32_t kImplementationFullLut = 0;
constexpr uint32_t kLutBits = 12;

// What the applet writes into every LUT file's key lines.
constexpr uint32_t kLutFileId = 3;

} // namespace

void LutParameters::bind(ParameterHandlerTable& table) {
    using namespace ids;
    table.bindSetter<&LutParameters::setLutType>(FG_LUT_TYPE, *this);
    table.bindGetter<&LutParameters::getImplementationType>(FG_LUT_IMPLEMENTATION_TYPE, *this);
    table.bindGetter<&LutParameters::getInOutBits>(FG_LUT_IN_BITS, *this);
    table.bindGetter<&LutParameters::getInOutBits>(FG_LUT_OUT_BITS, *this);
    table.bindSetter<&LutParameters::setLutValue>(FG_LUT_VALUE, *this);
    table.bindGetter<&LutParameters::getLutValue>(FG_LUT_VALUE, *this);
    table.bindSetter<&LutParameters::setCustomFile>(FG_LUT_CUSTOM_FILE, *this);
    table.bindSetter<&LutParameters::setSaveFile>(FG_LUT_SAVE_FILE, *this);
    table.bindSetter<&LutParameters::setProcessingOffset>(FG_PROCESSING_OFFSET, *this);
    table.bindSetter<&LutParameters::setProcessingGain>(FG_PROCESSING_GAIN, *this);
    table.bindSetter<&LutParameters::setProcessingGamma>(FG_PROCESSING_GAMMA, *this);
    table.bindSetter<&LutParameters::setProcessingInvert>(FG_PROCESSING_INVERT, *this);
}

void LutParameters::setLutType(int32_t value, bool reportErrors) {
    if (storeThenWrite<kOnQuietFailure>(context_.values.lutType, value, reportErrors, [&] { load(); }))
        applyTypeAccess();
}

void LutParameters::setLutValue(LutField value, bool reportErrors) {
    if (value.index >= kLutEntries || value.value > kLutMaxValue)
        return refuse(kErrOutOfRange, reportErrors);
    storeThenWrite<kOnQuietFailure>(context_.values.lutValues[value.index], value.value, reportErrors,
                                    [&] { transferEntry(value.index); });
}

void LutParameters::getLutValue(void* value) {
    // The caller's block names the index it asks for.
    LutField field{};
    std::memcpy(&field, value, sizeof field);
    if (field.index >= kLutEntries)
        raise(kErrInvalidArgument);
    field.value = context_.values.lutValues[field.index];
    std::memcpy(value, &field, sizeof field);
}

void LutParameters::setCustomFile(const char* value, bool reportErrors) {
    if (value == nullptr)
        return refuse(kErrOutOfRange, reportErrors);
    storeThenWrite<kOnQuietFailure>(context_.values.lutCustomFile, std::string(value), reportErrors, [&] {
        if (context_.values.lutType == kLutTypeCustom)
            load();
    });
}

void LutParameters::setSaveFile(const char* value, bool reportErrors) {
    if (value == nullptr)
        return refuse(kErrOutOfRange, reportErrors);
    storeThenWrite<kOnQuietFailure>(context_.values.lutSaveFile, std::string(value), reportErrors, [&] {
        if (context_.values.lutSaveFile.empty())
            return;
        LutRecord record;
        record.values.assign(context_.values.lutValues.begin(), context_.values.lutValues.end());
        record.id = kLutFileId;
        record.nrOfElements = static_cast<uint32_t>(kLutEntries);
        if (writeLutFile(context_.values.lutSaveFile.c_str(), record) != kOk)
            raise(kErrFileWrite);
    });
}

template <class T> void LutParameters::storeThenRecompute(T& field, T value, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(field, value, reportErrors, [&] { recompute(); });
}

void LutParameters::setProcessingOffset(double value, bool reportErrors) {
    storeThenRecompute(context_.values.processingOffset, value, reportErrors);
}

void LutParameters::setProcessingGain(double value, bool reportErrors) {
    storeThenRecompute(context_.values.processingGain, value, reportErrors);
}

void LutParameters::setProcessingGamma(double value, bool reportErrors) {
    storeThenRecompute(context_.values.processingGamma, value, reportErrors);
}

void LutParameters::setProcessingInvert(int32_t value, bool reportErrors) {
    storeThenRecompute(context_.values.processingInvert, value, reportErrors);
}

void LutParameters::getImplementationType(void* value) {
    std::memcpy(value, &kImplementationFullLut, sizeof kImplementationFullLut);
}

void LutParameters::getInOutBits(void* value) {
    std::memcpy(value, &kLutBits, sizeof kLutBits);
}

void LutParameters::recompute() {
    if (context_.values.lutType != kLutTypeProcessing)
        return;
    const ParameterValueBlock& v = context_.values;
    computeProcessingLut({v.processingOffset, v.processingGain, v.processingGamma, v.processingInvert == 1},
                         context_.values.lutValues);
    transferTable();
}

void LutParameters::load() {
    if (context_.values.lutType == kLutTypeProcessing)
        recompute();
    else if (!context_.values.lutCustomFile.empty())
        loadCustomFile();
}

void LutParameters::loadCustomFile() {
    const char* path = context_.values.lutCustomFile.c_str();
    if (!openFile(path, "r"))
        raise(kErrFileRead);
    LutRecord record;
    record.id = kLutFileId;
    record.nrOfElements = static_cast<uint32_t>(kLutEntries);
    if (readLutFile(path, record) != kOk)
        raise(kErrFileWrite);
    // A short file changes only its own entries; the rest keep what they held.
    const std::size_t count = std::min(record.values.size(), kLutEntries);
    std::copy_n(record.values.begin(), count, context_.values.lutValues.begin());
    transferTable();
}

void LutParameters::transferTable() {
    LutTableBlock block;
    block.entries = context_.values.lutValues.data();
    context_.registers.write(context_.host, HostRegister::LookupTableLookupTableLUTcontent, &block,
                             kRegisterTypeLutTable, true);
}

void LutParameters::transferEntry(uint32_t index) {
    const LutField entry{context_.values.lutValues[index], index};
    context_.registers.write(context_.host, HostRegister::LookupTableLookupTableLUTcontent, &entry,
                             kRegisterTypeLutEntry, true);
}

void LutParameters::applyTypeAccess() {
    const bool custom = context_.values.lutType == kLutTypeCustom;
    for (const ParameterDefinition& row : ParameterCatalogue::all()) {
        if (!row.switchedBy(access_switch::kWhileLutCustom | access_switch::kWhileLutProcessing))
            continue;
        const bool writable =
            row.switchedBy(custom ? access_switch::kWhileLutCustom : access_switch::kWhileLutProcessing);
        context_.limits.publishAccess(row.id, writable ? kNodeAccessReadWriteBit2 : kNodeAccessReadOnly);
    }
}

} // namespace kestrel
