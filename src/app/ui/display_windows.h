#pragma once
// The live display windows (digital meter, analog meter, comparator and its
// limit dialog, data list) as the shell creates and drives them.

#include "displays/ui/analog_meter_form.h"
#include "displays/ui/comparator_form.h"
#include "displays/ui/data_list_form.h"
#include "displays/ui/digital_meter_form.h"
#include "displays/ui/hi_low_dialog.h"
#include "displays/ui/live_windows.h"
