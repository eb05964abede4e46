#include "pipeline/image_sequence_source.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace kestrel::board {
namespace {

// Two 3 x 2 images at 16-bit full scale whose samples use every bit.
std::shared_ptr<const CameraImages> twoImages() {
    return std::make_shared<CameraImages>(3, 2,
                                          std::vector<uint16_t>{0x0000, 0xFFFF, 0x1234, 0xABCD, 0x8001,
                                                                0x7FFE, 0x0010, 0x00FF, 0xFF00, 0x0F0F,
                                                                0xF0F0, 0x5555});
}

TEST(ImageSequenceSource, QuantisesToTheCameraDepthAndPlacesTheBitsAtTheTopOfTwelve) {
    const struct {
        uint32_t depth;
        uint16_t expected[6];
    } rows[] = {
        {12, {0x000, 0xFFF, 0x123, 0xABC, 0x800, 0x7FF}},
        {10, {0x000, 0xFFC, 0x120, 0xABC, 0x800, 0x7FC}},
        {8, {0x000, 0xFF0, 0x120, 0xAB0, 0x800, 0x7F0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.depth);
        Frame12 frame;
        ImageSequenceSource(twoImages(), row.depth).render(0, frame);
        ASSERT_EQ(frame.widthPixels(), 3u);
        ASSERT_EQ(frame.heightLines(), 2u);
        EXPECT_EQ(std::vector<uint16_t>(frame.pixels().begin(), frame.pixels().end()),
                  std::vector<uint16_t>(std::begin(row.expected), std::end(row.expected)));
    }
}

TEST(ImageSequenceSource, FramesCycleThroughTheImages) {
    const ImageSequenceSource source(twoImages(), 12);
    Frame12 first, second, third;
    source.render(0, first);
    source.render(1, second);
    source.render(2, third);
    EXPECT_EQ(second.at(0, 0), 0x001);
    EXPECT_NE(first, second);
    EXPECT_EQ(first, third);
}

TEST(ImageSequenceSource, RefusesWhatNoCameraCouldShow) {
    EXPECT_THROW(CameraImages(0, 2, std::vector<uint16_t>(4)), std::invalid_argument);
    EXPECT_THROW(CameraImages(3, 2, {}), std::invalid_argument);
    EXPECT_THROW(CameraImages(3, 2, std::vector<uint16_t>(7)), std::invalid_argument);
    EXPECT_THROW(ImageSequenceSource(nullptr, 12), std::invalid_argument);
    EXPECT_THROW(ImageSequenceSource(twoImages(), 14), std::invalid_argument);
}

} // namespace
} // namespace kestrel::board
