#pragma once
#include <QString>

// Small text rules of the player window, shared by its logic and tests.
namespace PlayerTexts {

// One digit: "0" and the digit; two or more: the last two digits (a time of
// 125 minutes shows its minutes as "25").
QString twoDigitField(qint64 value);
// Minutes and seconds by the two-digit rule, joined by ":" ("01:01").
QString clockText(qint64 seconds);
// A number with one blank in the sign's place when it is not negative (" 44").
QString signBlank(qint64 value);
// Nearest integer, halves to the even neighbour.
qint64 roundHalfEven(double value);

} // namespace PlayerTexts
