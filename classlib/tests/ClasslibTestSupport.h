#pragma once
// The class library's tests use the shared helpers; this name stays for tests written against it.
#include "TestSupport.h"
