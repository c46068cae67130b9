#pragma once
#include "model/commands.h"

#include <QLatin1StringView>

// The object names of the main window's commands and labels: the one place
// where the model's enums meet the window's widgets.
QLatin1StringView commandName(Command command);
QLatin1StringView labelName(Label label);
