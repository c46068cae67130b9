#pragma once
#include "main_window/workflow/list_reads.h"
#include "platform/work/long_work.h"

// The window's reading of list files: off the UI thread, on a runner of its
// own that lands nothing but what is waited for (an open may come while the
// window's runner lands a drop), shown by a
// progress window with "取消" once it takes more than a moment; the window
// takes no other input meanwhile, and the list lands as one edit.
class ListReading : public ListReads {
public:
    ListReading() = default;
    // What files are read through (a slow device, in benchmarks).
    void setDevice(ListDevice device) { m_device = std::move(device); }
    LongWork &work() { return m_work; }

    std::optional<PlaylistRead> read(const QString &fileName, std::optional<TextEncoding> encoding) override;

private:
    LongWork m_work;
    ListDevice m_device;
};
