#pragma once

#include <QIcon>

// The application icon (resource 201 of the original): a sheet of table rows
// turning into a script, drawn at the usual icon sizes.
QIcon ApplicationIcon();
