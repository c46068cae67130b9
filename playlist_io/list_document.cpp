#include "playlist_io/list_document.h"

DocumentForm documentForm(const PlaylistForm &form, const QByteArray &lineEnd)
{
    return DocumentForm{form.relative, form.separator, encodingName(form.encoding),
                        writesByteOrderMark(form.encoding), lineEnd};
}

PlaylistForm playlistForm(const DocumentForm &form)
{
    return PlaylistForm{form.relative, form.separator,
                        textEncodingNamed(form.encoding, form.byteOrderMark).value_or(TextEncoding::Utf8)};
}
