// The applet on virtual board 0 for the pipeline parameter tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "applet_on_board.h"
#include "grabhost5_host.h"
#include "params/parameter_ids.h"

namespace kestrel::test {

using namespace kestrel::ids;
using H = HostRegister;
using G = GeneratorRegister;

// The code a broken register answers in these tests; the board passes it on unchanged.
inline constexpr int32_t kBrokenRegister = -7042;

class PipelineOnBoard : public ::testing::Test {
protected:
    uint32_t u32(int32_t id) { return applet.get<uint32_t>(id); }
    int32_t i32(int32_t id) { return applet.get<int32_t>(id); }
    double f64(int32_t id) { return applet.get<double>(id); }
    uint64_t reg(HostRegister r) const { return applet.reg(designName(r)); }
    uint64_t reg(GeneratorRegister r) const { return applet.reg(designName(r)); }
    uint64_t reg(const char* name) const { return applet.reg(name); }
    void mustSet(int32_t id, uint32_t value) { ASSERT_EQ(applet.set(id, value), 0) << "set of " << id; }

    AppletOnBoard applet;
};

} // namespace kestrel::test
