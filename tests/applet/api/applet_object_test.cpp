// The applet object without a host: construction, environment switches, identity, base answers,
// and the private record's behaviour when nothing is bound.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "api/error_codes.h"
#include "api/fg_ds_wrapper_impl.h"
#include "api/generator_registers.h"
#include "api/wrapper_private.h"
#include "platform/platform.h"
#include "scoped_environment.h"

using kestrel::FgDsWrapperImpl;
using kestrel::WrapperPrivate;
using kestrel::test::ScopedEnvironment;

namespace {

bool registerAccessWith(const char* value) {
    ScopedEnvironment dra("QUIL_ENABLE_DRA", value);
    FgDsWrapperImpl applet;
    return applet.registerAccessEnabled();
}

std::string runtimeErrorText(void (FgDsWrapperImpl::*slot)()) {
    FgDsWrapperImpl applet;
    try {
        (applet.*slot)();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no runtime error";
}

} // namespace

TEST(RegisterAccessSwitch, FollowsQuilEnableDraThroughTheTrueWords) {
    // The words themselves are the environment switch's own tests.
    EXPECT_FALSE(registerAccessWith(nullptr));
    EXPECT_TRUE(registerAccessWith("oN"));
    EXPECT_FALSE(registerAccessWith("on "));
}

TEST(AppletObject, ModuleNameIsTheFileThatHoldsTheCodeWithoutExtension) {
    FgDsWrapperImpl applet;
    const std::string path = kestrel::platform::moduleFileName();
    const std::string base = path.substr(path.find_last_of('/') + 1);
    EXPECT_EQ(applet.moduleName(), base.substr(0, base.rfind('.')));
    EXPECT_EQ(applet.moduleName(), "applet_api_unit_tests");
}

TEST(AppletObject, DmaMappingSlotsAreNotImplemented) {
    EXPECT_EQ(runtimeErrorText(&FgDsWrapperImpl::processChannelToDma),
              "processChannelToDma() is not implemented.");
    EXPECT_EQ(runtimeErrorText(&FgDsWrapperImpl::mapDmaToFormat), "mapDmaToFormat() is not implemented.");
    EXPECT_EQ(runtimeErrorText(&FgDsWrapperImpl::setDmaAlignment), "setDmaAlignment() is not implemented.");
    EXPECT_EQ(runtimeErrorText(&FgDsWrapperImpl::getDmaAlignment), "getDmaAlignment() is not implemented.");
}

TEST(AppletObject, BaseShadingSlotsAnswerNotSupported) {
    // The applet object overrides these slots; the qualified calls reach the base's own answers.
    FgDsWrapperImpl applet;
    kestrel::FgDsWrapper& base = applet;
    char shading = 0;
    EXPECT_EQ(base.FgDsWrapper::allocShading(1, 0), nullptr);
    EXPECT_EQ(base.FgDsWrapper::allocShading(1, 1), nullptr);
    EXPECT_EQ(base.FgDsWrapper::freeShading(&shading), -2130);
    EXPECT_EQ(base.FgDsWrapper::setSubValueLine(&shading, 0, 0, 1.0f), -2130);
    EXPECT_EQ(base.FgDsWrapper::setMultValueLine(&shading, 0, 0, 1.0f), -2130);
    EXPECT_EQ(base.FgDsWrapper::setFixedPatternNoiseLine(&shading, 0, 0, 1), -2130);
    EXPECT_EQ(base.FgDsWrapper::getMaxLine(&shading), -2130);
    EXPECT_EQ(base.FgDsWrapper::getAccess(&shading), -2130);
    EXPECT_EQ(base.FgDsWrapper::freeAccess(&shading), -2130);
    EXPECT_EQ(base.FgDsWrapper::writeActLine(&shading, 0), -2130);
}

TEST(AppletObject, ParameterInfoRootIsNullOutsideTheFourPorts) {
    FgDsWrapperImpl applet;
    EXPECT_EQ(applet.parameterInfoRoot(-1), nullptr);
    EXPECT_EQ(applet.parameterInfoRoot(4), nullptr);
    EXPECT_EQ(applet.parameterInfoRoot(0), nullptr); // nothing built yet
}

TEST(UnboundHost, MissingHostLibraryGivesMinus2031AndStoresIt) {
    WrapperPrivate record;
    EXPECT_EQ(record.bindHostLibrary("libkestrel-no-such-host.so"), -2031);
    EXPECT_EQ(record.lastError(), -2031);
    EXPECT_FALSE(record.hostLibraryLoaded());
}

TEST(UnboundHost, InitialisationWithoutBindingGivesMinus2031) {
    WrapperPrivate record;
    EXPECT_EQ(record.initHostHandle("Kestrel12.hap", nullptr, nullptr, false), -2031);
    EXPECT_EQ(record.lastError(), -2031);
    EXPECT_EQ(record.hostFgHandle(), nullptr);
}

TEST(UnboundHost, HelpersAnswerNotAvailableNoIdAndNoTree) {
    WrapperPrivate record;
    uint32_t value = 0;
    EXPECT_EQ(record.hostSetParameter(600, &value, 0), -12);
    EXPECT_EQ(record.hostGetParameter(600, &value, 0), -12);
    EXPECT_EQ(record.hostSetParameterWithType(5, &value, 0, 2), -12);
    EXPECT_EQ(record.hostGetParameterWithType(5, &value, 0, 2), -12);
    EXPECT_EQ(record.hostParameterIdByName("Device1_Process0_Camera_Format"), 0);
    EXPECT_EQ(record.hostParameterInfo(), nullptr);
    EXPECT_EQ(record.queryHostLastError(), -12);
    EXPECT_EQ(record.lastError(), 0);
}

TEST(GeneratorRegisters, CachedMaskIntoNullRaisesOnlyWhenReporting) {
    kestrel::GeneratorRegisters registers;
    EXPECT_NO_THROW(registers.readCachedMask(nullptr, false));
    try {
        registers.readCachedMask(nullptr, true);
        ADD_FAILURE() << "no code raised";
    } catch (int32_t code) {
        EXPECT_EQ(code, -2070);
    }
}

TEST(ErrorCodes, EveryCodeHasItsMeaning) {
    EXPECT_STREQ(kestrel::errorText(-2001), "no applet behind the handle");
    EXPECT_STREQ(kestrel::errorText(-7080), "value not aligned");
    EXPECT_STREQ(kestrel::errorText(-12), "operation not available");
    EXPECT_STREQ(kestrel::errorText(-4242), "unknown error");
    for (int32_t code : {0,     -1,    -12,   -60,   -100,  -500,  -2001, -2020, -2031, -2070, -2075,
                         -2076, -2078, -2079, -2130, -2140, -2141, -5000, -5001, -6000, -7080, -8000})
        EXPECT_STRNE(kestrel::errorText(code), "unknown error") << code;
}

TEST(ErrorCodes, RaiseThrowsTheCode) {
    try {
        kestrel::raise(-6000);
    } catch (int32_t code) {
        EXPECT_EQ(code, -6000);
        return;
    }
    ADD_FAILURE() << "nothing raised";
}
