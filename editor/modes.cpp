// modes.cpp: the editing state machine of the image window. Owns state.
#include "editor/modes.h"

int state = nostate;
