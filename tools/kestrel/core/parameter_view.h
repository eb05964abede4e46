// The applet's parameters as the tool sees them: its information tree (walked in place through the
// record layout the host publishes) and typed reads and writes through its exports.
#pragma once

#include "grabhost5.hpp"
#include "grabhost5_host.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::tool {

using Node = Gh5ParameterInfoNode;

// A created applet and its tree of port 0.
class AppletParameters {
public:
    explicit AppletParameters(gh5::Grabber& grabber) : grabber_(grabber) {}

    const Gh5AppletExports& exports() const { return grabber_.exports(); }
    void* fg() const { return grabber_.record(); }

    // First root of port 0, or null when the applet publishes no tree.
    const Node* firstRoot() const;
    // The feature node of a parameter name anywhere in the tree, or null.
    const Node* findFeature(const std::string& name) const;
    // Every parameter name of the tree, in tree order.
    std::vector<std::string> names() const;

    // The current value as text: enumeration entries by symbol, doubles in shortest form, strings as
    // they are. Nothing on failure; the code then is in *code.
    std::optional<std::string> valueText(const Node* feature, int32_t id, int32_t* code) const;
    // A text parameter's bytes as the applet holds them; nothing when it does not answer.
    std::optional<std::string> text(int32_t id) const;
    // The description text the applet keeps for a parameter name; "" when it has none.
    std::string description(const std::string& name) const;
    // Parses `text` for the feature's kind (an enumeration also takes the symbol or display name of
    // an entry) and sets it. 0 or the applet's code; kParseError when the text does not fit.
    int32_t setFromText(const Node* feature, int32_t id, const std::string& text, std::string* why) const;

    static constexpr int32_t kParseError = 1;

private:
    gh5::Grabber& grabber_;
};

// Visits every node depth first in the order of the tree: fn(node, depth).
template <class Fn> void walkTree(const Node* root, Fn&& fn) {
    struct Walker {
        Fn& fn;
        void visit(const Node* node, int depth) {
            fn(node, depth);
            if (node->type != GH5_NODE_CATEGORY)
                return;
            for (int32_t i = 0; i < node->kind.category.childCount; ++i)
                if (node->kind.category.children[i] != nullptr)
                    visit(node->kind.category.children[i], depth + 1);
        }
    } walker{fn};
    for (const Node* r = root; r != nullptr; r = r->nextRoot)
        walker.visit(r, 0);
}

// The value of the enumeration entry whose symbol or display name is text; nothing when none is.
std::optional<int32_t> entryValue(const Node* enumeration, const std::string& text);

// "readable and writable", "read only", ... for an access word.
std::string accessText(int32_t access);
// The range or entries of a feature, one line of text ("" when it has none).
std::string rangeText(const Node* feature);
// Latin-1 text of the tree as UTF-8 for the terminal.
std::string latin1ToUtf8(const char* text);
// A text value as UTF-8: kept when it already is (a path typed on a UTF-8 terminal), else Latin-1.
std::string textToUtf8(const char* text);
// "message: text (code)" with the meaning of the applet's code.
std::string codeText(int32_t code);

// "no parameter NAME: <code>; did you mean ...?" for a name the applet does not know.
std::string unknownParameter(const AppletParameters& parameters, const std::string& name, int32_t code);

// Sets a parameter by name from the text a user typed: "" when the applet took it, else the message
// naming the parameter, the value and, where the tree has them, the bounds.
std::string trySetByName(const AppletParameters& parameters, const std::string& name,
                         const std::string& text);
// The same as the tool's success exit, or its failure exit after that message.
int setByName(const AppletParameters& parameters, const std::string& name, const std::string& text);
// The same for one "NAME=VALUE" setting of a command line.
int applySetting(const AppletParameters& parameters, const std::string& setting);

} // namespace kestrel::tool
