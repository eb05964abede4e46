// The applet on virtual board 0 for the pipeline parameter tests, with the parameter ids and the
// published limits of the tree.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "applet_on_board.h"
#include "board_write_log.h"
#include "grabhost5_host.h"
#include "params/parameter_ids.h"

namespace kestrel::test {

using namespace kestrel::ids;

// The code a broken register answers in these tests; the board passes it on unchanged.
inline constexpr int32_t kBrokenRegister = -7042;

using NamedWrites = std::vector<std::pair<std::string, uint64_t>>;

class PipelineOnBoard : public ::testing::Test {
protected:
    uint32_t u32(int32_t id) { return applet.get<uint32_t>(id); }
    int32_t i32(int32_t id) { return applet.get<int32_t>(id); }
    double f64(int32_t id) { return applet.get<double>(id); }
    uint64_t reg(const char* name) const { return applet.reg(name); }

    // The register writes `action` makes, in order, as (design name, value) pairs; writes of
    // registers missing from `known` show as "?".
    template <class Action>
    NamedWrites writesOf(Action&& action, const std::vector<const char*>& known) const {
        BoardWriteLog::start();
        action();
        NamedWrites result;
        for (const BoardWrite& write : BoardWriteLog::stop()) {
            std::string name = "?";
            for (const char* candidate : known)
                if (applet.registerId(candidate) == write.id)
                    name = candidate;
            result.emplace_back(name, write.value);
        }
        return result;
    }

    const Gh5ParameterInfoNode* infoNode(int32_t id) const { return applet.infoNode(id); }

    AppletOnBoard applet;
};

} // namespace kestrel::test
