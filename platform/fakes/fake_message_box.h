#pragma once
#include "message_box.h"

#include <QList>
#include <QStringList>

// Records every box and answers questions from a queue (No when it runs dry).
class FakeMessageBox : public MessageBox {
public:
    struct Shown {
        enum Kind { Exclamation, YesNo } kind;
        QString text;
        QString title;
    };

    void exclamation(const QString &text, const QString &title) override
    {
        shown.append({Shown::Exclamation, text, title});
    }
    bool askYesNo(const QString &text, const QString &title) override
    {
        shown.append({Shown::YesNo, text, title});
        return answers.isEmpty() ? false : answers.takeFirst();
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Shown &s : shown)
            out.append(s.text);
        return out;
    }

    QList<Shown> shown;
    QList<bool> answers; // answers to askYesNo, in order
};
