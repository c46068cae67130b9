#include "main_window/work_wait.h"

#include <QApplication>
#include <QEvent>

InputHold::InputHold()
{
    qApp->installEventFilter(this);
}

InputHold::~InputHold()
{
    qApp->removeEventFilter(this);
}

bool InputHold::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Drop:
    case QEvent::Close:
        break;
    default:
        return false;
    }
    for (QObject *o = watched; o; o = o->parent()) {
        if (o->objectName() == u"workProgress")
            return false;
    }
    return true;
}
