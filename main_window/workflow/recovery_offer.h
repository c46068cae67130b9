#pragma once
#include <QString>

class ListFileWorkflow;
class MessageBox;
class RecoveryStore;

// At start, before any file of the command line: the newest record of a
// program that died is offered once. Yes gives the list back and the record
// becomes this program's own; No moves it to discarded/ with a plain M3U8
// copy of its entries; Escape leaves it for the next start. Records that fail
// their checks go to damaged/, each with a notice. Discarded records older
// than seven days are removed first.
struct RecoveryOffered {
    bool restored = false;
    QString path;   // restored: the list's own file (empty: a new list)
};
RecoveryOffered offerRecovery(RecoveryStore &store, ListFileWorkflow &workflow, MessageBox &messages);
