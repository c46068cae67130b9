#pragma once
#include <QString>

// Title of every message box the main window and its parts show.
inline const QString kPromptTitle = QStringLiteral("提示");
