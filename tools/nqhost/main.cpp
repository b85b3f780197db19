// nqhost: the command-line stand-in for the service framework that hosts Norquill.dll.
#include "Tool.h"

int wmain(int argc, wchar_t** argv)
{
    return NqHost::RunTool(std::vector<std::wstring>(argv + 1, argv + argc));
}
