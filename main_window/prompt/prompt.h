#pragma once
#include <QString>

// Title of every message box the main window and its parts show.
inline const QString kPromptTitle = QStringLiteral("提示");

// Refusals when a file is to join the list.
inline const QString kDuplicateFileMessage = QStringLiteral("该文件已经被选中过!");
inline const QString kLineBreakMessage = QStringLiteral("文件名中含有换行符，无法加入列表！");
