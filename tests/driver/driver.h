// Works Morvane's window from another process, as a user or an accessibility tool would.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
