#pragma once
// What a screen reader is told about a window's controls: every control the
// user can operate must have a name, and the name must be Chinese like the
// rest of the program. Usable on any top-level window of the program.
#include <QAccessible>
#include <QLabel>
#include <QRegularExpression>
#include <QStringList>
#include <QWidget>

namespace AccessibleNames {

// Roles of controls a user operates, whatever their focus policy.
inline bool interactiveRole(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Table:
    case QAccessible::ToolBar:
    case QAccessible::MenuBar:
    case QAccessible::StatusBar:
    case QAccessible::Slider:
    case QAccessible::SpinBox:
    case QAccessible::EditableText:
    case QAccessible::Link:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::PageTab:
    case QAccessible::Dial:
        return true;
    default:
        return false;
    }
}

// A control is operated when its role says so, when it takes the keyboard
// focus, or when it shows the hand pointer of a link.
inline bool isInteractive(QWidget *w, QAccessibleInterface *iface)
{
    return interactiveRole(iface->role()) || (w->focusPolicy() & Qt::TabFocus)
           || w->cursor().shape() == Qt::PointingHandCursor;
}

inline bool isChinese(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return text.contains(han);
}

// "objectName (role): name" of every shown control of `window` (the window
// itself included) that can be operated and has no name, or a name without
// a Chinese character. Scroll bars belong to their view and are left out.
inline QStringList problems(QWidget *window)
{
    QStringList out;
    QList<QWidget *> widgets{window};
    widgets += window->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (!w->isVisibleTo(window) && w != window)
            continue;
        if (w->inherits("QScrollBar") || w->objectName().startsWith(QLatin1String("qt_scrollarea")))
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        if (!iface || !isInteractive(w, iface))
            continue;
        QString name = iface->text(QAccessible::Name).trimmed();
        // Drop-down lists are named by the label they are the buddy of.
        if (iface->role() == QAccessible::ComboBox) {
            const auto labels = iface->relations(QAccessible::Label);
            name = labels.isEmpty() ? QString() : labels.constFirst().first->text(QAccessible::Name).trimmed();
        }
        if (name.isEmpty() || !isChinese(name))
            out << QStringLiteral("%1 (%2, %3): \"%4\"")
                       .arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()))
                       .arg(int(iface->role()))
                       .arg(name);
    }
    return out;
}

// "objectName: name ≠ text" of every label of `window` whose accessible name
// is not what it shows: a label is read out by its text, whatever it is at
// the time; a link may say what it leads to before it ("主页：" + address).
inline QStringList labelsNotNamedByText(QWidget *window)
{
    QStringList out;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->textFormat() == Qt::RichText)
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(label);
        const QString name = iface ? iface->text(QAccessible::Name) : QString();
        const QString text = label->text().remove(QLatin1Char('&'));
        const bool link = label->cursor().shape() == Qt::PointingHandCursor;
        if (link ? !name.endsWith(text) : name != text)
            out << QStringLiteral("%1: \"%2\" ≠ \"%3\"").arg(label->objectName(), name, text);
    }
    return out;
}

} // namespace AccessibleNames
