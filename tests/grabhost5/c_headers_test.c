/* The board and host headers are C: this file is compiled as C11 and runs a few calls. */
#include "boardhw.h"
#include "grabhost5.h"
#include "grabhost5_host.h"

#include <stdio.h>
#include <string.h>

int main(void) {
    Gh5Board* board = NULL;
    Gh5ParameterInfoNode node;
    Gh5LutBlock block;
    BoardRegisterDescription description;
    int failures = 0;

    memset(&node, 0, sizeof node);
    memset(&block, 0, sizeof block);
    memset(&description, 0, sizeof description);
    if (sizeof node != 128 || Board_GetCount() != gh5_board_count())
        ++failures;
    if (gh5_board_open(0, &board) != GH5_OK || board == NULL)
        ++failures;
    if (Board_WriteRegister(gh5_board_device(board), 1, 1) != BOARD_ERR_NO_DESIGN)
        ++failures;
    if (gh5_board_close(board) != GH5_OK)
        ++failures;
    if (strcmp(gh5_error_text(GH5_ERR_TIMEOUT), "timeout waiting for the picture") != 0)
        ++failures;
    if (failures != 0)
        fprintf(stderr, "%d C header checks failed\n", failures);
    return failures == 0 ? 0 : 1;
}
