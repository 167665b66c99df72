// Qt's keys and modifiers as the logic's classic virtual-key numbers and shift flags.
#pragma once

#include <QString>
#include <Qt>

namespace norra {

// The virtual-key number of a Qt key; 0 for a key the logic has no number for.
int KeyCodeOf(int qtKey);

unsigned ShiftOf(Qt::KeyboardModifiers modifiers);

}  // namespace norra
