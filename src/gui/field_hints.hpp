// Hints on the numeric fields of the parameter pages: a tooltip with the meaning, unit and
// valid range of each (from the table of input ranges the checks share), and a red frame
// with the reason on a field whose number "OK" could not use, until it is corrected.
#pragma once

#include <QString>
#include <vector>

#include "app/ok_action.hpp"

class QLineEdit;
class QWidget;

namespace dodavev {

// Tooltip of one field: the range table's description when the field has an entry, else
// what its page says of it (group and caption, which carry the unit).
QString FieldHint(const QLineEdit& edit);

// Gives every "Edit1_" field under `root` its tooltip.
void SetFieldTooltips(QWidget* root);

// Marks the fields named in `bad` under `root` and clears the marks of all others.
void MarkBadFields(QWidget* root, const std::vector<UnreadableField>& bad);

// Whether a field carries the mark (its dynamic property "badField").
bool IsMarkedBad(const QWidget& edit);

}  // namespace dodavev
