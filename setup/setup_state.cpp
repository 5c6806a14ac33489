#include "setup/setup_state.h"

// The high bit of GetVersion is clear on the NT family, where shortcuts default to all users.
static int IsNtFamily()
{
    return (GetVersion() & 0x80000000u) == 0;
}

SetupState g_setup = [] {
    SetupState state = {};
    state.allUsers = IsNtFamily();
    return state;
}();
