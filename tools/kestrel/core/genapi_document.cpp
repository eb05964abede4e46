// Two calls of Fg_getParameterInfoXML: the size, then the text.
#include "genapi_document.h"

#include <stdexcept>
#include <vector>

namespace kestrel::tool {

std::string fetchGenApiDocument(const gh5::Grabber& grabber) {
    const Gh5AppletExports& exports = grabber.exports();
    if (exports.Fg_getParameterInfoXML == nullptr)
        throw std::runtime_error("the applet has no Fg_getParameterInfoXML");
    uint64_t size = 0;
    gh5::check(exports.Fg_getParameterInfoXML(grabber.record(), 0, nullptr, &size),
               "Fg_getParameterInfoXML (size)");
    std::vector<char> buffer(size);
    gh5::check(exports.Fg_getParameterInfoXML(grabber.record(), 0, buffer.data(), &size),
               "Fg_getParameterInfoXML");
    return std::string(buffer.data());
}

} // namespace kestrel::tool
