#pragma once
// One running copy per executable file name. The mark of a running instance is a global atom
// named after the executable's file name; a second start finds it, brings the running instance's
// application window to the front and ends before it touches any file.

#include <functional>
#include <string_view>

#include "app/core/ApplicationTitle.h"
#include "platform/GlobalAtom.h"

namespace vlz {

// The application window's class; with ApplicationTitle it is how the running instance is found.
constexpr std::string_view ApplicationClassName = "TApplication";

// True when another instance runs (it has been brought forward) and this one must stop.
// Otherwise `marker` holds the atom this instance must release at its end: the one it added, or
// one that an instance which ended abnormally left behind. When the atom cannot be added,
// "cannot register atom" is shown and the instance runs on without a marker (0).
bool CheckPrevInstance(ATOM& marker, std::string_view executableFileName);

// The same for the running executable.
bool CheckPrevInstance(ATOM& marker);

// The whole rule at start-up: CheckPrevInstance, then `takeWindowName`, which succeeds for one
// start only (the running instance's application window). True when this start must end: another
// instance runs and has been asked to come forward, once. When two starts pass the marker check at
// the same moment, the one that cannot take the name asks the other forward and ends, leaving the
// marker to it.
bool RefusePrevInstance(ATOM& marker, const std::function<bool()>& takeWindowName);

// Deletes the marker at the end of the run (nothing when it is 0) and clears it.
void ReleaseInstanceMarker(ATOM& marker);

}  // namespace vlz
