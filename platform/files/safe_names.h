#pragma once
#include <QString>

// File names that FAT and exFAT take (USB sticks, SD cards, car stereos):
// \ / : * ? " < > | and control characters become "_", and trailing dots and
// blanks go. A name left empty, or one of only dots and blanks, becomes "_".
QString fatSafeName(const QString &name);

// "<nnn> - <name>" for the `index`th (0-based) of `count` files: the number is
// index + 1, zero-padded to the width of `count`, at least three digits, so
// players that sort by name keep the list's order.
QString numberedName(qsizetype index, qsizetype count, const QString &name);

// `name` with `tag` (" (2)") put before its extension, its stem cut short so
// that the whole fits every file system's limit: at most 255 bytes of UTF-8
// and 255 UTF-16 units. Never splits a character; the start of the name (a
// copy's number) and the extension stay.
QString fittedName(const QString &name, const QString &tag = QString());
