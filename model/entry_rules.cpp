#include "model/entry_rules.h"

bool playlistCanHold(QStringView path)
{
    for (QChar c : path) {
        if (c == u'\n' || c == u'\r')
            return false;
    }
    return true;
}
