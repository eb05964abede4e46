// The host's parameter-information tree of port 0: categories from the register names, one feature
// per design register and per host parameter, in the 128-byte record layout read in place.
#pragma once

#include "grabhost5_host.h"
#include "host_registers.h"

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::host {

// Owns every node, text and array of the tree; the addresses handed out stay valid until the tree
// is destroyed. Not copyable: nodes point at each other.
class ParameterTree {
public:
    // Registers are grouped by the first components of their names (split at '_', at most
    // kCategoryDepth levels; the rest of the name is the feature's display name); names without
    // '_' sit in the root "TopLevel"; the host's own parameters in the root "Host".
    static constexpr std::size_t kCategoryDepth = 3;

    explicit ParameterTree(const HostRegisterTable& registers);
    ParameterTree(const ParameterTree&) = delete;
    ParameterTree& operator=(const ParameterTree&) = delete;

    // The first root, or nullptr for an empty tree.
    Gh5ParameterInfoNode* root() const { return firstRoot_; }
    std::size_t nodeCount() const { return nodes_.size(); }

private:
    Gh5ParameterInfoNode& newNode(int32_t type);
    const char* keep(std::string_view text);
    Gh5ParameterInfoNode* category(Gh5ParameterInfoNode* parent, std::string_view name,
                                   std::string_view prefix);
    Gh5ParameterInfoNode* rootCategory(std::string_view name, std::string_view prefix);
    void attach(Gh5ParameterInfoNode& parent, Gh5ParameterInfoNode& child);
    void addRegister(const HostRegister& reg);
    void addHostParameters();
    // Points every category at its final child array once nothing is added any more.
    void seal();

    std::deque<Gh5ParameterInfoNode> nodes_;
    std::deque<std::string> texts_;
    std::deque<std::vector<Gh5ParameterInfoNode*>> childLists_;
    std::deque<std::vector<const char*>> textLists_;
    std::deque<std::vector<int32_t>> valueLists_;
    Gh5ParameterInfoNode* firstRoot_ = nullptr;
    Gh5ParameterInfoNode* lastRoot_ = nullptr;
};

} // namespace kestrel::host
