#pragma once
// Text files as the viewer and the trace window save them: every line
// followed by CR LF, in UTF-8, replacing the file only once it is complete.

#include <QString>
#include <QStringList>

namespace ks {

// Raises ks::Error "The text could not be saved to ..." with the system's
// reason when the file cannot be written; an existing file then stays as it was.
void writeLinesCrLf(const QString &fileName, const QStringList &lines);

} // namespace ks
