// The Kestrel12 applet object: everything one opened board with this applet owns, and the build
// steps that bring it from construction to a board in its initial state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "api/fg_ds_wrapper.h"
#include "correction/correction_parameters.h"
#include "device/generator_registers.h"
#include "device/register_map.h"
#include "info/parameter_info_nodes.h"
#include "params/applet_context.h"
#include "params/fixed_parameters.h"
#include "params/initial_values.h"
#include "params/inspect_settings.h"
#include "params/parameter_dispatch.h"
#include "params/parameter_handlers.h"
#include "params/parameter_tables.h"
#include "params/parameter_value_block.h"
#include "pipeline/pipeline_parameters.h"
#include "support/locks.h"
#include "trigger/trigger_parameters.h"

namespace kestrel {

class FgDsWrapperImpl final : public FgDsWrapper {
public:
    // Every parameter at its initial value, empty tables, nothing bound. Reads QUIL_ENABLE_DRA
    // and "inspect.conf" beside the library (a missing file leaves the settings empty).
    FgDsWrapperImpl();
    // Frees the parameter groups, the tables and texts, the settings, then the object lock; the
    // base part then releases the host library and closes the design image.
    ~FgDsWrapperImpl() override;

    // Runs the build steps in order, once, after the host handle is initialised and the board and
    // image are recorded. Raises only when memory runs out (or a later step chooses to).
    void build();

    // ---- slots ----
    bool loadParameters(Fg_ConfigFileParser& parser) override;
    void saveParameters(Fg_ConfigFileParser& parser) override;
    // Never reached through the exports; each raises std::runtime_error "<name>() is not implemented.".
    void processChannelToDma() override;
    void mapDmaToFormat() override;
    void setDmaAlignment() override;
    void getDmaAlignment() override;
    void buildParameterInfo() override;

    int32_t setParameterWithType(int32_t id, const void* value, uint32_t dma, int32_t type) override;
    int32_t getParameterWithType(int32_t id, void* value, uint32_t dma, int32_t type) override;
    int32_t getParameterIdByName(const char* name) override;
    const char* getParameterName(int32_t index) override;
    int32_t getParameterId(int32_t index) override;
    int32_t getNrOfParameter() override;

    // Shading line access, handled by the correction group.
    void* allocShading(int32_t a, int32_t b) override;
    int32_t freeShading(void* shading) override;
    int32_t setSubValueLine(void* shading, int32_t x, int32_t channel, float value) override;
    int32_t setMultValueLine(void* shading, int32_t x, int32_t channel, float value) override;
    int32_t setFixedPatternNoiseLine(void* shading, int32_t x, int32_t channel, int32_t value) override;
    int32_t getMaxLine(void* shading) override;
    int32_t getAccess(void* shading) override;
    int32_t freeAccess(void* shading) override;
    int32_t writeActLine(void* shading, int32_t line) override;

    // Event names and masks from the tables built at creation; an unknown name or mask sets the
    // last error to kErrInvalidArgument. Names are owned by the applet, valid while it lives.
    uint64_t getEventMask(const char* name) override;
    const char* getEventName(uint64_t mask) override;

    const char* getVendorName() override;
    const char* getAppletName() override;
    const char* getAppletVersion() override;
    int32_t getLoadAppletId() override;

    // The module name "inspect.conf" is read under ("none" when unknown).
    const std::string& moduleName() const { return moduleName_; }

private:
    // Build steps, in the order build() runs them.
    void buildCatalogue();
    void buildEventTables();
    void resolveRegisterMap();
    void applyPostBuildSettings();
    void applyInitialHardwareState();

    void readModuleSettings();

    // Held through a pointer so that destroying a lock that is still held (a programming error)
    // terminates with the lock's message instead of unwinding out of a destructor.
    std::unique_ptr<quil::templates::platform::CriticalSection> objectLock_;
    InspectSettings inspectSettings_;
    std::string moduleName_ = "none";
    ParameterTables parameterTables_;
    RegisterMap registerMap_;
    GeneratorRegisters generatorRegisters_;
    ParameterValueBlock values_ = freshValueBlock();
    ParameterInfoNodes parameterInfoNodes_;

    // The parameter groups and the table that reaches them; built last, over the state above.
    AppletContext context_;
    ParameterHandlerTable handlers_;
    FixedParameters fixed_;
    PipelineParameters pipeline_;
    CorrectionParameters correction_;
    TriggerParameters trigger_;
    ParameterDispatch dispatch_;
};

} // namespace kestrel
