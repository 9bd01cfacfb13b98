// The run's fixed values live with the rules the checker shares.
#ifndef ZSTARTUP_LAUNCHER_LAUNCHERCONSTANTS_H
#define ZSTARTUP_LAUNCHER_LAUNCHERCONSTANTS_H

#include "runrules/runconstants.h"

#endif
