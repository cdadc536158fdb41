#pragma once

#include <QStringList>

class QWidget;

namespace vorn {

// The list of differences from the Vorn as last known, modal. For a write it asks OK/Cancel
// and returns true on OK; with nothing to write, or just showing, it only closes.
bool RunChangesDialog(QWidget* parent, const QStringList& lines, bool write);

}  // namespace vorn
