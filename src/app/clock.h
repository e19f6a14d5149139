#pragma once
// The time of day as the timed start sees it, and the armed-hour check.

#include <QString>
#include <QTime>

namespace kelvaron {

/// The text "no hour armed" of the start-hour box.
inline constexpr char kUnarmed[] = "keine";

/// The clock text of `time`: hh:mm:ss on a 24-hour clock, the hour always two
/// digits. clockText(QTime(7, 5, 9)) == "07:05:09"
QString clockText(const QTime& time);

/// True when the start-hour text `comboText` fires at `now`: it is not exactly
/// "keine" and equals the first two characters of clockText(now), compared
/// exactly. isArmedHour("07", 07:30) is true; "7", "07 " and "KEINE" never fire;
/// "00" fires from midnight to 00:59:59.
bool isArmedHour(const QString& comboText, const QTime& now);

/// The start-hour text for what the user typed into the hour box: an hour
/// from 0 to 23, with or without its leading zero and ":00", becomes the two
/// digits the check compares; "keine" and an empty text give "keine"; anything
/// else gives an empty text. armedHourText("7") == armedHourText("7:00") == "07",
/// armedHourText("10:00") == "10", armedHourText("7:30") and ("24") are empty.
QString armedHourText(const QString& typed);

}  // namespace kelvaron
