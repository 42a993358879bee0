#include "platform/Window.h"

// The readers show a box when a file can't be read or the table is full. The checker
// learns the same from the reader's observer and reports it on the console, where no
// box may stop a script.
void ShowErrorBox(const wchar_t*, const wchar_t*, const char*)
{
}
