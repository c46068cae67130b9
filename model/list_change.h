#pragma once
#include <QMetaType>

// One coarse description of how an operation changed the entries, enough for
// a list view to map onto insert / remove / move / reset.
struct ListChange {
    enum Kind {
        Inserted,    // rows [first, first + count) are new
        Removed,     // rows [first, first + count) of the old list are gone
        Moved,       // row `first` moved so that it now sits at `to` (one row)
        Reset        // anything else: re-read everything
    };
    Kind kind = Reset;
    int first = 0;
    int count = 0;
    int to = 0;
};

Q_DECLARE_METATYPE(ListChange)
