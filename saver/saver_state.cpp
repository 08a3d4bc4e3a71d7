#include "saver_state.h"

#include "run_settings.h"

SaverState g_saver;

void ResetSaverState() {
  g_saver = SaverState();
  ClearRunSettings();
}
