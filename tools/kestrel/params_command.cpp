// kestrel params: the applet's parameter tree with every feature's current value.
#include "command.h"
#include "parameter_view.h"

#include "grabhost5.hpp"

#include <iostream>
#include <string>

namespace kestrel::tool {
namespace {

void printFeature(const AppletParameters& parameters, const Node* node, int depth) {
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    const char* paramName = node->paramName != nullptr ? node->paramName : "";
    int32_t code = 0;
    const auto value = parameters.valueText(node, node->id, &code);
    std::cout << indent << latin1ToUtf8(node->name) << " [" << paramName << "] = "
              << (value ? *value : "(" + codeText(code) + ")");
    const std::string range = rangeText(node);
    if (!range.empty())
        std::cout << "  " << range;
    if (node->unit != nullptr && node->unit[0] != '\0')
        std::cout << "  " << latin1ToUtf8(node->unit);
    std::cout << "  " << accessText(node->access) << "\n";
}

int runParams(const ToolOptions& options) {
    gh5::Board board = gh5::Board::open(options.board);
    gh5::Grabber grabber = gh5::Grabber::create(board, options.applet);
    const AppletParameters parameters(grabber);
    const Node* root = parameters.firstRoot();
    if (root == nullptr)
        return fail("the applet publishes no parameter tree");
    walkTree(root, [&](const Node* node, int depth) {
        if (node->type == kestrel::kNodeCategory)
            std::cout << std::string(static_cast<std::size_t>(depth) * 2, ' ') << latin1ToUtf8(node->name) << "\n";
        else
            printFeature(parameters, node, depth);
    });
    return kExitOk;
}

const CommandRegistrar registrar{
    Command{"params", "print the parameter tree: categories, features, values, ranges, units, access",
            [](CLI::App&, const ToolOptions& options) { return [&options] { return runParams(options); }; }}};

} // namespace
} // namespace kestrel::tool
