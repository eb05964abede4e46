// AddressSanitizer's defaults for the fuzzing runs, read once at start (an ASAN_OPTIONS variable
// still overrides them). With the default 256 MiB quarantine of freed blocks nearly every
// allocation of an input lands on memory not touched before: page faults and fills took more than
// half of reference_image_fuzzer's time. 8 MiB still holds many inputs' worth of the freed blocks
// of these small inputs, so a use after free is still caught.
extern "C" const char* __asan_default_options();

extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=8:max_free_fill_size=0";
}
