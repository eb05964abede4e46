// Frames acquired through the applet's exports, as plain images of their 8- or 16-bit samples.
#pragma once

#include "applet_on_board.h"
#include "params/parameter_ids.h"

#include <cstring>
#include <vector>

namespace kestrel::test {

inline constexpr int32_t kGray16 = 1;
inline constexpr int32_t kGray8 = 3;
inline constexpr int32_t kRightAligned = 0;
inline constexpr int32_t kLeftAligned = 1;

struct Image {
    uint32_t width = 0, height = 0;
    std::vector<uint16_t> samples; // row-major

    uint16_t at(uint32_t x, uint32_t y) const { return samples[size_t{y} * width + x]; }
    friend bool operator==(const Image&, const Image&) = default;
};

class FrameGrabber {
public:
    explicit FrameGrabber(AppletOnBoard& applet) : applet_(applet) {}

    // Offsets go to 0 first, so that any window can follow any other.
    void shape(uint32_t x, uint32_t y, uint32_t width, uint32_t height, int32_t format, int32_t alignment) {
        const std::pair<int32_t, uint32_t> writes[] = {{ids::FG_XOFFSET, 0},   {ids::FG_YOFFSET, 0},
                                                       {ids::FG_WIDTH, width}, {ids::FG_HEIGHT, height},
                                                       {ids::FG_XOFFSET, x},   {ids::FG_YOFFSET, y}};
        for (const auto& [id, value] : writes)
            ASSERT_EQ(applet_.set<uint32_t>(id, value), 0) << id;
        this->format(format, alignment);
    }
    void format(int32_t pixelFormat, int32_t alignment) {
        ASSERT_EQ(applet_.set<int32_t>(ids::FG_FORMAT, pixelFormat), 0);
        ASSERT_EQ(applet_.set<int32_t>(ids::FG_BITALIGNMENT, alignment), 0);
    }

    // Acquires `count` pictures into a ring of as many buffers, in the shape the applet reports now.
    std::vector<Image> grab(uint32_t count) {
        const uint32_t width = applet_.get<uint32_t>(ids::FG_WIDTH),
                       height = applet_.get<uint32_t>(ids::FG_HEIGHT);
        const size_t perPixel = applet_.get<int32_t>(ids::FG_FORMAT) == kGray8 ? 1 : 2,
                     pixels = size_t{width} * height;
        uint64_t memory = 0;
        EXPECT_EQ(gh5_memory_alloc(applet_.fg(), count, pixels * perPixel, &memory), GH5_OK);
        const auto& x = applet_.exports();
        EXPECT_EQ(x.Fg_AcquireEx(applet_.fg(), 0, count, GH5_ACQ_STANDARD, memory), 0);
        EXPECT_EQ(x.Fg_getLastPicNumberBlockingEx(applet_.fg(), count, 0, pictureWaitSeconds(), memory),
                  int64_t{count});
        std::vector<Image> images;
        for (uint32_t i = 0; i < count; ++i) {
            const auto* data = static_cast<const uint8_t*>(gh5_memory_buffer(applet_.fg(), memory, i));
            Image image{width, height, std::vector<uint16_t>(pixels)};
            for (size_t p = 0; p < pixels; ++p)
                perPixel == 1 ? void(image.samples[p] = data[p])
                              : void(std::memcpy(&image.samples[p], data + 2 * p, 2));
            images.push_back(std::move(image));
        }
        EXPECT_EQ(gh5_memory_free(applet_.fg(), memory), GH5_OK);
        return images;
    }

private:
    AppletOnBoard& applet_;
};

} // namespace kestrel::test
