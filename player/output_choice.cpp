#include "player/output_choice.h"

#include <QSettings>

namespace {
const QString kKey = QStringLiteral("preview/outputDevice");
} // namespace

OutputChoice::OutputChoice(Lister lister, QSettings *settings, QObject *parent)
    : QObject(parent), m_lister(std::move(lister)), m_settings(settings), m_target(std::make_shared<OutputTarget>())
{
    if (m_settings)
        m_target->setWanted(m_settings->value(kKey).toString());
    connect(m_target.get(), &OutputTarget::reachedChanged, this,
            [this](bool reached) { emit noteChanged(reached ? QString() : kUnavailableNote); });
    refresh();   // so that the menu has them when it first opens
}

QList<OutputDevice> OutputChoice::offered() const
{
    return QList<OutputDevice>{{QString(), kDefaultCaption}} + m_listed;
}

void OutputChoice::refresh()
{
    if (!m_lister || m_listing.busy())
        return;
    m_listing.run<QList<OutputDevice>>(
        QString(), [lister = m_lister](WorkProgress &) { return lister(); },
        [this](QList<OutputDevice> &listed) {
            if (listed == m_listed)
                return;
            m_listed = std::move(listed);
            emit offeredChanged();
        });
}

QString OutputChoice::inUse(const QList<OutputDevice> &offered) const
{
    const QString name = chosen();
    for (const OutputDevice &d : offered)
        if (d.name == name)
            return name;
    return QString();
}

void OutputChoice::choose(const QString &name)
{
    m_target->setWanted(name);
    if (m_settings)
        m_settings->setValue(kKey, name);   // written from the event loop
}
