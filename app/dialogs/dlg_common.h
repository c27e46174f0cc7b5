#pragma once
// Pieces every dialog of the program shares.
#include <QDialogButtonBox>
#include <QString>
#include <initializer_list>
#include <string>
#include <utility>

class QDialog;
class QBoxLayout;
class QObject;
class QValidator;

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

// "OK" and "Annuleren" at the bottom of a dialog; OK runs the dialog's own
// check (accept stays the caller's job).
QDialogButtonBox* AddOkCancel(QDialog* dialog, QBoxLayout* layout);

}  // namespace velgram
