#include "main_window/list_reading.h"

#include "main_window/work_wait.h"

std::optional<PlaylistRead> ListReading::read(const QString &fileName, std::optional<TextEncoding> encoding)
{
    return waitFor<PlaylistRead>(m_work, QStringLiteral("正在读取列表…"),
                                 [fileName, encoding, device = m_device](WorkProgress &) {
                                     return readPlaylistFile(fileName, nullptr, encoding, device);
                                 });
}
