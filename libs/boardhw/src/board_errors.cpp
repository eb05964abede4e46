// Texts of the board's result codes.
#include "board_errors.h"

#include "boardhw.h"

namespace kestrel::boardhw {

const char* boardErrorText(int32_t code) {
    switch (code) {
    case BOARD_OK:
        return "success";
    case BOARD_ERR_INVALID_HANDLE:
        return "invalid board handle";
    case BOARD_ERR_NO_SUCH_BOARD:
        return "no board with that index";
    case BOARD_ERR_BOARD_IN_USE:
        return "board already open";
    case BOARD_ERR_NO_DESIGN:
        return "no design loaded on the board";
    case BOARD_ERR_INVALID_DESIGN:
        return "design register table unusable";
    case BOARD_ERR_UNKNOWN_REGISTER:
        return "register not in the design";
    case BOARD_ERR_READ_ONLY:
        return "register is read-only";
    case BOARD_ERR_WRONG_KIND:
        return "register does not hold that kind of content";
    case BOARD_ERR_INVALID_ARGUMENT:
        return "invalid argument to a board call";
    case BOARD_ERR_OUT_OF_RANGE:
        return "table entry out of range";
    case BOARD_ERR_OUT_OF_MEMORY:
        return "board memory could not be allocated";
    case BOARD_ERR_TEXT_TOO_LONG:
        return "text too long for a board register";
    case BOARD_ERR_BUFFER_TOO_SMALL:
        return "buffer too small for the register text";
    default:
        return "unknown board error";
    }
}

} // namespace kestrel::boardhw
