// Loading the start-up data of the LEV directory into a session.
#pragma once

namespace dodavev {

struct Session;

// Reads "STOP.DAT" into session.elements and the further tables into session.tables, from
// session.levDir. A failure of the element file shows "problem with stopping data !"
// followed by its status; every further file that is missing, unreadable or short shows
// "problem with chupar !" followed by its status and, in brackets, the file's name. The
// program goes on with whatever was read.
void LoadStartupData(Session& session);

}  // namespace dodavev
