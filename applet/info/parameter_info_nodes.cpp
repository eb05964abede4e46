// In-place updates of published limits and access words.
#include "info/parameter_info_nodes.h"

namespace kestrel {

void ParameterInfoNodes::enter(int32_t port, int32_t id, ParameterInfoNode* node) {
    if (node != nullptr)
        ports_[port][id] = node;
}

ParameterInfoNode* ParameterInfoNodes::find(int32_t port, int32_t id) const {
    const auto portIt = ports_.find(port);
    if (portIt == ports_.end())
        return nullptr;
    const auto it = portIt->second.find(id);
    return it == portIt->second.end() ? nullptr : it->second;
}

std::size_t ParameterInfoNodes::size(int32_t port) const {
    const auto portIt = ports_.find(port);
    return portIt == ports_.end() ? 0 : portIt->second.size();
}

const std::map<int32_t, ParameterInfoNode*>* ParameterInfoNodes::port(int32_t port) const {
    const auto portIt = ports_.find(port);
    return portIt == ports_.end() ? nullptr : &portIt->second;
}

void ParameterInfoNodes::setIntegerMinimum(int32_t id, int32_t minimum, int32_t port) {
    ParameterInfoNode* node = find(port, id);
    if (node == nullptr)
        return;
    if (node->type == kNodeInteger || node->type == kNodeInteger32)
        node->kind.integer.minimum = minimum;
    else if (node->type == kNodeIntegerArray)
        node->kind.integerArray.minimum = node->kind.integerArray.minimumAgain = minimum;
}

void ParameterInfoNodes::setIntegerMaximum(int32_t id, int32_t maximum, int32_t port) {
    ParameterInfoNode* node = find(port, id);
    if (node == nullptr)
        return;
    if (node->type == kNodeInteger || node->type == kNodeInteger32)
        node->kind.integer.maximum = maximum;
    else if (node->type == kNodeIntegerArray)
        node->kind.integerArray.maximum = maximum;
}

void ParameterInfoNodes::setDoubleMinimum(int32_t id, double minimum, int32_t port) {
    ParameterInfoNode* node = find(port, id);
    if (node != nullptr && node->type == kNodeDouble)
        node->kind.real.minimum = minimum;
}

void ParameterInfoNodes::setDoubleMaximum(int32_t id, double maximum, int32_t port) {
    ParameterInfoNode* node = find(port, id);
    if (node != nullptr && node->type == kNodeDouble)
        node->kind.real.maximum = maximum;
}

void ParameterInfoNodes::setAccess(int32_t id, int32_t access, int32_t port) {
    if (ParameterInfoNode* node = find(port, id))
        node->access = access;
}

} // namespace kestrel
