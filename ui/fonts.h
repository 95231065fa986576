#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace gui {

// The families the form names, each with free look-alikes that cover Persian
// (or, for the Latin-only "Segoe UI", share its humanist shapes), in order of
// preference.
QList<std::pair<QString, QStringList>> fontLookAlikes();

// Makes every TrueType or OpenType font in folder available to this program
// alone, so that a PC lacking the form's fonts can use the ones that come with
// it. Returns the families added; a missing folder or a file that is not a
// font adds nothing. Must run before substituteMissingFonts().
QStringList registerFontsIn(const QString &folder);

// Maps every family the form names but the system cannot draw to the
// look-alikes that are installed. Must run before the form is built.
void substituteMissingFonts();

} // namespace gui
