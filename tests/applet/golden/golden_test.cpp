// What a fresh applet writes in the formats fixed byte by byte, compared whole with reviewed files:
// the configuration file, the register-description document, a LUT file and a text dump of the
// port-0 information tree. KESTREL_UPDATE_GOLDENS=1 rewrites the files instead (tests/data/README).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "applet_on_board.h"
#include "grabhost5_host.h"
#include "params/parameter_ids.h"
#include "scratch_dir.h"
#include "test_system.h"

namespace kestrel::test {
namespace {

// Text files are kept with "\n" line ends; the platform's text streams write its own.
void expectGolden(const std::string& actual, const std::string& relative, bool textFile = false) {
    const std::string file = std::string(KESTREL_TEST_DATA_DIR) + "/" + relative;
    const char* update = std::getenv("KESTREL_UPDATE_GOLDENS");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(file, std::ios::binary) << actual;
        return;
    }
    std::ifstream in(file, std::ios::binary);
    ASSERT_TRUE(in.good()) << "missing golden " << file;
    const std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(actual, textFile ? nativeLineEnds(golden) : golden) << "differs from " << relative;
}

const char* text(const char* s) {
    return s == nullptr ? "-" : s;
}

// One line per node, children indented below their category; every published field of the
// record, limits in the kind's own representation.
void dump(const Gh5ParameterInfoNode* n, int indent, std::ostream& out) {
    out << std::string(2 * indent, ' ');
    if (n->type == GH5_NODE_CATEGORY) {
        out << "[" << n->name << "] index=" << n->index << " depth=" << n->depth
            << " parent=" << text(n->parentName) << "\n";
        for (int32_t i = 0; i < n->kind.category.childCount; ++i)
            dump(n->kind.category.children[i], indent + 1, out);
        return;
    }
    out << '"' << n->name << "\" " << text(n->paramName) << " id=" << n->id << " type=" << n->type
        << " index=" << n->index << " access=" << n->access << " attr=" << n->hostAttribute
        << " published=" << n->published << " port=" << n->port << " unit=\"" << text(n->unit) << '"';
    std::ostringstream limits;
    limits.precision(17);
    switch (n->type) {
    case GH5_NODE_INTEGER:
        limits << n->kind.integer.minimum << ".." << n->kind.integer.maximum << " step "
               << n->kind.integer.increment;
        break;
    case GH5_NODE_DOUBLE:
        limits << n->kind.real.minimum << ".." << n->kind.real.maximum << " step " << n->kind.real.increment;
        break;
    case GH5_NODE_INTEGER_ARRAY:
        limits << n->kind.integerArray.minimum << ".." << n->kind.integerArray.maximum << " x"
               << n->kind.integerArray.elementCount << " zero=" << n->kind.integerArray.zero
               << " min=" << n->kind.integerArray.minimumAgain;
        break;
    case GH5_NODE_STRING:
        limits << "filter \"" << text(n->kind.string.filter) << '"';
        break;
    case GH5_NODE_INTEGER64:
        limits << n->kind.integer64.minimum << ".." << n->kind.integer64.maximum << " step "
               << n->kind.integer64.increment;
        break;
    default:
        break;
    }
    out << (limits.str().empty() ? "" : " ") << limits.str() << "\n";
    if (n->type == GH5_NODE_ENUMERATION)
        for (int32_t i = 0; i < n->kind.enumeration.entryCount; ++i)
            out << std::string(2 * indent + 2, ' ') << "= " << n->kind.enumeration.values[i] << " \""
                << n->kind.enumeration.displayNames[i] << "\" " << text(n->kind.enumeration.symbolicNames[i])
                << "\n";
}

class Golden : public ScratchDirTest {
protected:
    AppletOnBoard applet;
};

TEST_F(Golden, InformationTreeOfPortZero) {
    std::ostringstream out;
    const auto* root =
        static_cast<const Gh5ParameterInfoNode*>(applet.exports().Fg_getParameterInfo(applet.fg(), 0));
    for (; root != nullptr; root = root->nextRoot) {
        EXPECT_EQ(root->nextRoot == nullptr || root->nextRoot->previousRoot == root, true) << root->name;
        dump(root, 0, out);
    }
    expectGolden(out.str(), "tree/port0.txt");
}

std::string registerDescription(const AppletOnBoard& applet) {
    uint64_t size = 0;
    EXPECT_EQ(applet.exports().Fg_getParameterInfoXML(applet.fg(), 0, nullptr, &size), 0);
    std::vector<char> buffer(size);
    EXPECT_EQ(applet.exports().Fg_getParameterInfoXML(applet.fg(), 0, buffer.data(), &size), 0);
    return std::string(buffer.data());
}

TEST_F(Golden, RegisterDescriptionDocument) {
    expectGolden(registerDescription(applet), "xml/kestrel12.xml");
}

// Direct register access changes the tree but never the document.
TEST(GoldenWithRegisterAccess, RegisterDescriptionDocumentIsUnchanged) {
    kestrel::test::setEnvironment("QUIL_ENABLE_DRA", "1");
    AppletOnBoard applet;
    kestrel::test::setEnvironment("QUIL_ENABLE_DRA", nullptr);
    const auto* root =
        static_cast<const Gh5ParameterInfoNode*>(applet.exports().Fg_getParameterInfo(applet.fg(), 0));
    ASSERT_NE(root, nullptr);
    ASSERT_STREQ(root->name, "Direct Register Access") << "the switch did not reach the applet";
    expectGolden(registerDescription(applet), "xml/kestrel12.xml");
}

TEST_F(Golden, ConfigurationFile) {
    const std::string file = path("fresh.scf");
    ASSERT_EQ(applet.exports().Fg_saveConfig(applet.fg(), file.c_str()), 0);
    expectGolden(readFile(file), "config/fresh_applet.scf", true);
}

// The processing table with every function in use, so offset, gain, gamma and invert all show.
TEST_F(Golden, LutFile) {
    using namespace kestrel::ids;
    ASSERT_EQ(applet.set<double>(FG_PROCESSING_OFFSET, 0.125), 0);
    ASSERT_EQ(applet.set<double>(FG_PROCESSING_GAIN, 1.5), 0);
    ASSERT_EQ(applet.set<double>(FG_PROCESSING_GAMMA, 0.8), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_PROCESSING_INVERT, 1), 0);
    const std::string file = path("processed.lut");
    ASSERT_EQ(applet.setText(FG_LUT_SAVE_FILE, file.c_str()), 0);
    expectGolden(readFile(file), "lut/processed.lut", true);
}

} // namespace
} // namespace kestrel::test
