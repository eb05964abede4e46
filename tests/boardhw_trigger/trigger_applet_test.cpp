// The applet's trigger parameters on the emulated trigger, through the applet's exports.
#include "applet_on_board.h"
#include "params/parameter_ids.h"

#include <gtest/gtest.h>

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

constexpr uint32_t kSoftware = 4;
constexpr uint32_t kActive = 0, kAsyncStop = 1;

// The applet's fill levels read what the emulated queue made of its writes; each side's rules are
// tested on their own, this is the wiring between them.
TEST(TriggerOnBoardTest, QueuedSoftwarePulsesShowInBothFillLevels) {
    AppletOnBoard applet;
    for (const auto& [id, value] : {std::pair{FG_AREATRIGGERMODE, kSoftware},
                                    {FG_TRIGGERQUEUE_MODE, 1u},
                                    {FG_TRIGGERSTATE, kActive},
                                    {FG_TRIGGER_MULTIPLY_PULSES, 3u},
                                    {FG_SENDSOFTWARETRIGGER, 5u}}) // one in work, four waiting
        ASSERT_EQ(applet.set(id, value), 0) << id;
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERQUEUE_FILLLEVEL), 4u);
    EXPECT_EQ(applet.get<uint32_t>(FG_SOFTWARETRIGGER_QUEUE_FILLLEVEL), 12u);
    EXPECT_EQ(applet.get<uint32_t>(FG_SOFTWARETRIGGER_IS_BUSY), 1u);
    ASSERT_EQ(applet.set(FG_TRIGGERSTATE, kAsyncStop), 0);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERQUEUE_FILLLEVEL), 0u);
}

} // namespace
} // namespace kestrel::test
