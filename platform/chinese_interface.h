#pragma once

class QApplication;

// Chinese throughout, whatever the system's language: the default locale is
// zh_CN, Qt's own dialogs and buttons load their Chinese translation, and the
// interface font falls back to the Simplified Chinese family. The translator
// belongs to `app`.
void useChineseInterface(QApplication &app);
