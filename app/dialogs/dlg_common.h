#pragma once
// Pieces every dialog of the program shares.
#include <QDialogButtonBox>
#include <QString>
#include <initializer_list>
#include <string>
#include <utility>

class QAbstractItemView;
class QDialog;
class QBoxLayout;
class QObject;
class QValidator;
class QWidget;

namespace velgram {

class Prompter;

// The message shown when typed text holds characters the database cannot keep.
extern const char* const kNotStorableMessage;

// Converts typed texts for the database. When one of them holds characters
// that Windows-1252 cannot store, nothing is written to the outputs, the user
// is told so and the result is false: a name must never be stored with '?' in
// place of what was typed.
bool ReadStorable(Prompter& prompter, std::initializer_list<std::pair<QString, std::string*>> fields);

// A whole number field: digits only. A locale's number validator would also
// let "1.450" through (the Dutch thousands separator), which the core reads
// as 1.
QValidator* DigitsValidator(int maxDigits, QObject* parent);

// Lets a list decide how wide its dialog is: at least minWidth and wide
// enough for all its columns (or its longest line) in the font they are
// shown in, within nine tenths of the screen. Call it again when the
// contents change.
void FitListWidth(QAbstractItemView* view, int minWidth);

// The width of chars average characters in the widget's font, with room for
// a field's frame: what a text field needs to show that much of its text.
int CharsWide(const QWidget* widget, int chars);

// "OK" and "Annuleren" at the bottom of a dialog; OK runs the dialog's own
// check (accept stays the caller's job).
QDialogButtonBox* AddOkCancel(QDialog* dialog, QBoxLayout* layout);

}  // namespace velgram
