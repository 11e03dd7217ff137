#include "yOZUser.h"

#include "SysUtils.h"
#include "WinUtils.h"

TUser* yOZCurrentUser = nullptr;

TUser::TUser()
    : Name(GetLogInName()), Status("Available"), Updated(DateTimeToStr(Now())), LogInName(GetLogInName()) {}
