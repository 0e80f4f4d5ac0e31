#pragma once

#include <QIcon>

// The application icon, shown in the title bar and the About box: a sheet of table rows
// turning into a script, drawn at the usual icon sizes.
QIcon ApplicationIcon();
