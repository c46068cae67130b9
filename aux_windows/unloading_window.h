#pragma once
#include "aux_windows/centring.h"

#include <QCloseEvent>
#include <QShowEvent>

// A window of the program's own (Base: QWidget or QDialog) that centres
// itself on its screen by its outer size each time the program shows it (the
// frame is known once the window exists), and calls unloading() once a close
// is accepted.
template <class Base>
class UnloadingWindow : public Base {
public:
    using Base::Base;

protected:
    virtual void unloading() = 0;

    void showEvent(QShowEvent *event) override
    {
        Base::showEvent(event);
        if (!event->spontaneous())
            centreOnScreen(this);
    }

    void closeEvent(QCloseEvent *event) override
    {
        Base::closeEvent(event);
        if (event->isAccepted())
            unloading();
    }
};
