#include "saver_state.h"

SaverState g_saver;

void ResetSaverState() { g_saver = SaverState(); }
