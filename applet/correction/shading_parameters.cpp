// The shading correction's parameters and the automatic correction.
#include "correction/shading_parameters.h"

#include "correction/automatic_shading.h"
#include "correction/coefficient_upload.h"
#include "correction/reference_image.h"
#include "device/parameter_info_node.h"
#include "params/parameter_ids.h"

namespace kestrel {

namespace {

// A write that fails quietly keeps the new value, which configuration loading reads back.
constexpr QuietFailure kOnQuietFailure = QuietFailure::KeepNewValue;

constexpr double kMaxNormalizationValue = 4095.0;

// The normalisation value is only the user's to set in the custom mode.
void setNormalizationAccess(AppletContext& context, int32_t access) {
    context.limits.publishAccess(ids::FG_SHADING_GAIN_NORMALIZATION_VALUE, access);
    context.properties.setAccess(0, ids::FG_SHADING_GAIN_NORMALIZATION_VALUE, access);
}

} // namespace

void ShadingParameters::bind(ParameterHandlerTable& table) {
    using namespace ids;
    using S = ShadingParameters;
    table.bindSetter<&S::setOffsetEnable>(FG_SHADING_OFFSET_ENABLE, *this);
    table.bindSetter<&S::setGainEnable>(FG_SHADING_GAIN_ENABLE, *this);
    table.bindSetter<&S::setDeadPixelInterpolationEnable>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, *this);
    table.bindSetter<&S::setBlackFile>(FG_SHADING_BLACK_FILENAME, *this);
    table.bindSetter<&S::setGrayFile>(FG_SHADING_GRAY_FILENAME, *this);
    table.bindSetter<&S::setGainCorrectionMode>(FG_SHADING_GAIN_CORRECTION_MODE, *this);
    table.bindSetter<&S::setGainNormalizationValue>(FG_SHADING_GAIN_NORMALIZATION_VALUE, *this);
    table.bindSetter<&S::setDeadPixelThreshold>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD, *this);
    table.bindSetter<&S::setApplySettings>(FG_SHADING_APPLY_SETTINGS, *this);
}

void ShadingParameters::setOffsetEnable(int32_t value, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.shadingOffsetEnable, value, reportErrors, [&] {
        context_.writeRegister(HostRegister::ShadingEnableOffsetEnableValue, static_cast<uint32_t>(value),
                               reportErrors);
    });
}

void ShadingParameters::setGainEnable(int32_t value, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.shadingGainEnable, value, reportErrors, [&] {
        context_.writeRegister(HostRegister::ShadingEnableGainEnableValue, static_cast<uint32_t>(value),
                               reportErrors);
    });
}

void ShadingParameters::setDeadPixelInterpolationEnable(uint32_t value, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(
        context_.values.shadingDeadPixelInterpolationEnable, value, reportErrors, [&] {
            context_.writeRegister(HostRegister::NoiseFilterEnableDeadPixelReplacementValue, value,
                                   reportErrors);
        });
}

void ShadingParameters::setBlackFile(const char* value, bool reportErrors) {
    if (value == nullptr)
        return refuse(kErrOutOfRange, reportErrors);
    context_.values.shadingBlackFile = value;
}

void ShadingParameters::setGrayFile(const char* value, bool reportErrors) {
    if (value == nullptr)
        return refuse(kErrOutOfRange, reportErrors);
    context_.values.shadingGrayFile = value;
}

void ShadingParameters::setGainCorrectionMode(uint32_t value, bool reportErrors) {
    context_.values.shadingGainCorrectionMode = value;
    switch (static_cast<GainCorrectionMode>(value)) {
    case GainCorrectionMode::MaxValue:
    case GainCorrectionMode::MeanValue:
        // The value is computed by the next apply; until then it reads 0.
        setNormalizationAccess(context_, kNodeAccessReadOnly);
        setGainNormalizationValue(0.0, reportErrors);
        break;
    case GainCorrectionMode::MaxRange:
        setNormalizationAccess(context_, kNodeAccessReadOnly);
        setGainNormalizationValue(kMaxNormalizationValue, reportErrors);
        break;
    case GainCorrectionMode::CustomValue:
        setNormalizationAccess(context_, kNodeAccessReadWriteBit2);
        break;
    }
}

void ShadingParameters::setGainNormalizationValue(double value, bool reportErrors) {
    if (!(value >= 0.0 && value <= kMaxNormalizationValue))
        return refuse(kErrOutOfRange, reportErrors);
    context_.values.shadingGainNormalizationValue = value;
}

void ShadingParameters::setDeadPixelThreshold(uint32_t value, bool /*reportErrors*/) {
    context_.values.shadingDeadPixelThreshold = value;
}

void ShadingParameters::setApplySettings(int32_t value, bool reportErrors) {
    context_.values.shadingApplySettings = value;
    try {
        applyAutomaticCorrection();
    } catch (int32_t code) {
        refuse(code, reportErrors);
    }
}

void ShadingParameters::applyAutomaticCorrection() {
    const ParameterValueBlock& v = context_.values;
    if (v.shadingBlackFile.empty() && v.shadingGrayFile.empty())
        return;
    // Both references are released when this function leaves, whichever way it leaves.
    ReferenceImage black;
    if (!v.shadingBlackFile.empty())
        black = ReferenceImage(v.shadingBlackFile.c_str());
    ReferenceImage gray;
    if (!v.shadingGrayFile.empty())
        gray = ReferenceImage(v.shadingGrayFile.c_str());

    double target = 0.0;
    if (gray.exists()) {
        const auto mode = static_cast<GainCorrectionMode>(v.shadingGainCorrectionMode);
        target = gainTarget(black, gray, mode, v.shadingGainNormalizationValue);
        // The computed target becomes the published normalisation value; a negative mean is
        // refused there and ends the apply before anything is uploaded.
        if (mode != GainCorrectionMode::MaxRange)
            setGainNormalizationValue(target * kMaxNormalizationValue, true);
    }
    // Only what the references do not cover is reset; the rest is written once, below.
    images_.initialiseOffsetsOutside(black.exists() ? std::size_t(black.width()) : 0,
                                     black.exists() ? std::size_t(black.height()) : 0);
    images_.initialiseGainsOutside(gray.exists() ? std::size_t(gray.width()) : 0,
                                   gray.exists() ? std::size_t(gray.height()) : 0);
    // One pass over both references: bands of rows small enough to stay in the cache between
    // the offsets and the gains.
    constexpr int32_t kBandRows = 32;
    for (int32_t first = 0; first < static_cast<int32_t>(kCoefficientSide); first += kBandRows) {
        computeOffsets(black, gray, v.shadingDeadPixelThreshold, v.shadingDeadPixelInterpolationEnable == 1,
                       images_.offsets(), first, first + kBandRows);
        if (gray.exists())
            computeGains(black, gray, target, images_.gains(), first, first + kBandRows);
    }
    black = ReferenceImage();
    gray = ReferenceImage();
    upload();
}

void ShadingParameters::upload() {
    uploadCoefficients(context_, images_);
}

} // namespace kestrel
