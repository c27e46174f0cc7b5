#pragma once
// Qt's own texts (file, font, colour and printer choosers, standard buttons,
// the context menus of text fields) in Dutch, like the rest of the program.
class QCoreApplication;

namespace velgram {

// Sets the Dutch locale as the default and installs Qt's Dutch translations
// from Qt's translations folder. False when none could be loaded (the
// translations package is missing): Qt's texts then stay English.
bool InstallDutchQtTranslations(QCoreApplication& app);

// Dates that Qt formats by the system locale (the file chooser's dates) in
// Dutch too: sets the time category of the environment to Dutch
// (Netherlands). Qt reads it once, so this comes before the QApplication.
// Numbers keep their category: the core formats them the C way.
void UseDutchSystemDates();

}  // namespace velgram
