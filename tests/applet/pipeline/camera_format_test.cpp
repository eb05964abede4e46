// Camera port, output format and the DMA settings the host keeps, through the exports.
#include "pipeline_fixture.h"

namespace kestrel::test {
namespace {

using CameraPortParameters = PipelineOnBoard;
using OutputFormatParameters = PipelineOnBoard;
using HostKeptParameters = PipelineOnBoard;

TEST_F(CameraPortParameters, CameraTypeWritesItsFormatCode) {
    ASSERT_EQ(applet.set<int32_t>(FG_CAMERA_LINK_CAMTYPE, 210), 0);
    EXPECT_EQ(reg(names::kCameraFormat), 1u);
    EXPECT_EQ(i32(FG_CAMERA_LINK_CAMTYPE), 210);
    ASSERT_EQ(applet.set<int32_t>(FG_CAMERA_LINK_CAMTYPE, 212), 0);
    EXPECT_EQ(reg(names::kCameraFormat), 2u);
    ASSERT_EQ(applet.set<int32_t>(FG_CAMERA_LINK_CAMTYPE, 208), 0);
    EXPECT_EQ(reg(names::kCameraFormat), 0u);
}

TEST_F(CameraPortParameters, RejectsCameraTypeOutsideItsEnumeration) {
    ASSERT_EQ(applet.set<int32_t>(FG_CAMERA_LINK_CAMTYPE, 210), 0);
    EXPECT_EQ(applet.set<int32_t>(FG_CAMERA_LINK_CAMTYPE, 211), -6000);
    EXPECT_EQ(applet.set<int32_t>(FG_CAMERA_LINK_CAMTYPE, 1), -6000);
    EXPECT_EQ(i32(FG_CAMERA_LINK_CAMTYPE), 210);
    EXPECT_EQ(reg(names::kCameraFormat), 1u);
}

TEST_F(CameraPortParameters, UseDvalAcceptsOnlyYesAndNo) {
    ASSERT_EQ(applet.set<int32_t>(FG_USEDVAL, 0), 0);
    EXPECT_EQ(reg(names::kUseDval), 0u);
    EXPECT_EQ(applet.set<int32_t>(FG_USEDVAL, 2), -6000);
    EXPECT_EQ(applet.set<int32_t>(FG_USEDVAL, -1), -6000);
    EXPECT_EQ(i32(FG_USEDVAL), 0);
    ASSERT_EQ(applet.set<int32_t>(FG_USEDVAL, 1), 0);
    EXPECT_EQ(reg(names::kUseDval), 1u);
}

TEST_F(CameraPortParameters, FailingWriteKeepsTheOldCameraType) {
    applet.failWrites(names::kCameraFormat, kBrokenRegister);
    EXPECT_EQ(applet.set<int32_t>(FG_CAMERA_LINK_CAMTYPE, 212), kBrokenRegister);
    EXPECT_EQ(i32(FG_CAMERA_LINK_CAMTYPE), 208);
    applet.failWrites(names::kUseDval, kBrokenRegister);
    EXPECT_EQ(applet.set<int32_t>(FG_USEDVAL, 0), kBrokenRegister);
    EXPECT_EQ(i32(FG_USEDVAL), 1);
}

TEST_F(OutputFormatParameters, FormatWritesItsSelectCode) {
    ASSERT_EQ(applet.set<int32_t>(FG_FORMAT, 1), 0);
    EXPECT_EQ(reg(names::kFormatSelect), 0u);
    ASSERT_EQ(applet.set<int32_t>(FG_FORMAT, 3), 0);
    EXPECT_EQ(reg(names::kFormatSelect), 1u);
    EXPECT_EQ(i32(FG_FORMAT), 3);
}

TEST_F(OutputFormatParameters, RejectsFormatOutsideItsEnumeration) {
    EXPECT_EQ(applet.set<int32_t>(FG_FORMAT, 2), -6000);
    EXPECT_EQ(applet.set<int32_t>(FG_FORMAT, 0), -6000);
    EXPECT_EQ(i32(FG_FORMAT), 3);
    EXPECT_EQ(reg(names::kFormatSelect), 1u);
}

TEST_F(OutputFormatParameters, BitAlignmentWritesItsValue) {
    ASSERT_EQ(applet.set<int32_t>(FG_BITALIGNMENT, 0), 0);
    EXPECT_EQ(reg(names::kBitAlignment), 0u);
    EXPECT_EQ(applet.set<int32_t>(FG_BITALIGNMENT, 2), -6000);
    EXPECT_EQ(i32(FG_BITALIGNMENT), 0);
}

TEST_F(OutputFormatParameters, FailingWriteKeepsTheOldFormat) {
    applet.failWrites(names::kFormatSelect, kBrokenRegister);
    EXPECT_EQ(applet.set<int32_t>(FG_FORMAT, 1), kBrokenRegister);
    EXPECT_EQ(i32(FG_FORMAT), 3);
    applet.failWrites(names::kBitAlignment, kBrokenRegister);
    EXPECT_EQ(applet.set<int32_t>(FG_BITALIGNMENT, 0), kBrokenRegister);
    EXPECT_EQ(i32(FG_BITALIGNMENT), 1);
}

TEST_F(HostKeptParameters, TimeoutBoundsAreTwoAndOneBelowTheLargestInt) {
    EXPECT_EQ(applet.set<uint32_t>(FG_TIMEOUT, 1), -6000);
    EXPECT_EQ(applet.set<uint32_t>(FG_TIMEOUT, 2147483647u), -6000);
    EXPECT_EQ(applet.set<uint32_t>(FG_TIMEOUT, 0), -6000);
    EXPECT_EQ(u32(FG_TIMEOUT), 1000000u);
    ASSERT_EQ(applet.set<uint32_t>(FG_TIMEOUT, 2), 0);
    EXPECT_EQ(u32(FG_TIMEOUT), 2u);
    ASSERT_EQ(applet.set<uint32_t>(FG_TIMEOUT, 2147483646u), 0);
    EXPECT_EQ(u32(FG_TIMEOUT), 2147483646u);
}

TEST_F(HostKeptParameters, TimeoutIsForwardedToTheHost) {
    ASSERT_EQ(applet.set<uint32_t>(FG_TIMEOUT, 2), 0);
    uint32_t hostTimeout = 0;
    ASSERT_EQ(Fg_getParameter(gh5_grabber_host(applet.fg()), GH5_PARAM_TIMEOUT, &hostTimeout, 0), 0);
    EXPECT_EQ(hostTimeout, 2u);
}

TEST_F(HostKeptParameters, TurboDmaModeIsForwardedToTheHost) {
    ASSERT_EQ(applet.set<uint32_t>(FG_TURBO_DMA_MODE, 1), 0);
    EXPECT_EQ(u32(FG_TURBO_DMA_MODE), 1u);
    uint32_t hostMode = 0;
    ASSERT_EQ(Fg_getParameter(gh5_grabber_host(applet.fg()), GH5_PARAM_TURBO_DMA_MODE, &hostMode, 0), 0);
    EXPECT_EQ(hostMode, 1u);
    EXPECT_EQ(applet.set<uint32_t>(FG_TURBO_DMA_MODE, 2), -6000);
    EXPECT_EQ(u32(FG_TURBO_DMA_MODE), 1u);
}

TEST_F(HostKeptParameters, CreationHandsTheInitialTimeoutToTheHost) {
    uint32_t hostTimeout = 0;
    ASSERT_EQ(Fg_getParameter(gh5_grabber_host(applet.fg()), GH5_PARAM_TIMEOUT, &hostTimeout, 0), 0);
    EXPECT_EQ(hostTimeout, 1000000u);
}

} // namespace
} // namespace kestrel::test
