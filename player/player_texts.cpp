#include "player/player_texts.h"

#include <cmath>

namespace PlayerTexts {

QString twoDigitField(qint64 value)
{
    const QString digits = QString::number(value);
    if (digits.size() == 1)
        return QLatin1Char('0') + digits;
    return digits.right(2);
}

QString clockText(qint64 seconds)
{
    const qint64 minutes = seconds / 60;
    return (minutes >= 100 ? QString::number(minutes) : twoDigitField(minutes)) + QLatin1Char(':')
           + twoDigitField(seconds % 60);
}

QString signBlank(qint64 value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

qint64 roundHalfEven(double value)
{
    // The default floating-point rounding mode rounds halves to even.
    return qint64(std::nearbyint(value));
}

} // namespace PlayerTexts
