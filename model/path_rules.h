#pragma once
#include <QChar>
#include <QString>

// How paths behave on a file system: the folder separator and whether two
// entries that differ only in letter case name the same file.
// The program uses native() and internal(); tests run both windows() and posix().
struct PathRules {
    QChar separator;
    Qt::CaseSensitivity caseSensitivity;

    static PathRules windows() { return {QLatin1Char('\\'), Qt::CaseInsensitive}; }
    static PathRules posix() { return {QLatin1Char('/'), Qt::CaseSensitive}; }
    // The system's own rules: entries in the list and names shown to the user.
    static PathRules native();
    // Paths as Qt spells them inside the program: "/" everywhere, the
    // system's case rule.
    static PathRules internal() { return {QLatin1Char('/'), native().caseSensitivity}; }

    // The key under which an entry is compared with others: upper-cased on a
    // case-insensitive file system, the text itself otherwise.
    QString key(const QString &entry) const;
    bool same(const QString &a, const QString &b) const { return key(a) == key(b); }

    // Folder + name, with a separator between them unless the folder already ends with one.
    QString join(const QString &folder, const QString &name) const;

    // Text after the last separator (whole text when there is none).
    QString GetFileName(const QString &path) const;
    // Text after the last dot, empty when there is no dot or the dot belongs to a
    // folder name. Letter case as in the path.
    QString GetFileExt(const QString &path) const;
};
