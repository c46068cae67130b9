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
}

QList<OutputDevice> OutputChoice::offered() const
{
    QList<OutputDevice> devices{{QString(), kDefaultCaption}};
    if (m_lister)
        devices += m_lister();
    return devices;
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
