#pragma once
#include "model/commands.h"

#include <QLatin1StringView>

// The object names of the main window's commands and labels, where the
// model's enums meet the window's widgets. A command's is its row's in
// main_window/command_table.cpp.
QLatin1StringView commandName(Command command);
QLatin1StringView labelName(Label label);
