#pragma once
#include <QString>

// What went wrong with a file or folder, for messages: the system's error
// number (errno) told in Chinese, the way the program words it ("磁盘是只读的",
// "不是文件夹", "磁盘空间不足"…), or one of the reasons below that no errno
// tells. 0 and numbers it does not know give a general "读写出错".
// Reading and writing word a few numbers apart ("没有读取的权限" / "没有写入的权限").
enum class FileUse { Read, Write };

// Reasons the program finds itself, told as errno values are; all negative,
// as no errno is.
namespace fileproblem {
constexpr int NotRegular = -1;   // a FIFO, socket or device where a file should be
constexpr int TooLarge = -2;     // more than the program reads of a list
constexpr int NotText = -3;      // not a list's text: a picture or a program renamed
constexpr int LineBreak = -4;    // a name to be written holds a line break
} // namespace fileproblem

QString fileErrorText(int error, FileUse use = FileUse::Write);

// One line naming the file and why: "无法写入“/a/l.m3u”：磁盘空间不足",
// "无法读取“/a/l.m3u”：没有读取的权限"; the path in the system's spelling.
QString fileFailureLine(const QString &path, int error, FileUse use);

// Creates `folder` and every folder above it that is missing. On failure,
// the folder that could not be made (or the file that stands where a folder
// should be) and why.
struct FoldersMade {
    bool ok = false;
    QString failedAt;
    int error = 0;
};
FoldersMade makeFolders(const QString &folder);
