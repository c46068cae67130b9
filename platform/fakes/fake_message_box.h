#pragma once
#include "platform/message_box.h"

#include <QList>
#include <QStringList>

// Records every box and answers questions from a queue (No when it runs dry).
// Queued bools stand for Yes and No.
class FakeMessageBox : public MessageBox {
public:
    struct Shown {
        enum Kind { Exclamation, YesNo } kind;
        QString text;
        QString title;
        Answer preferred = Answer::Yes;   // YesNo: the default button
    };

    void exclamation(const QString &text, const QString &title) override
    {
        shown.append({Shown::Exclamation, text, title});
    }
    Answer askYesNo(const QString &text, const QString &title, Answer preferred = Answer::Yes) override
    {
        shown.append({Shown::YesNo, text, title, preferred});
        return answers.isEmpty() ? Answer::No : answers.takeFirst();
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Shown &s : shown)
            out.append(s.text);
        return out;
    }

    QList<Shown> shown;
    struct Answers : QList<Answer> {
        Answers &operator=(std::initializer_list<bool> yes)
        {
            clear();
            for (bool y : yes)
                append(y ? Answer::Yes : Answer::No);
            return *this;
        }
        Answers &operator=(std::initializer_list<Answer> given)
        {
            QList<Answer>::operator=(given);
            return *this;
        }
        Answers &operator<<(bool yes)
        {
            append(yes ? Answer::Yes : Answer::No);
            return *this;
        }
    };
    Answers answers; // answers to askYesNo, in order
};
