#pragma once
#include "playlist_io/playlist_type.h"
#include "playlist_io/text_encoding.h"

#include <QByteArrayView>
#include <QString>

class WorkProgress;

// Which encoding an M3U or PLS file's bytes are in (an XSPF's XML says its own).
//
// A file whose lines are ASCII or valid UTF-8 is UTF-8 (with a mark when it
// starts with one). Any other is in one of codePages(), judged from all its
// lines: the disk decides first, by the first 200 entries that are not UTF-8
// (local ones: full paths, or relative to `folder`): the code page under which
// most of them name existing files wins; where none does as written (a list
// from another machine), under which most of their file names are found in
// `folder` or the folders below it, two levels, at most 10,000 names. Where
// the disk cannot tell (no such entry, or a tie): ICU's charset detector's
// best when its confidence is 30 or more (GB18030 when it comes within 10 of
// the best), else GB18030. A single-byte code page, which reads any bytes, is
// taken only on such evidence, and never on the detector's word for a text
// that reads as GB18030.
//
// Each line is still read on its own: a UTF-8 line among others is UTF-8.
struct EncodingChoice {
    enum class By { Text, Disk, Names, Detector, Default };
    TextEncoding encoding = TextEncoding::Utf8;
    By by = By::Text;
};

// `folder` empty: the disk is not asked. Looks at the disk at most 200 times
// per code page and lists at most 10,000 names; stops early, with what it has,
// once `progress` is cancelled.
EncodingChoice chooseEncoding(QByteArrayView bytes, PlaylistType type, const QString &folder,
                              WorkProgress *progress = nullptr);

// The confidence (0-100) of ICU's detector that `text` is in `encoding`; 0
// where it does not propose it.
int detectorConfidence(QByteArrayView text, TextEncoding encoding);
