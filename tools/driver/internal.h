#ifndef TAVELIN_TOOLS_DRIVER_INTERNAL_H
#define TAVELIN_TOOLS_DRIVER_INTERNAL_H

/* What the files of the scripted user share among themselves; the callers
   see only driver.h. */

#include "tools/driver/driver.h"

#include <string>
#include <vector>

namespace driver {

/* text.cpp */
std::string Utf8(const wchar_t *text, int length = -1);
std::wstring Wide(const std::string &text, UINT codePage = CP_UTF8);
std::string Quote(const std::string &text);   /* in double quotes, CR and LF written \r and \n */
std::string Format(const char *format, ...);
double NowMs();

/* snapshot.cpp: the windows of another process */
std::string ClassOf(HWND window);
std::string CaptionOf(HWND window);
std::string ControlText(HWND control);
std::vector<HWND> ChildrenOf(HWND parent);
HWND ChildById(HWND parent, int id);
std::vector<HWND> VisibleWindows(DWORD processId);
/* appearedMs counts from startMs; visible gives the othersVisible */
DriverWindow Snapshot(HWND window, const std::vector<HWND> &visible, double startMs);

/* capture.cpp */
std::string DetectIcon(HWND box);

/* transcript.cpp: windows, steps and actions as the transcript writes them */
std::string Describe(const DriverWindow &w, int number);
std::string DescribeStep(const DriverStep &step);
std::string DescribeAction(const DriverAction &action);

}  // namespace driver

#endif
