#include "support/scripted_user_prompts.h"
