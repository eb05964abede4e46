// LUT files: a small text file holding the values of a lookup table under a section such as
// "[gray]", one "index,value;" line per entry.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrel {

// A lookup table as a LUT file carries it.
struct LutRecord {
    std::vector<uint32_t> values; // the reader makes it nrOfElements entries long
    uint32_t id = 0;              // the applet writes 3
    uint32_t nrOfElements = 0;    // number of values; the applet writes 4096
    uint32_t format = 0;          // the applet writes 0
    uint8_t number = 0;           // the applet writes 0
};

// The largest table the reader accepts. A file naming more entries is refused rather than
// allocating whatever a damaged or hostile "nrOfElements" line asks for (a 16-bit table has 65536).
inline constexpr uint32_t kLutFileMaxElements = 1u << 20;

// The section this applet's files keep their values in.
inline constexpr std::string_view kLutGraySection = "[gray]";

// Creates or truncates `path` and writes the record: "# Lut data file v1.1", three empty lines
// (the title's "\n\n", then "\n\n"), "[gray]", an empty line, the "id=", "nrOfElements=",
// "format=" and "number=" lines, then "k,values[k];" for k from 0 to nrOfElements - 1, every
// number as a signed decimal. Results: 0; kErrGeneric (-1) when the file cannot be created;
// kErrInvalidArgument when the record holds fewer than nrOfElements values (nothing is
// created). Write errors are not detected.
int32_t writeLutFile(const char* path, const LutRecord& record);

// Reads a LUT file into `record`, replacing its values. Keys are found in the first line holding
// their name anywhere and read with atoi rules (0 when missing). Values: from the first line
// holding `section`, each line holding the text of the next expected index followed by ','
// gives that entry (the part after the ','); a missing index leaves it and all later entries 0
// unless a later line happens to hold the same text. Results: 0 (also when keys or values are
// missing); kErrGeneric (-1) when the file cannot be opened; kErrOutOfRange when nrOfElements is
// above kLutFileMaxElements (the record's values are then empty, the keys are stored).
int32_t readLutFile(const char* path, LutRecord& record, std::string_view section = kLutGraySection);

} // namespace kestrel
