// kestrel xml: the applet's register description (GenICam GenApi), written out or read back
// through Aravis's GenICam parser as a check.
#include "command.h"
#include "core/file_checks.h"
#include "core/genapi_document.h"

#include "grabhost5.hpp"

#if KESTREL_TOOL_HAVE_ARAVIS
#include <arv.h>
#endif

#include <cstdio>
#include <iostream>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrel::tool {
namespace {

struct XmlOptions {
    std::string outputFile;
    bool check = false;
};

#if KESTREL_TOOL_HAVE_ARAVIS
// Walks the categories from "Root"; counts the non-category nodes they list, each once.
struct FeatureCount {
    std::set<std::string> features;
    std::set<std::string> categories;
    std::vector<std::string> missing;
};

void countBelow(ArvGc* genicam, const std::string& name, FeatureCount& count) {
    ArvGcNode* node = arv_gc_get_node(genicam, name.c_str());
    if (node == nullptr) {
        count.missing.push_back(name);
        return;
    }
    if (!ARV_IS_GC_CATEGORY(node)) {
        count.features.insert(name);
        return;
    }
    if (!count.categories.insert(name).second)
        return;
    for (const GSList* item = arv_gc_category_get_features(ARV_GC_CATEGORY(node)); item != nullptr;
         item = item->next)
        countBelow(genicam, static_cast<const char*>(item->data), count);
}

int checkDocument(const std::string& xml) {
    ArvGc* genicam = arv_gc_new(nullptr, xml.data(), xml.size());
    if (genicam == nullptr)
        return fail("Aravis could not read the register description");
    FeatureCount count;
    countBelow(genicam, "Root", count);
    g_object_unref(genicam);
    if (!count.missing.empty())
        return fail("the register description lists " + std::to_string(count.missing.size()) +
                    " unknown features, the first " + count.missing.front());
    // "Root" itself is not one of the categories a reader sees.
    std::cout << "Register description: " << xml.size() << " bytes, " << count.features.size()
              << " features in " << count.categories.size() - 1 << " categories, read back by Aravis\n";
    return kExitOk;
}
#else
int checkDocument(const std::string&) {
    return fail("this kestrel was built without Aravis; --check is not available");
}
#endif

int runXml(const ToolOptions& options, const XmlOptions& xmlOptions) {
    Session session(options);
    gh5::Grabber& grabber = session.grabber();
    const std::string xml = fetchGenApiDocument(grabber);
    if (!xmlOptions.outputFile.empty()) {
        if (const std::string reason = writeWholeFile(xmlOptions.outputFile, xml); !reason.empty())
            return fail("cannot write " + xmlOptions.outputFile + ": " + reason);
        std::cerr << "Wrote " << xml.size() << " bytes to " << xmlOptions.outputFile << "\n";
    }
    if (xmlOptions.check)
        return checkDocument(xml);
    if (xmlOptions.outputFile.empty()) {
        std::fwrite(xml.data(), 1, xml.size(), stdout);
        return std::fflush(stdout) == 0 ? kExitOk : fail("writing the register description failed");
    }
    return kExitOk;
}

const CommandRegistrar registrar{Command{
    "xml", "write the applet's GenICam register description, or check it with Aravis",
    [](CLI::App& sub, const ToolOptions& options) {
        auto xmlOptions = std::make_shared<XmlOptions>();
        sub.add_option("-o,--output", xmlOptions->outputFile, "file to write (default: standard output)");
        sub.add_flag("--check", xmlOptions->check,
                     "read the description back through Aravis and count its features");
        return [&options, xmlOptions] { return runXml(options, *xmlOptions); };
    }}};

} // namespace
} // namespace kestrel::tool
