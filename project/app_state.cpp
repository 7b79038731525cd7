#include "project/app_state.h"

AppState g_app;
