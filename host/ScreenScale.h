#pragma once
// The screen's scale on the store's touch screen: the form is drawn for
// 800 x 600, and a 1366 x 768 or 1920 x 1080 screen may show it larger.
// The scale comes from `qulhost --scale N`, else from the key Scale of
// section [Screen] in the first qul.ini that exists (beside the program,
// then the system-wide one), the same files the connection string comes
// from. It is handed to Qt as QT_SCALE_FACTOR before the application is
// made, so Qt draws text, pictures and the form's rounded outline at the
// screen's own resolution instead of stretching an 800 x 600 picture.

#include <QSize>
#include <QString>
#include <QStringList>

namespace ScreenScale {

inline constexpr double kMinimum = 1.0;
inline constexpr double kMaximum = 3.0;
inline constexpr int kFormWidth = 800, kFormHeight = 600;

// The qul.ini files that may give the scale, in their order: beside the
// program in `programDir`, then the system-wide one.
QStringList configFiles(const QString &programDir);

// A scale written as a number from 1 to 3, with a decimal point or a
// decimal comma ("1.75", "1,75"). False for anything else.
bool parse(const QString &text, double *scale);

// The scale asked for: `option` (the value of --scale) when `optionSet`,
// else the key Scale of [Screen] in the first of `iniFiles` that exists.
// *scale is 0 when neither gives one; *setting then names where it came
// from ("--scale", or the key with its file and line). False, with a
// message in *error that names the option, or the file and its line, when
// the value is not a number from 1 to 3 or the file cannot be read.
bool resolve(bool optionSet, const QString &option, const QStringList &iniFiles, double *scale, QString *error,
             QString *setting = nullptr);

// The largest scale up to `scale`, in hundredths, at which the form fits
// `available` (the screen's free area, measured at scale 1); never less
// than 1, where the form is placed as on any small screen.
double fit(double scale, const QSize &available);
// The warning that `setting` asked for `scale`, which the screen's free
// area `available` cannot hold, and that `used` is shown instead.
QString fitWarning(const QString &setting, double scale, const QSize &available, double used);

// Sets QT_SCALE_FACTOR for the application about to be made; a scale of
// 0 leaves the environment as it is.
void apply(double scale);

}  // namespace ScreenScale
