// Keeps the public headers compiling on their own.
#include "platform/win/clock.h"
#include "platform/win/dialogs.h"
#include "platform/win/host.h"
#include "platform/win/surface.h"
#include "platform/win/testing.h"
#include "platform/win/windows.h"
