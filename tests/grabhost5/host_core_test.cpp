// The host's classes on their own: acquisition state, memories, the parameter tree, applet names.
#include "acquisition_memory.h"
#include "applet_library.h"
#include "dma_channel.h"
#include "parameter_tree.h"

#include "grabhost5_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace kestrel::host;
using namespace std::chrono_literals;

namespace {

std::shared_ptr<MemoryRing> ring() {
    return std::make_shared<MemoryRing>(2, 16);
}

} // namespace

TEST(DmaChannel, CountsPicturesOfTheCurrentRunUntilItsCountIsReached) {
    DmaChannel channel;
    EXPECT_EQ(channel.waitForPicture(1, 7, 0ms), GH5_ERR_NOT_RUNNING) << "never started";
    EXPECT_EQ(channel.lastPicture(7), 0);
    ASSERT_EQ(channel.start(7, ring(), 10), GH5_OK);
    EXPECT_TRUE(channel.running());
    EXPECT_TRUE(channel.acquiresInto(7));
    EXPECT_FALSE(channel.acquiresInto(8));
    EXPECT_EQ(channel.waitForPicture(1, 7, 0ms), GH5_ERR_TIMEOUT) << "a wait without time left only looks";
    channel.pictureTransferred();
    EXPECT_EQ(channel.waitForPicture(1, 7, 0ms), 1);
    EXPECT_EQ(channel.waitForPicture(0, 7, 0ms), GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(channel.waitForPicture(1, 8, 0ms), GH5_ERR_INVALID_MEMORY);
    channel.pictureTransferred();
    channel.pictureLost();
    EXPECT_EQ(std::pair(channel.lastPicture(7), channel.picturesLost(7)), std::pair(int64_t{2}, int64_t{1}));
    EXPECT_EQ(std::pair(channel.lastPicture(8), channel.picturesLost(8)), std::pair(int64_t{0}, int64_t{0}));
    ASSERT_EQ(channel.stop(7), GH5_OK);
    ASSERT_EQ(channel.start(7, ring(), 4), GH5_OK);
    channel.pictureTransferred(0, PictureOrigin{5, 2});
    channel.pictureTransferred(1, PictureOrigin{6, 2});
    channel.pictureTransferred(0, PictureOrigin{9, 4});
    EXPECT_EQ(channel.pictureOrigin(7, 3)->cameraFrame, 9u);
    EXPECT_EQ(channel.pictureOrigin(7, 2)->framesLostBefore, 2u);
    EXPECT_FALSE(channel.pictureOrigin(7, 1)) << "its buffer holds picture 3 now";
    EXPECT_FALSE(channel.pictureOrigin(8, 3)) << "another memory";
    ASSERT_EQ(channel.stop(7), GH5_OK);
    ASSERT_EQ(channel.start(7, ring(), 2), GH5_OK);
    EXPECT_EQ(channel.lastPicture(7), 0) << "a new run counts from zero";
    channel.pictureTransferred();
    channel.pictureTransferred();
    EXPECT_FALSE(channel.running()) << "two pictures asked for";
    channel.pictureTransferred();
    EXPECT_EQ(channel.lastPicture(7), 2);
    EXPECT_EQ(channel.waitForPicture(2, 7, 0ms), 2);
    EXPECT_EQ(channel.waitForPicture(3, 7, 0ms), GH5_ERR_NOT_RUNNING);
}

TEST(DmaChannel, RefusesASecondStartAStopOfAnotherMemoryAndRunsAfterShutdown) {
    DmaChannel channel;
    ASSERT_EQ(channel.start(7, ring(), 1), GH5_OK);
    EXPECT_EQ(channel.start(8, ring(), 1), GH5_ERR_ALREADY_RUNNING);
    EXPECT_EQ(channel.stop(8), GH5_ERR_INVALID_MEMORY);
    EXPECT_EQ(channel.stop(7), GH5_OK);
    EXPECT_EQ(channel.stop(7), GH5_ERR_NOT_RUNNING);
    EXPECT_EQ(channel.start(7, ring(), 0), GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(channel.start(7, nullptr, 1), GH5_ERR_INVALID_ARGUMENT);
    ASSERT_EQ(channel.start(7, ring(), 5), GH5_OK);
    channel.shutdown();
    EXPECT_FALSE(channel.running());
    EXPECT_EQ(channel.start(7, ring(), 5), GH5_ERR_INVALID_HANDLE);
}

TEST(MemoryPool, HandsOutDistinctNonZeroHandlesAndRefusesEmptyAndImpossibleMemories) {
    MemoryPool pool;
    uint64_t first = 0;
    uint64_t second = 0;
    ASSERT_EQ(pool.allocate(3, 100, first), GH5_OK);
    ASSERT_EQ(pool.allocate(1, 1, second), GH5_OK);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    const auto ring = pool.find(first);
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->bufferCount(), 3u);
    EXPECT_EQ(ring->bufferBytes(), 100u);
    EXPECT_NE(ring->buffer(2), nullptr);
    EXPECT_EQ(ring->buffer(3), nullptr);
    EXPECT_NE(pool.release(first), nullptr);
    EXPECT_EQ(pool.find(first), nullptr);
    EXPECT_EQ(pool.release(first), nullptr);
    for (const auto& [count, bytes, code] : {std::tuple{0u, uint64_t{100}, GH5_ERR_INVALID_ARGUMENT},
                                             {1u, uint64_t{0}, GH5_ERR_INVALID_ARGUMENT},
                                             {1u, GH5_MAX_BUFFER_BYTES + 1, GH5_ERR_INVALID_ARGUMENT},
                                             {17u, GH5_MAX_BUFFER_BYTES, GH5_ERR_OUT_OF_MEMORY},
                                             {UINT32_MAX, GH5_MAX_BUFFER_BYTES, GH5_ERR_OUT_OF_MEMORY}})
        EXPECT_EQ(pool.allocate(count, bytes, first), code) << count << " x " << bytes;
}

namespace {

HostRegisterTable treeRegisters() {
    return HostRegisterTable({
        {100201, "Device1_Process0_Buffer_0_DRAM_A_0_XLength", 13, true, RegisterContent::Value},
        {100205, "Device1_Process0_Buffer_0_DRAM_A_0_FillLevel", 7, false, RegisterContent::Value},
        {100101, "Device1_Process0_Camera_Format", 2, true, RegisterContent::Value},
        {101201, "Device1_Process0_Timestamp_Counter_Value", 48, false, RegisterContent::Value},
        {100501, "Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile 0", 16, true,
         RegisterContent::Text},
        {100901, "Device1_Process0_LookupTable_LookupTable_LUTcontent", 12, true, RegisterContent::Table},
        {110500, "Device1_Process1_Wide", 32, true, RegisterContent::Value},
        {120001, "AAGenEnable", 1, true, RegisterContent::Value},
    });
}

const Gh5ParameterInfoNode* child(const Gh5ParameterInfoNode* category, const std::string& name) {
    for (int32_t i = 0; i < category->kind.category.childCount; ++i)
        if (name == category->kind.category.children[i]->name)
            return category->kind.category.children[i];
    return nullptr;
}

} // namespace

TEST(ParameterTree, GroupsRegistersByTheFirstThreeNameComponents) {
    const HostRegisterTable registers = treeRegisters();
    const ParameterTree tree(registers);
    const Gh5ParameterInfoNode* device = tree.root();
    ASSERT_NE(device, nullptr);
    EXPECT_STREQ(device->name, "Device1");
    const Gh5ParameterInfoNode* process = child(device, "Process0");
    ASSERT_NE(process, nullptr);
    EXPECT_STREQ(process->parentName, "Device1");
    EXPECT_EQ(process->depth, 1);
    const Gh5ParameterInfoNode* buffer = child(process, "Buffer");
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->depth, 2);
    ASSERT_EQ(buffer->kind.category.childCount, 2);
    const Gh5ParameterInfoNode* xLength = buffer->kind.category.children[0];
    EXPECT_STREQ(xLength->paramName, "Device1_Process0_Buffer_0_DRAM_A_0_XLength");
    EXPECT_EQ(xLength->id, 100201);
    EXPECT_EQ(xLength->index, 0);
    EXPECT_EQ(buffer->kind.category.children[1]->index, 1);
    EXPECT_EQ(buffer->kind.category.nextChildIndex, 2);
}

TEST(ParameterTree, GivesEachRegisterKindItsFeatureType) {
    const HostRegisterTable registers = treeRegisters();
    const ParameterTree tree(registers);
    const Gh5ParameterInfoNode* process = child(tree.root(), "Process0");
    const Gh5ParameterInfoNode* fill = child(child(process, "Buffer"), "0_DRAM_A_0_FillLevel");
    const Gh5ParameterInfoNode* stamp = child(child(process, "Timestamp"), "Counter_Value");
    const Gh5ParameterInfoNode* file = child(child(process, "Shading"), "ShadingBuffer_0_CoefficientFile 0");
    const Gh5ParameterInfoNode* lut = child(child(process, "LookupTable"), "LookupTable_LUTcontent");
    const Gh5ParameterInfoNode* wide = child(child(tree.root(), "Process1"), "Wide");
    ASSERT_TRUE(fill && stamp && file && lut && wide);
    EXPECT_EQ(std::tuple(fill->type, fill->kind.integer.maximum, fill->access),
              std::tuple(GH5_NODE_INTEGER, 127, GH5_ACCESS_READ_ONLY));
    EXPECT_EQ(std::tuple(stamp->type, stamp->kind.integer64.minimum, stamp->kind.integer64.maximum),
              std::tuple(GH5_NODE_INTEGER64, uint64_t{0}, uint64_t{0xFFFFFFFFFFFF}));
    EXPECT_EQ(file->type, GH5_NODE_STRING);
    EXPECT_STREQ(file->kind.string.filter, "*.tiff *.tif");
    EXPECT_EQ(std::tuple(lut->type, lut->kind.integerArray.elementCount, lut->kind.integerArray.maximum),
              std::tuple(GH5_NODE_INTEGER_ARRAY, 4096, 4095));
    EXPECT_EQ(wide->type, GH5_NODE_INTEGER);
    EXPECT_EQ(static_cast<uint32_t>(wide->kind.integer.maximum), 0xFFFFFFFFu);
}

TEST(ParameterTree, ListsRootsInCreationOrderWithTheHostParametersLast) {
    const HostRegisterTable registers = treeRegisters();
    const ParameterTree tree(registers);
    std::vector<std::string> roots;
    const Gh5ParameterInfoNode* previous = nullptr;
    for (const Gh5ParameterInfoNode* root = tree.root(); root != nullptr; root = root->nextRoot) {
        roots.emplace_back(root->name);
        EXPECT_EQ(root->previousRoot, previous);
        EXPECT_EQ(root->depth, 0);
        EXPECT_EQ(root->index, 0);
        EXPECT_EQ(root->parentName, nullptr);
        previous = root;
    }
    EXPECT_EQ(roots, (std::vector<std::string>{"Device1", "TopLevel", "Host"}));
}

TEST(AppletNames, AddTheLibrarySuffixOnceAndSearchTheEnvironmentPathInOrderSkippingEmptyEntries) {
    EXPECT_EQ(appletFileName("Kestrel12"), "Kestrel12.so");
    EXPECT_EQ(appletFileName("Kestrel12.so"), "Kestrel12.so");
    EXPECT_EQ(appletFileName(".so"), ".so.so");
    ::setenv("KESTREL_APPLET_PATH", "/first::/second:", 1);
    EXPECT_EQ(appletSearchPath(), (std::vector<std::string>{"/first", "/second"}));
    ::setenv("KESTREL_APPLET_PATH", "", 1);
    const auto fallback = appletSearchPath();
    ASSERT_EQ(fallback.size(), 1u);
    EXPECT_FALSE(fallback[0].empty());
    ::unsetenv("KESTREL_APPLET_PATH");
    EXPECT_EQ(appletSearchPath(), fallback);
}
