#pragma once
// The panel's behaviour as the user meets it: what each choice does when it
// is clicked (load a profile, fix a value, open a field) and which change
// rule each field runs when its text changes.
#include "model/panel.h"

namespace iz {

// Sets every box's click handler and every field's change rule on panel,
// which must outlive them.
void WireChoices(Panel& panel);

}  // namespace iz
