// Frames acquired through the applet's exports, as plain images the end-to-end tests can average,
// compare and write as reference files.
#pragma once

#include "applet_on_board.h"
#include "params/parameter_ids.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace kestrel::test {

inline constexpr int32_t kGray16 = 1;
inline constexpr int32_t kGray8 = 3;
inline constexpr int32_t kRightAligned = 0;
inline constexpr int32_t kLeftAligned = 1;
inline constexpr int32_t kMediumTwelveBitCamera = 212;

// One frame's samples (8- or 16-bit output, one value per pixel, row-major).
struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint16_t> samples;

    uint16_t at(uint32_t x, uint32_t y) const { return samples[size_t{y} * width + x]; }
    friend bool operator==(const Image&, const Image&) = default;
};

// The window and output format the applet is set to, and acquisition of frames in that shape.
class FrameGrabber {
public:
    explicit FrameGrabber(AppletOnBoard& applet) : applet_(applet) {}

    // Offsets go to 0 first, so that any window can follow any other.
    void window(uint32_t x, uint32_t y, uint32_t width, uint32_t height) {
        ASSERT_EQ(applet_.set<uint32_t>(ids::FG_XOFFSET, 0), 0);
        ASSERT_EQ(applet_.set<uint32_t>(ids::FG_YOFFSET, 0), 0);
        ASSERT_EQ(applet_.set<uint32_t>(ids::FG_WIDTH, width), 0);
        ASSERT_EQ(applet_.set<uint32_t>(ids::FG_HEIGHT, height), 0);
        ASSERT_EQ(applet_.set<uint32_t>(ids::FG_XOFFSET, x), 0);
        ASSERT_EQ(applet_.set<uint32_t>(ids::FG_YOFFSET, y), 0);
    }
    void format(int32_t pixelFormat, int32_t alignment) {
        ASSERT_EQ(applet_.set<int32_t>(ids::FG_FORMAT, pixelFormat), 0);
        ASSERT_EQ(applet_.set<int32_t>(ids::FG_BITALIGNMENT, alignment), 0);
    }

    // Acquires `count` pictures into a ring of as many buffers, in the shape the applet reports now,
    // and returns the raw bytes of each.
    std::vector<std::vector<uint8_t>> grabBytes(uint32_t count) {
        const uint64_t bytes = uint64_t{width()} * height() * bytesPerPixel();
        uint64_t memory = 0;
        EXPECT_EQ(gh5_memory_alloc(applet_.fg(), count, bytes, &memory), GH5_OK);
        const auto& x = applet_.exports();
        EXPECT_EQ(x.Fg_AcquireEx(applet_.fg(), 0, count, GH5_ACQ_STANDARD, memory), 0);
        EXPECT_EQ(x.Fg_getLastPicNumberBlockingEx(applet_.fg(), count, 0, kestrel::test::pictureWaitSeconds(),
                                                  memory),
                  int64_t{count});
        std::vector<std::vector<uint8_t>> frames;
        for (uint32_t i = 0; i < count; ++i) {
            const auto* data = static_cast<const uint8_t*>(gh5_memory_buffer(applet_.fg(), memory, i));
            frames.emplace_back(data, data + bytes);
        }
        EXPECT_EQ(gh5_memory_free(applet_.fg(), memory), GH5_OK);
        return frames;
    }

    // The same pictures as images of their 8- or 16-bit samples.
    std::vector<Image> grab(uint32_t count) {
        std::vector<Image> images;
        const uint32_t perPixel = bytesPerPixel();
        for (const auto& bytes : grabBytes(count)) {
            Image image{width(), height(), std::vector<uint16_t>(size_t{width()} * height())};
            for (size_t i = 0; i < image.samples.size(); ++i) {
                if (perPixel == 1)
                    image.samples[i] = bytes[i];
                else
                    std::memcpy(&image.samples[i], bytes.data() + 2 * i, 2);
            }
            images.push_back(std::move(image));
        }
        return images;
    }

    // The per-pixel rounded mean of `count` pictures: a reference image with less temporal noise.
    Image grabMean(uint32_t count) {
        const std::vector<Image> frames = grab(count);
        Image mean{width(), height(), std::vector<uint16_t>(size_t{width()} * height())};
        for (size_t i = 0; i < mean.samples.size(); ++i) {
            uint64_t sum = 0;
            for (const Image& frame : frames)
                sum += frame.samples[i];
            mean.samples[i] = uint16_t((sum + count / 2) / count);
        }
        return mean;
    }

    uint32_t width() { return applet_.get<uint32_t>(ids::FG_WIDTH); }
    uint32_t height() { return applet_.get<uint32_t>(ids::FG_HEIGHT); }
    uint32_t bytesPerPixel() { return applet_.get<int32_t>(ids::FG_FORMAT) == kGray8 ? 1 : 2; }

private:
    AppletOnBoard& applet_;
};

} // namespace kestrel::test
