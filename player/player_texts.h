#pragma once
#include <QString>

// Small text rules of the player window, shared by its logic and tests.
namespace PlayerTexts {

// One digit: "0" and the digit; two or more: the last two digits.
QString twoDigitField(qint64 value);
// Minutes and seconds joined by ":" ("01:01"), each by the two-digit rule,
// except that 100 minutes or more are written whole ("125:07").
QString clockText(qint64 seconds);
// A number with one blank in the sign's place when it is not negative (" 44").
QString signBlank(qint64 value);
// Nearest integer, halves to the even neighbour.
qint64 roundHalfEven(double value);

} // namespace PlayerTexts
