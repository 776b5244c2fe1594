#include "platform/win32/win32_machine.h"
