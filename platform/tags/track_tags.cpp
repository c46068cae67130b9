#include "platform/tags/track_tags.h"

#include <QFile>

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tfilestream.h>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString fromTagLib(const TagLib::String &text)
{
    // TagLib gives UTF-8 whatever the tag's own encoding was.
    return QString::fromUtf8(text.toCString(true)).trimmed();
}

TrackTags fromRef(const TagLib::FileRef &ref)
{
    TrackTags tags;
    if (ref.isNull())
        return tags;
    if (const TagLib::Tag *tag = ref.tag()) {
        tags.artist = fromTagLib(tag->artist());
        tags.title = fromTagLib(tag->title());
        tags.album = fromTagLib(tag->album());
    }
    if (const TagLib::AudioProperties *audio = ref.audioProperties()) {
        const int ms = audio->lengthInMilliseconds();
        if (ms > 0) {
            tags.ms = ms;
            tags.seconds = audio->lengthInSeconds();
        }
    }
    return tags;
}

#ifdef Q_OS_UNIX
// A stream on a descriptor we opened ourselves, that still tells TagLib the
// file's name, so the type is taken from the extension as for a name.
class NamedStream : public TagLib::FileStream {
public:
    NamedStream(int fd, QByteArray name) : TagLib::FileStream(fd, true), m_name(std::move(name)) {}
    TagLib::FileName name() const override { return m_name.constData(); }

private:
    QByteArray m_name;
};
#endif

} // namespace

TrackTags readTrackTags(const QString &path)
{
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (path.isEmpty() || ::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {};
    }
    NamedStream stream(fd, name);   // closes the descriptor once it has it
    if (!stream.isOpen()) {
        ::close(fd);
        return {};
    }
    // Fast: the length from the headers (Xing, VBRI, or the first frame's
    // bit rate), not from a walk over every frame.
    const TagLib::FileRef ref(&stream, true, TagLib::AudioProperties::Fast);
    return fromRef(ref);
#else
    const TagLib::FileRef ref(reinterpret_cast<const wchar_t *>(path.utf16()), true,
                              TagLib::AudioProperties::Fast);
    return fromRef(ref);
#endif
}
