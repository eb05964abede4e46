// kestrel lut: the applet's lookup table: processing settings, loading a LUT file, saving the
// table to one, and printing it.
#include "command.h"
#include "core/config_file.h"
#include "core/correction_checks.h"
#include "core/file_checks.h"
#include "core/parameter_view.h"

#include "grabhost5.hpp"
#include "kestrel12.h"

#include <cerrno>
#include <cstdint>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

namespace kestrel::tool {
namespace {

constexpr int32_t kLutTypeCustom = 0;
// The applet's code for a LUT file its reader or writer cannot use; the tool's own writes too.
constexpr int32_t kLutReaderFailed = KESTREL12_ERR_FILE_WRITE;
constexpr int32_t kLutUnreadable = KESTREL12_ERR_FILE_READ;
constexpr uint32_t kEntries = 4096;
constexpr uint32_t kEntriesPerLine = 16;

struct Arguments {
    std::optional<double> offset;
    std::optional<double> gain;
    std::optional<double> gamma;
    bool invert = false;
    std::string load;
    std::string save;
    bool show = false;
};

struct LutField {
    uint32_t value;
    uint32_t index;
};

class Lut {
public:
    explicit Lut(gh5::Grabber& grabber) : grabber_(grabber) {}

    // Sets one parameter; false (after the message) when the applet refuses it.
    template <class T> bool set(const char* name, int32_t id, const T& value) {
        return check(name, grabber_.exports().Fg_setParameterWithType(grabber_.record(), id, &value, 0, 0));
    }
    bool setText(const char* name, int32_t id, const std::string& text) {
        return check(name,
                     grabber_.exports().Fg_setParameterWithType(grabber_.record(), id, text.c_str(), 0, 0));
    }
    bool print() {
        for (uint32_t index = 0; index < kEntries; ++index) {
            LutField field{0, index};
            const int32_t code =
                grabber_.exports().Fg_getParameterWithType(grabber_.record(), FG_LUT_VALUE, &field, 0, 0);
            if (!check("FG_LUT_VALUE", code))
                return false;
            if (index % kEntriesPerLine == 0)
                std::cout << std::setw(4) << index << ":";
            std::cout << " " << std::setw(4) << field.value;
            if (index % kEntriesPerLine == kEntriesPerLine - 1)
                std::cout << "\n";
        }
        return true;
    }

private:
    static bool check(const char* name, int32_t code) {
        if (code == 0)
            return true;
        fail(std::string(name) + ": " + codeText(code));
        return false;
    }
    gh5::Grabber& grabber_;
};

// A number as the text that parses back to it exactly.
std::string exactText(double value) {
    std::ostringstream out;
    out.precision(17);
    out << value;
    return out.str();
}

int run(const ToolOptions& options, const Arguments& arguments) {
    Session session(options);
    gh5::Grabber& grabber = session.grabber();
    const AppletParameters parameters(grabber);
    Lut lut(grabber);
    // By name, so that a refusal names the allowed range.
    const std::pair<const char*, const std::optional<double>*> settings[] = {
        {"FG_PROCESSING_OFFSET", &arguments.offset},
        {"FG_PROCESSING_GAIN", &arguments.gain},
        {"FG_PROCESSING_GAMMA", &arguments.gamma}};
    for (const auto& [name, value] : settings)
        if (value->has_value())
            if (const int exitCode = setByName(parameters, name, exactText(**value)); exitCode != kExitOk)
                return exitCode;
    if (arguments.invert && !lut.set("FG_PROCESSING_INVERT", FG_PROCESSING_INVERT, int32_t{1}))
        return kExitFailure;
    if (!arguments.load.empty()) {
        // The applet's reader takes any content (missing values stay 0); only a LUT file is loaded.
        const std::string unreadable = whyNotReadable(arguments.load);
        const std::string problem = unreadable.empty() ? lutFileProblem(arguments.load) : unreadable;
        if (!problem.empty())
            return fail("lut --load " + arguments.load + ": " + problem + " (" +
                        std::to_string(unreadable.empty() ? kLutReaderFailed : kLutUnreadable) + ")");
        // The applet copies what the file holds and keeps the rest of the table as it was.
        if (const std::string shortfall = lutFileShortfall(readLutFileContent(arguments.load), kEntries);
            !shortfall.empty())
            std::cerr << "kestrel: warning: lut --load " << arguments.load << " " << shortfall << "\n";
        // The file name first, so that switching to custom mode loads it once.
        if (!lut.setText("FG_LUT_CUSTOM_FILE", FG_LUT_CUSTOM_FILE, pathForConfig(options, arguments.load)) ||
            !lut.set("FG_LUT_TYPE", FG_LUT_TYPE, kLutTypeCustom))
            return kExitFailure;
        std::cout << "loaded " << arguments.load << "\n";
    }
    if (!arguments.save.empty()) {
        const TemporaryFile written(".lut");
        if (!lut.setText("FG_LUT_SAVE_FILE", FG_LUT_SAVE_FILE, written.path()))
            return kExitFailure;
        if (const std::string reason = writeWholeFile(arguments.save, written.content()); !reason.empty())
            return fail("lut --save " + arguments.save + ": " + codeText(kLutReaderFailed) + "; " + reason);
        std::cout << "saved " << arguments.save << "\n";
    }
    if ((arguments.show || (arguments.load.empty() && arguments.save.empty())) && !lut.print())
        return kExitFailure;
    return session.keepSettings();
}

const CommandRegistrar registrar{Command{
    "lut", "compute, load, save and print the lookup table", [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("--offset", arguments->offset, "processing offset, -1.0 .. 1.0");
        sub.add_option("--gain", arguments->gain, "processing gain, 0.0 .. 4096.0");
        sub.add_option("--gamma", arguments->gamma, "processing gamma, -1000.0 .. 1000.0");
        sub.add_flag("--invert", arguments->invert, "invert the output");
        sub.add_option("--load", arguments->load, "LUT file to load (custom mode)");
        sub.add_option("--save", arguments->save, "write the table to this LUT file");
        sub.add_flag("--show", arguments->show, "print the table (the default without --load or --save)");
        return std::function<int()>([&options, arguments] { return run(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
