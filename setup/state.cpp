#include "setup/state.h"

SetupState setup;
