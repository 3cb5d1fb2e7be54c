// Not built: the layer check must refuse this include of a higher row.
#include "engine/commands/MainCommands.h"
