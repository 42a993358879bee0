#pragma once
#include "config/ConfigObserver.h"

// Hands each event the readers report to the checks that care about it, and notes in
// the findings where rules and the interval came from. Set as configObserver before
// LoadSettings.
void RecordConfigEvent(ConfigEvent event, const ConfigLine& line, int value);
