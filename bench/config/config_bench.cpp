// What saving and loading a full configuration costs, against the least the same file work can
// cost with C stdio:
//   save   the header and the 97 keys written through the parser and the saved-parameter walk,
//          every line flushed to the file as it is written, against fopen "w" of the same
//          existing file (truncating it), each of the same lines with fprintf and fflush, fclose
//                                                                                  target <= 2x
//   load   the header checks and both passes (every key read twice, setters that do nothing),
//          against fopen "r", one pass of fgets over the file, fclose              target <= 3x
// The applet's own Fg_saveConfig and Fg_loadConfig are measured too, for reference: their setters
// write the board, which no floor of file work covers.
#include <benchmark/benchmark.h>

#include "bench_targets.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <variant>

#include "config/config_file_parser.h"
#include "config/configuration_file.h"
#include "config/saved_parameter_io.h"
#include "config/saved_parameters.h"
#include "config/value_block_fields.h"
#include "grabhost5.hpp"
#include "params/initial_values.h"
#include "params/parameter_handlers.h"
#include "params/parameter_ids.h"
#include "params/parameter_value_block.h"

namespace {

using namespace kestrel;

const ConfigurationIdentity kIdentity{"Tarnwell GmbH", "Kestrel12", "1.2", 0};

std::string scratchFile(const char* name) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir =
        tmp != nullptr && *tmp != '\0' ? tmp : (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
    return dir + "/kestrel-config-bench-" + std::to_string(getpid()) + "-" + name;
}

// Setters that do nothing and getters that copy the stored field: the file work alone.
class QuietHandlers {
public:
    explicit QuietHandlers(ParameterValueBlock& values) : values_(values) {
        for (const SavedParameter& p : savedParameters())
            bind(p.id(), p.type());
        bind(ids::FG_SHADING_APPLY_SETTINGS, ParameterType::Int32);
    }
    const ParameterHandlerTable& table() const { return table_; }

private:
    struct Slot {
        QuietHandlers* owner;
        int32_t id;
        void setU32(uint32_t, bool) {}
        void setI32(int32_t, bool) {}
        void setF64(double value, bool) { benchmark::DoNotOptimize(value); }
        void setText(const char* value, bool) { benchmark::DoNotOptimize(value); }
        void getF64(void* value) {
            const ValueField field = valueFieldOf(owner->values_, id);
            std::memcpy(value, std::get<double*>(field), sizeof(double));
        }
    };
    void bind(int32_t id, ParameterType type) {
        Slot& slot = slots_.emplace_back(Slot{this, id});
        switch (type) {
        case ParameterType::UInt32:
            table_.bindSetter<&Slot::setU32>(id, slot);
            break;
        case ParameterType::Int32:
            table_.bindSetter<&Slot::setI32>(id, slot);
            break;
        case ParameterType::Double:
            table_.bindSetter<&Slot::setF64>(id, slot);
            table_.bindGetter<&Slot::getF64>(id, slot);
            break;
        default:
            table_.bindSetter<&Slot::setText>(id, slot);
            break;
        }
    }

    ParameterValueBlock& values_;
    ParameterHandlerTable table_;
    std::deque<Slot> slots_;
};

// ---- save ----

// Every line reaches the file as it is written, so each one costs a write to the file.
__attribute__((format(printf, 2, 3))) void writeLine(std::FILE* out, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::vfprintf(out, format, args);
    va_end(args);
    std::fflush(out);
}

void BM_SaveFloor(benchmark::State& state) {
    const std::string file = scratchFile("floor.scf");
    ParameterValueBlock values = freshValueBlock();
    for (auto _ : state) {
        std::FILE* out = std::fopen(file.c_str(), "w");
        writeLine(out, "[Kamerasektion]\n");
        writeLine(out, "\n");
        writeLine(out, "ConfigFileVersion=2.0;\n");
        writeLine(out, "%s='%s';\n", "Hersteller", kIdentity.vendorName);
        writeLine(out, "%s='%s';\n", "Typ", kIdentity.appletName);
        writeLine(out, "%s='%s';\n", "Version", kIdentity.appletVersion);
        writeLine(out, "%s=%d;\n", "LoadAppletId", kIdentity.loadAppletId);
        writeLine(out, "%s=%d;\n", "AktivePort", 0);
        writeLine(out, "\n");
        writeLine(out, "[Port A]\n");
        for (const SavedParameter& p : savedParameters()) {
            const ValueField field = valueFieldOf(values, p.id());
            if (const auto* u = std::get_if<uint32_t*>(&field))
                writeLine(out, "%s=%d;\n", p.key.data(), static_cast<int32_t>(**u));
            else if (const auto* i = std::get_if<int32_t*>(&field))
                writeLine(out, "%s=%d;\n", p.key.data(), **i);
            else if (const auto* d = std::get_if<double*>(&field))
                writeLine(out, "%s=%.*g;\n", p.key.data(), 12, **d);
            else if (const auto* s = std::get_if<std::string*>(&field))
                writeLine(out, "%s='%s';\n", p.key.data(), (*s)->c_str());
        }
        std::fclose(out);
    }
    std::remove(file.c_str());
}

void BM_Save(benchmark::State& state) {
    const std::string file = scratchFile("save.scf");
    ParameterValueBlock values = freshValueBlock();
    QuietHandlers handlers(values);
    for (auto _ : state) {
        const int32_t result =
            saveConfigurationFile(file.c_str(), kIdentity, [&](Fg_ConfigFileParser& parser) {
                writeSavedParameters(parser, values, handlers.table());
            });
        if (result != 0)
            state.SkipWithError("save failed");
    }
    std::remove(file.c_str());
}

// ---- load ----

std::string savedFile(const char* name) {
    const std::string file = scratchFile(name);
    ParameterValueBlock values = freshValueBlock();
    QuietHandlers handlers(values);
    saveConfigurationFile(file.c_str(), kIdentity, [&](Fg_ConfigFileParser& parser) {
        writeSavedParameters(parser, values, handlers.table());
    });
    return file;
}

void BM_LoadFloor(benchmark::State& state) {
    const std::string file = savedFile("floor-load.scf");
    char line[256];
    for (auto _ : state) {
        std::FILE* in = std::fopen(file.c_str(), "r");
        std::size_t lines = 0;
        while (std::fgets(line, sizeof line, in) != nullptr)
            ++lines;
        std::fclose(in);
        benchmark::DoNotOptimize(lines);
    }
    std::remove(file.c_str());
}

void BM_Load(benchmark::State& state) {
    const std::string file = savedFile("load.scf");
    ParameterValueBlock values = freshValueBlock();
    QuietHandlers handlers(values);
    for (auto _ : state) {
        const int32_t result =
            loadConfigurationFile(file.c_str(), "Kestrel12", [&](Fg_ConfigFileParser& parser) {
                return readSavedParameters(parser, values, handlers.table());
            });
        if (result != 0)
            state.SkipWithError("load failed");
    }
    std::remove(file.c_str());
}

// ---- the applet through its exports, for reference ----

void BM_AppletSaveConfig(benchmark::State& state) {
    gh5::Board board = gh5::Board::open(0);
    gh5::Grabber grabber = gh5::Grabber::create(board, "Kestrel12");
    const std::string file = scratchFile("applet.scf");
    for (auto _ : state)
        if (grabber.exports().Fg_saveConfig(grabber.record(), file.c_str()) != 0)
            state.SkipWithError("Fg_saveConfig failed");
    std::remove(file.c_str());
    grabber.free();
}

void BM_AppletLoadConfig(benchmark::State& state) {
    gh5::Board board = gh5::Board::open(0);
    gh5::Grabber grabber = gh5::Grabber::create(board, "Kestrel12");
    const std::string file = scratchFile("applet-load.scf");
    grabber.exports().Fg_saveConfig(grabber.record(), file.c_str());
    for (auto _ : state)
        if (grabber.exports().Fg_loadConfig(grabber.record(), file.c_str()) != 0)
            state.SkipWithError("Fg_loadConfig failed");
    std::remove(file.c_str());
    grabber.free();
}

} // namespace

BENCHMARK(BM_SaveFloor);
BENCHMARK(BM_Save);
BENCHMARK(BM_LoadFloor);
BENCHMARK(BM_Load);
BENCHMARK(BM_AppletSaveConfig);
BENCHMARK(BM_AppletLoadConfig);

// CPU time: the file work is the process's own, whoever else holds the machine.
void summarise(const kestrel::bench::Results& results, kestrel::bench::TargetLines& lines) {
    auto ratio = [&](const char* measured, const char* floor) {
        const double a = results.cpuSeconds(measured);
        const double b = results.cpuSeconds(floor);
        return a < 0 || b <= 0 ? -1.0 : a / b;
    };
    lines.atMost("save", ratio("BM_Save", "BM_SaveFloor"), 2.0, "x stdio floor");
    lines.atMost("load", ratio("BM_Load", "BM_LoadFloor"), 3.0, "x stdio floor");
}

int main(int argc, char** argv) {
    return kestrel::bench::runWithTargets(argc, argv, summarise);
}
