#pragma once
#include <QString>

// What went wrong with a file or folder, for messages: the system's error
// number (errno) told in Chinese, the way the program words it ("磁盘是只读的",
// "不是文件夹", "不存在", "磁盘空间不足"…). 0 and numbers it does not know
// give a general "读写出错".
QString fileErrorText(int error);

// Creates `folder` and every folder above it that is missing. On failure,
// the folder that could not be made (or the file that stands where a folder
// should be) and why.
struct FoldersMade {
    bool ok = false;
    QString failedAt;
    int error = 0;
};
FoldersMade makeFolders(const QString &folder);
